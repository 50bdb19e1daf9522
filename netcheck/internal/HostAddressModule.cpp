// A host's name resolves to the address the record gives; a name not in the
// DNS yet is worth a warning only, as a new host often is.
#include "CheckModule.h"
#include "CheckRun.h"

namespace {

enum Tag { Unresolved, NotYet, OtherAddress };
const std::vector<MessageDef> kMessages = {
    {Unresolved, Severity::Error, "Whether %1 could not be checked: %2"},
    {NotYet, Severity::Warning, "%1 does not resolve yet"},
    {OtherAddress, Severity::Error, "%1 resolves to %2, not %3"},
};

class HostAddressModule : public CheckModule {
public:
    const std::vector<MessageDef> &messages() const override { return kMessages; }

    void start(CheckRun &run) override
    {
        const NetworkCheckRequest &r = run.request;
        if (r.kind != RecordKind::Host || r.action == NetworkCheckRequest::Action::Delete || run.ascii.isEmpty())
            return;
        const QString what = r.hostAddress.isEmpty()
                                 ? QStringLiteral("%1 resolves to an address").arg(run.shown)
                                 : QStringLiteral("%1 has address %2").arg(run.shown, r.hostAddress);
        const int question = run.ask(0, r.hostAddress.isEmpty() ? r.nameField : r.hostAddressField, what);
        run.dns.resolveAddresses(run.ascii, [this, &run, what, question](const DnsAsker::Resolution &found) {
            run.answered(question);
            const NetworkCheckRequest &r = run.request;
            const QHostAddress given(r.hostAddress);
            if (!found.answered)
                run.report(this, 0, Unresolved, r.nameField, {what, found.failure}, true);
            else if (found.addresses.isEmpty())
                run.report(this, 0, NotYet, r.nameField, {run.shown});
            else if (!given.isNull() && !found.addresses.contains(given))
                run.report(this, 0, OtherAddress, r.hostAddressField,
                           {run.shown, addressList(found.addresses), r.hostAddress});
        });
    }
};

} // namespace

std::unique_ptr<CheckModule> makeHostAddressModule()
{
    return std::make_unique<HostAddressModule>();
}
