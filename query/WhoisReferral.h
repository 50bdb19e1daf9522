#pragma once
// Where a WHOIS answer sends the asker next. A registry's thin record names
// the registrar's server ("Registrar WHOIS Server: NAME"); an address
// registry names its successor ("ReferralServer: whois://NAME[:PORT]"); IANA
// names a top-level domain's registry ("refer: NAME", "whois: NAME").
#include <QString>
#include <QStringView>
#include <optional>

struct WhoisServer {
    QString host;
    quint16 port = 0;
    // Named by a registry's "Registrar WHOIS Server:": its answer is the
    // registrar's, which says nothing of whether the registry holds the name.
    bool registrar = false;
};

// The server that one answer line refers to, when it names one that can be
// asked: a host name, a dotted address or an IPv6 one ("[2001:db8::1]:4343"
// after whois://), and a port from 1 to 65535
// (`defaultPort` when the line gives none). The answer comes from a peer we
// do not trust, so anything else is no referral.
std::optional<WhoisServer> whoisReferral(QStringView line, quint16 defaultPort);

// The server a setting names: "NAME", "NAME:PORT", "[IPv6]:PORT", "[IPv6]" or a
// bare IPv6 address. Text that is none of these is
// kept whole as the host, so that its look-up reports what is wrong with it.
WhoisServer whoisServer(const QString &setting, quint16 defaultPort);
