#pragma once
// A server as the settings and the look-up edits name it: "host",
// "host:port", "[2001:db8::1]:587", "[::1]", or a bare IPv6 address such as
// "::1" (the whole text an IPv6 address), after which no port can follow. The brackets only set the address
// apart from the port; the host is given without them.
#include <QString>
#include <optional>

struct HostPort {
    QString host;
    // The text after the port's colon, as it stands; nothing when no colon
    // names a port.
    std::optional<QString> port;

    // Text that opens a bracket it never closes, or has more after the
    // bracket than a port, is the host as a whole, for its look-up to refuse.
    static HostPort Split(const QString &text);
};
