// Each name server at each of its addresses: SOA and NS over UDP with
// authority, SOA over TCP. One message for a server that does not serve the
// domain at an address, however many of its answers show it.
#include "CheckModule.h"
#include "CheckRun.h"
#include "LookUpText.h"

namespace {

enum Tag { Closed, Silent, NoUdp, NoTcpAfterTruncation, Malformed, OtherName, NotAuthoritative, NoTcp };
const std::vector<MessageDef> kMessages = {
    {Closed, Severity::Error, "%1 does not answer on port 53"},
    {Silent, Severity::Error, "%1 did not answer within %2"},
    {NoUdp, Severity::Error, "%1 does not answer over UDP"},
    {NoTcpAfterTruncation, Severity::Error, "%1 does not answer over TCP for %2"},
    {Malformed, Severity::Error, "%1 sent a malformed answer for %2"},
    {OtherName, Severity::Error, "%1 answered for another name than %2"},
    {NotAuthoritative, Severity::Error, "%1 does not answer authoritatively for %2"},
    {NoTcp, Severity::Error, "%1 does not answer over TCP for %2"},
};

class NameServerAnswersModule : public CheckModule {
public:
    const std::vector<MessageDef> &messages() const override { return kMessages; }

    void start(CheckRun &) override {}

    void addressFound(CheckRun &run, size_t i, const QHostAddress &address) override
    {
        CheckedServer &s = run.servers[i];
        const size_t j = s.at.size();
        s.at.push_back(ServerAddress{address, 0, {}, {}, {}, false});
        const int question = run.ask(int(i), s.entry.field,
                                     QStringLiteral("%1 (%2) serves %3")
                                         .arg(shownName(s.entry.name), address.toString(), run.shown));
        using T = DnsExchange::Transport;
        auto keep = [this, &run, i, j, question](std::optional<DnsExchange::Result> ServerAddress::*slot) {
            return [this, &run, i, j, slot, question](const DnsExchange::Result &r) {
                ServerAddress &a = run.servers[i].at[j];
                a.*slot = r;
                if (++a.done == 3) {
                    run.answered(question);
                    judge(run, i, a);
                }
            };
        };
        run.dns.ask(address, run.ascii, DnsType::Soa, T::Udp, false, keep(&ServerAddress::soa));
        run.dns.ask(address, run.ascii, DnsType::Ns, T::Udp, false, keep(&ServerAddress::ns));
        run.dns.ask(address, run.ascii, DnsType::Soa, T::Tcp, false, keep(&ServerAddress::tcp));
    }

private:
    void judge(CheckRun &run, size_t i, ServerAddress &at)
    {
        const QString field = run.servers[i].entry.field;
        const QString label = QStringLiteral("%1 (%2)").arg(shownName(run.servers[i].entry.name), at.address.toString());
        const auto say = [&](Tag tag, const QStringList &more = {}) {
            run.report(this, int(i), tag, field, QStringList{label} + more);
        };
        using O = DnsExchange::Outcome;
        const auto unanswered = [](const DnsExchange::Result &r) { return r.outcome == O::Silent || r.outcome == O::Refused; };
        if (unanswered(*at.soa) && unanswered(*at.ns) && at.tcp->outcome == O::Refused)
            return say(Closed);
        for (const auto &[result, type] : {std::pair{*at.soa, DnsType::Soa}, std::pair{*at.ns, DnsType::Ns}}) {
            switch (result.outcome) {
            case O::Silent:
                return say(Silent, {secondsText(run.limits.queryMs)});
            case O::Refused: // at once: the port's ICMP error
                return say(NoUdp);
            case O::NoTcp:
                return say(NoTcpAfterTruncation, {run.shown});
            case O::Malformed:
                return say(Malformed, {run.shown});
            case O::OtherName:
                return say(OtherName, {run.shown});
            case O::Reply:
                if (!authoritative(result, type))
                    return say(NotAuthoritative, {run.shown});
                break;
            }
        }
        at.serves = true;
        if (!authoritative(*at.tcp, DnsType::Soa))
            say(NoTcp, {run.shown});
    }
};

} // namespace

std::unique_ptr<CheckModule> makeNameServerAnswersModule()
{
    return std::make_unique<NameServerAnswersModule>();
}
