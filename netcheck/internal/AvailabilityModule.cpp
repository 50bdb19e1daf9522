// Whether the name is registered, asked as the WhoIs page is set up. The
// look-up's own verdict is taken as it comes; an answer that never comes is
// a warning, never a reason to refuse.
#include "CheckModule.h"
#include "CheckRun.h"
#include "LookUpText.h"
#include "NetworkCheck.h"

namespace {

enum Tag { Taken, TakenBy, NotRegistered, NotTold, NotAsked };
const std::vector<MessageDef> kMessages = {
    {Taken, Severity::Error, "%1 is already registered"},
    {TakenBy, Severity::Error, "%1 is already registered (registrar: %2)"},
    {NotRegistered, Severity::Error, "%1 is not registered"},
    {NotTold, Severity::Warning, "Whether %1 is registered could not be told from the WHOIS answer"},
    {NotAsked, Severity::Warning, "Whether %1 is registered could not be asked: %2"},
};

class AvailabilityModule : public CheckModule {
public:
    explicit AvailabilityModule(RegistrationLookup *lookup) : m_lookup(lookup)
    {
        if (!m_lookup)
            return;
        m_answered = QObject::connect(m_lookup, &RegistrationLookup::answered, m_lookup,
                                      [this](const LookUpOutcome &outcome) { answered(outcome); });
    }
    ~AvailabilityModule() override { QObject::disconnect(m_answered); }

    const std::vector<MessageDef> &messages() const override { return kMessages; }

    void start(CheckRun &run) override
    {
        m_run = &run;
        if (!m_lookup || run.request.kind != RecordKind::Domain || run.ascii.isEmpty())
            return;
        m_waiting = true;
        run.askedNetwork = true;
        run.sayWaiting(QStringLiteral("Asking whether %1 is registered").arg(run.shown));
        m_lookup->start(run.ascii);
    }
    bool waiting() const override { return m_waiting; }

    void conclude(CheckRun &run, bool cutShort) override
    {
        if (cutShort && m_waiting)
            notAsked(QStringLiteral("no answer within %1").arg(secondsText(run.limits.wholeMs)));
        stop();
    }
    void stop() override
    {
        if (m_waiting && m_lookup)
            m_lookup->cancel();
        m_waiting = false;
    }

private:
    // The registrar and the reason are the server's words: shown escaped.
    void answered(const LookUpOutcome &outcome)
    {
        if (!m_waiting)
            return;
        m_waiting = false;
        if (outcome.registryAnswered())
            m_run->reachedNetwork = true;
        const bool isNew = m_run->request.action == NetworkCheckRequest::Action::New;
        const QString field = m_run->request.nameField;
        switch (outcome.kind) {
        case LookUpOutcome::Kind::Found:
            if (isNew && outcome.registrar.isEmpty())
                m_run->report(this, -1, Taken, field, {m_run->shown});
            else if (isNew)
                m_run->report(this, -1, TakenBy, field, {m_run->shown, visibleText(outcome.registrar)});
            break;
        case LookUpOutcome::Kind::NotFound:
            if (!isNew)
                m_run->report(this, -1, NotRegistered, field, {m_run->shown});
            break;
        case LookUpOutcome::Kind::Answered:
            m_run->report(this, -1, NotTold, field, {m_run->shown}, true);
            break;
        case LookUpOutcome::Kind::Refused:
        case LookUpOutcome::Kind::TransportFailure:
        case LookUpOutcome::Kind::CutShort:
            notAsked(visibleText(outcome.line()));
            break;
        }
        m_run->settle();
    }
    void notAsked(const QString &why)
    {
        m_run->report(this, -1, NotAsked, m_run->request.nameField, {m_run->shown, why}, true);
    }

    RegistrationLookup *m_lookup;
    CheckRun *m_run = nullptr;
    bool m_waiting = false;
    QMetaObject::Connection m_answered;
};

} // namespace

std::unique_ptr<CheckModule> makeAvailabilityModule(RegistrationLookup *lookup)
{
    return std::make_unique<AvailabilityModule>(lookup);
}
