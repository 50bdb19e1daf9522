// The SOA serials of all servers at all their addresses. Serials that differ
// are most often a zone transfer under way: worth a look, no reason to refuse
// (Zonemaster's MULTIPLE_SOA_SERIALS).
#include "CheckModule.h"
#include "CheckRun.h"

namespace {

enum Tag { Differ };
const std::vector<MessageDef> kMessages = {
    {Differ, Severity::Warning, "the SOA serials differ: %1"},
};

class SerialsModule : public CheckModule {
public:
    const std::vector<MessageDef> &messages() const override { return kMessages; }
    void start(CheckRun &) override {}

    void conclude(CheckRun &run, bool) override
    {
        QStringList at;
        std::optional<quint32> first;
        const CheckedServer *differs = nullptr;
        for (const CheckedServer &s : run.servers)
            for (const ServerAddress &a : s.at) {
                if (!a.soa || !authoritative(*a.soa, DnsType::Soa))
                    continue;
                const quint32 serial = *a.soa->reply.serial;
                if (!first)
                    first = serial;
                else if (!differs && serial != *first)
                    differs = &s;
                const QString text = QStringLiteral("%1 at %2").arg(serial).arg(shownName(s.entry.name));
                if (!at.contains(text))
                    at << text;
            }
        if (differs)
            run.report(this, int(run.servers.size()), Differ, differs->entry.field, {at.join(QLatin1String(", "))});
    }
};

} // namespace

std::unique_ptr<CheckModule> makeSerialsModule()
{
    return std::make_unique<SerialsModule>();
}
