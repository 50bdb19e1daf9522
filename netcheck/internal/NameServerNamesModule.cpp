// The names of the name servers: one outside the domain must resolve, to the
// address given, and be no alias (RFC 2181 10.3); one inside it is reached
// at the address the record gives, its glue, which no resolver knows before
// the delegation. Two listed servers on one address are one server
// (Zonemaster's SAME_IP_ADDRESS).
#include "CheckModule.h"
#include "CheckRun.h"

#include <algorithm>

namespace {

enum Tag { Alias, Unresolved, NoAddress, OtherAddress, SameAddress };
const std::vector<MessageDef> kMessages = {
    {Alias, Severity::Error, "%1 is an alias (CNAME); a name server's name must not be one"},
    {Unresolved, Severity::Error, "Whether %1 could not be checked: %2"},
    {NoAddress, Severity::Error, "%1 does not resolve to an address"},
    {OtherAddress, Severity::Error, "%1 resolves to %2, not %3"},
    {SameAddress, Severity::Error, "%1 and %2 have the same address %3"},
};

bool inside(const QString &host, const QString &domain)
{
    return host == domain || host.endsWith(QLatin1Char('.') + domain);
}

class NameServerNamesModule : public CheckModule {
public:
    const std::vector<MessageDef> &messages() const override { return kMessages; }

    void start(CheckRun &run) override
    {
        m_addresses.assign(run.servers.size(), {});
        for (size_t i = 0; i < run.servers.size(); ++i) {
            const NetworkCheckRequest::NameServer &entry = run.servers[i].entry;
            const QHostAddress given(entry.address);
            if (!given.isNull())
                found(run, i, given);
            if (!given.isNull() && inside(run.servers[i].ascii, run.ascii))
                continue;
            const QString name = shownName(entry.name);
            const int subject = int(i);
            const QString what = given.isNull() ? QStringLiteral("%1 resolves to an address").arg(name)
                                                : QStringLiteral("%1 has address %2").arg(name, entry.address);
            const int question = run.ask(subject, given.isNull() ? entry.field : entry.addressField, what);
            run.dns.resolveAddresses(run.servers[i].ascii, [this, &run, i, given, name, what, question](const DnsAsker::Resolution &r) {
                run.answered(question);
                const NetworkCheckRequest::NameServer &entry = run.servers[i].entry;
                const int subject = int(i);
                if (r.answered && r.alias)
                    return run.report(this, subject, Alias, entry.field, {name});
                if (!r.answered)
                    run.report(this, subject, Unresolved, given.isNull() ? entry.field : entry.addressField,
                               {what, r.failure}, true);
                else if (r.addresses.isEmpty())
                    run.report(this, subject, NoAddress, entry.field, {name});
                else if (!given.isNull() && !r.addresses.contains(given))
                    run.report(this, subject, OtherAddress, entry.addressField,
                               {name, addressList(r.addresses), entry.address});
                // Every address the name has is one the server is reached at.
                if (given.isNull() || r.addresses.contains(given))
                    for (const QHostAddress &a : r.addresses)
                        found(run, i, a);
            });
        }
    }

    void conclude(CheckRun &run, bool) override
    {
        for (size_t i = 0; i < m_addresses.size(); ++i)
            for (const QHostAddress &a : m_addresses[i])
                for (size_t k = 0; k < i; ++k)
                    if (m_addresses[k].contains(a)) {
                        run.report(this, int(i), SameAddress, run.servers[i].entry.addressField,
                                   {shownName(run.servers[k].entry.name), shownName(run.servers[i].entry.name),
                                    a.toString()});
                        break;
                    }
    }

private:
    void found(CheckRun &run, size_t i, const QHostAddress &a)
    {
        if (m_addresses[i].contains(a))
            return;
        m_addresses[i] << a;
        run.addressFound(i, a);
    }

    std::vector<QList<QHostAddress>> m_addresses; // of each server, as found
};

} // namespace

std::unique_ptr<CheckModule> makeNameServerNamesModule()
{
    return std::make_unique<NameServerNamesModule>();
}
