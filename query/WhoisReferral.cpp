#include "WhoisReferral.h"

#include "HostPort.h"
#include "SockAddr.h"

namespace {

// Letters, digits and hyphens in dot-separated labels of at most 63
// characters, at most 253 in all; a final dot is allowed.
bool isHostName(QStringView host)
{
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    if (host.isEmpty() || host.size() > 253)
        return false;
    qsizetype label = 0;
    for (const QChar c : host) {
        if (c == QLatin1Char('.')) {
            if (label == 0)
                return false;
            label = 0;
            continue;
        }
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                        (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
        if (!ok || ++label > 63)
            return false;
    }
    return true;
}

std::optional<WhoisServer> hostAndPort(QStringView value, quint16 defaultPort)
{
    if (value.endsWith(QLatin1Char('/')))
        value.chop(1);
    const HostPort split = HostPort::Split(value.toString());
    WhoisServer server{QString(), defaultPort};
    if (split.port) {
        bool ok = false;
        const uint port = split.port->toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        server.port = static_cast<quint16>(port);
    }
    // An address written with colons is an IPv6 one and nothing else.
    const bool address = split.host.contains(QLatin1Char(':')) && SockAddr::FromLiteral(split.host);
    if (!address && !isHostName(split.host))
        return std::nullopt;
    server.host = split.host;
    return server;
}

} // namespace

std::optional<WhoisServer> whoisReferral(QStringView line, quint16 defaultPort)
{
    // Keys whose value is a bare server name; a URL there means a web page.
    static const QLatin1String bareKeys[] = {QLatin1String("Registrar WHOIS Server:"), QLatin1String("refer:"),
                                             QLatin1String("whois:")};
    static const QLatin1String referral("ReferralServer:");
    static const QLatin1String scheme("whois://");

    line = line.trimmed();
    for (const QLatin1String &key : bareKeys) {
        if (!line.startsWith(key, Qt::CaseInsensitive))
            continue;
        const QStringView value = line.mid(key.size()).trimmed();
        if (value.contains(QLatin1Char(':')))
            return std::nullopt;
        std::optional<WhoisServer> server = hostAndPort(value, defaultPort);
        if (server)
            server->registrar = &key == &bareKeys[0];
        return server;
    }
    if (line.startsWith(referral, Qt::CaseInsensitive)) {
        const QStringView value = line.mid(referral.size()).trimmed();
        // rwhois:// and others speak another protocol.
        if (!value.startsWith(scheme, Qt::CaseInsensitive))
            return std::nullopt;
        return hostAndPort(value.mid(scheme.size()), defaultPort);
    }
    return std::nullopt;
}

WhoisServer whoisServer(const QString &setting, quint16 defaultPort)
{
    const QString text = setting.trimmed();
    if (const std::optional<WhoisServer> server = hostAndPort(text, defaultPort))
        return *server;
    return {text, defaultPort};
}
