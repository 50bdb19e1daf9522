#include "HostPort.h"

#include "SockAddr.h"

HostPort HostPort::Split(const QString &text)
{
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        const QString rest = close < 0 ? QString() : text.mid(close + 1);
        if (close < 0 || (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':'))))
            return {text, std::nullopt};
        HostPort split{text.mid(1, close - 1), std::nullopt};
        if (!rest.isEmpty())
            split.port = rest.mid(1);
        return split;
    }
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    // A bare IPv6 address: a port could not be told from its last group.
    if (colon < 0 || (text.indexOf(QLatin1Char(':'), colon + 1) >= 0 && SockAddr::FromLiteral(text)))
        return {text, std::nullopt};
    return {text.left(colon), text.mid(colon + 1)};
}
