// WHOIS and Finger answer lines as the pages take them: shown as text, read
// for a referral and for the registry's verdict, and the name typed for a
// query. A referral names only a host made of letters, digits, hyphens and
// dots, or an IPv6 address, and a port above 0; a query is one line; a line
// as shown holds no control or bidi character; a verdict is one of three.
#include "LookUpText.h"
#include "WhoisReferral.h"
#include "WhoisVerdict.h"

#include <QList>
#include <arpa/inet.h>

namespace {

bool ipv6(const QString &host)
{
    in6_addr address{};
    return inet_pton(AF_INET6, host.toLatin1().constData(), &address) == 1;
}

bool plainHost(const QString &host)
{
    if (host.isEmpty() || host.size() > 254)
        return false;
    for (const QChar c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') && c != QLatin1Char('.'))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList answer;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString line = shownLine(raw);
        answer << line;
        for (const QChar c : visibleText(line))
            if ((c.unicode() < 0x20 && c != u'\t') || (c.unicode() >= 0x7f && c.unicode() <= 0x9f) || c == QChar(0x202e))
                __builtin_trap();
        if (const std::optional<WhoisServer> server = whoisReferral(line, 43))
            if (!(plainHost(server->host) || ipv6(server->host)) || server->port == 0)
                __builtin_trap();
        whoisServer(line, 43);
        for (const bool hostName : {true, false}) {
            const QByteArray query = queryLine(line, hostName);
            if (!query.endsWith("\r\n") || query.chopped(2).contains('\r') || query.chopped(2).contains('\n') ||
                query.contains('\0'))
                __builtin_trap();
        }
    }
    const LookUpOutcome verdict = whoisVerdict(answer, QStringLiteral("example.com"));
    if (!verdict.registryAnswered() || (verdict.kind != LookUpOutcome::Kind::Found && !verdict.registrar.isEmpty()))
        __builtin_trap();
    return 0;
}
