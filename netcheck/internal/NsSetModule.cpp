// The NS set each serving server gives holds every listed server. A server
// missing from the sets is named once, at the first server in the record's
// order whose set lacks it. More servers in the set than the record lists is
// no problem.
#include "CheckModule.h"
#include "CheckRun.h"

#include <QSet>

namespace {

enum Tag { Missing };
const std::vector<MessageDef> kMessages = {
    {Missing, Severity::Error, "the NS set of %1 at %2 does not hold %3"},
};

class NsSetModule : public CheckModule {
public:
    const std::vector<MessageDef> &messages() const override { return kMessages; }
    void start(CheckRun &) override {}

    void conclude(CheckRun &run, bool) override
    {
        QSet<QString> named;
        for (size_t i = 0; i < run.servers.size(); ++i) {
            const ServerAddress *at = run.servers[i].serving();
            if (!at)
                continue;
            for (const CheckedServer &other : run.servers)
                if (!at->ns->reply.names.contains(other.ascii) && !named.contains(other.ascii)) {
                    named.insert(other.ascii);
                    run.report(this, int(i), Missing, other.entry.field,
                               {run.shown, shownName(run.servers[i].entry.name), shownName(other.entry.name)});
                }
        }
    }
};

} // namespace

std::unique_ptr<CheckModule> makeNsSetModule()
{
    return std::make_unique<NsSetModule>();
}
