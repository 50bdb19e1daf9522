// A contact's mail domain takes mail: it names a mail server, or has an
// address mail goes to instead, and no null MX (RFC 7505) says it takes none.
#include "CheckModule.h"
#include "CheckRun.h"

namespace {

enum Tag { Unresolved, NullMx, NoMail };
const std::vector<MessageDef> kMessages = {
    {Unresolved, Severity::Error, "Whether %1 could not be checked: %2"},
    {NullMx, Severity::Error, "%1, the domain of %2, accepts no mail (null MX)"},
    {NoMail, Severity::Error, "%1, the domain of %2, has no MX or address record"},
};

class MailDomainModule : public CheckModule {
public:
    const std::vector<MessageDef> &messages() const override { return kMessages; }

    void start(CheckRun &run) override
    {
        const NetworkCheckRequest &r = run.request;
        if (r.kind != RecordKind::Contact || r.action == NetworkCheckRequest::Action::Delete)
            return;
        const qsizetype at = r.mailbox.lastIndexOf(QLatin1Char('@'));
        if (at < 0)
            return;
        const QString typed = shownName(r.mailbox.mid(at + 1));
        const QString domain = asciiOf(typed);
        if (domain.isEmpty())
            return;
        const QString what = QStringLiteral("%1, the domain of %2, takes mail").arg(typed, r.mailbox);
        const int question = run.ask(0, r.mailboxField, what);
        run.dns.resolve(domain, DnsType::Mx, [this, &run, domain, typed, what, question](const DnsAsker::Resolution &mx) {
            const NetworkCheckRequest &r = run.request;
            if (mx.answered && mx.nullMx) {
                run.answered(question);
                return run.report(this, 0, NullMx, r.mailboxField, {typed, r.mailbox});
            }
            if (mx.answered && !mx.names.isEmpty())
                return run.answered(question);
            // Mail goes to the domain's own address when it names no mail server.
            run.dns.resolveAddresses(domain, [this, &run, mx, typed, what, question](const DnsAsker::Resolution &a) {
                run.answered(question);
                const NetworkCheckRequest &r = run.request;
                if (!mx.answered && !a.answered)
                    run.report(this, 0, Unresolved, r.mailboxField, {what, a.failure}, true);
                else if (a.addresses.isEmpty())
                    run.report(this, 0, NoMail, r.mailboxField, {typed, r.mailbox});
            });
        });
    }
};

} // namespace

std::unique_ptr<CheckModule> makeMailDomainModule()
{
    return std::make_unique<MailDomainModule>();
}
