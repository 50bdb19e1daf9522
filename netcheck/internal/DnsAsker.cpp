#include "DnsAsker.h"

#include "LookUpText.h"

#include <memory>
#include <optional>

namespace {

QString rcodeName(int rcode)
{
    switch (rcode) {
    case 1:
        return QStringLiteral("FORMERR");
    case 2:
        return QStringLiteral("SERVFAIL");
    case 4:
        return QStringLiteral("NOTIMP");
    case 5:
        return QStringLiteral("REFUSED");
    default:
        return QStringLiteral("error %1").arg(rcode);
    }
}

} // namespace

DnsAsker::DnsAsker(int queryMs, QObject *parent) : QObject(parent), m_queryMs(queryMs) {}

void DnsAsker::begin()
{
    stop();
    m_reached = false;
    m_round = new QObject(this);
    m_resolvers = systemNameServers();
}

void DnsAsker::stop()
{
    ++m_run;
    m_outstanding = 0;
    // Its exchanges may be in the middle of reporting.
    if (m_round)
        m_round->deleteLater();
    m_round = nullptr;
}

void DnsAsker::ask(const QHostAddress &server, const QString &asciiName, DnsType type, DnsExchange::Transport transport,
                   bool recursion, Answer then)
{
    auto *exchange = new DnsExchange(server, asciiName, type, transport, recursion, m_queryMs, m_round);
    ++m_outstanding;
    connect(exchange, &DnsExchange::done, exchange,
            [this, exchange, r = m_run, then = std::move(then)](const DnsExchange::Result &result) {
                exchange->deleteLater();
                if (m_run != r)
                    return;
                --m_outstanding;
                if (result.outcome != DnsExchange::Outcome::Silent && result.outcome != DnsExchange::Outcome::Refused)
                    m_reached = true;
                then(result);
                if (m_run == r && m_outstanding == 0)
                    emit settled();
            });
    exchange->start();
}

void DnsAsker::resolve(const QString &asciiName, DnsType type, Resolved then)
{
    resolveFrom(0, asciiName, type, std::move(then));
}

void DnsAsker::resolveFrom(int next, const QString &asciiName, DnsType type, Resolved then)
{
    if (next >= m_resolvers.size()) {
        Resolution none;
        none.failure = QStringLiteral("/etc/resolv.conf could not be read");
        return then(none);
    }
    const QHostAddress resolver = m_resolvers[next];
    ask(resolver, asciiName, type, DnsExchange::Transport::Udp, true,
        [this, asciiName, type, then = std::move(then), next, resolver](const DnsExchange::Result &r) mutable {
            Resolution found;
            if (r.outcome != DnsExchange::Outcome::Reply) {
                if (next + 1 < m_resolvers.size())
                    return resolveFrom(next + 1, asciiName, type, std::move(then));
                found.failure = r.outcome == DnsExchange::Outcome::Silent
                                    ? QStringLiteral("the resolver %1 did not answer within %2")
                                          .arg(resolver.toString(), secondsText(m_queryMs))
                                    : QStringLiteral("the resolver %1 gave no usable answer for %2")
                                          .arg(resolver.toString(), asciiName);
            } else if (r.reply.rcode != 0 && r.reply.rcode != 3) {
                found.failure = QStringLiteral("the resolver %1 answered %2 for %3")
                                    .arg(resolver.toString(), rcodeName(r.reply.rcode), asciiName);
            } else {
                found.answered = true;
                found.addresses = r.reply.addresses;
                found.names = r.reply.names;
                found.alias = r.reply.alias;
                found.nullMx = r.reply.nullMx;
            }
            then(found);
        });
}

void DnsAsker::resolveAddresses(const QString &asciiName, Resolved then)
{
    struct Both {
        std::optional<Resolution> four, six;
    };
    auto both = std::make_shared<Both>();
    auto joined = [both, then = std::move(then)] {
        if (!both->four || !both->six)
            return;
        Resolution r = both->four->answered ? *both->four : *both->six;
        r.alias = both->four->alias || both->six->alias;
        if (both->four->answered)
            for (const QHostAddress &a : both->six->addresses)
                if (!r.addresses.contains(a))
                    r.addresses << a;
        then(r);
    };
    resolve(asciiName, DnsType::A, [both, joined](const Resolution &r) {
        both->four = r;
        joined();
    });
    resolve(asciiName, DnsType::Aaaa, [both, joined](const Resolution &r) {
        both->six = r;
        joined();
    });
}
