#!/usr/bin/env bash
# Installs the Debian packages that building and running need, and with no
# argument also those the tests need; only when one of them is missing.
#   scripts/deps.sh            everything (build, run, test, package)
#   scripts/deps.sh program    only what building and running the program need
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-liberation fonts-dejavu-core shared-mime-info netbase
  libssl-dev openssl ca-certificates
  qtkeychain-qt6-dev libsecret-1-0
  libldns-dev
)
if [ "${1:-}" != program ]; then
  packages+=(
    python3 python3-aiosmtpd poppler-utils sharutils curl socat postfix
    dbus-daemon dbus-bin gnome-keyring
    whois fingerd finger
    nsd python3-dnslib iproute2
    libnet-epp-perl
    xvfb xauth
    dpkg-dev desktop-file-utils lintian
    clang libclang-rt-14-dev
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  # Only its smtp-sink is wanted: no mail system configured or started.
  echo "postfix postfix/main_mailer_type select No configuration" | $sudo debconf-set-selections
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
