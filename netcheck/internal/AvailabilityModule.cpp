// Whether the name is registered, asked as the WhoIs page is set up. The
// look-up's own verdict is taken as it comes; an answer that never comes is
// a warning, never a reason to refuse.
#include "CheckModule.h"
#include "CheckRun.h"
#include "LookUpText.h"
#include "NetworkCheck.h"

namespace {

enum Tag { Taken, TakenBy, NotRegistered, NotAsked };
const std::vector<MessageDef> kMessages = {
    {Taken, Severity::Error, "%1 is already registered"},
    {TakenBy, Severity::Error, "%1 is already registered (registrar: %2)"},
    {NotRegistered, Severity::Error, "%1 is not registered"},
    {NotAsked, Severity::Warning, "Whether %1 is registered could not be asked: %2"},
};

class AvailabilityModule : public CheckModule {
public:
    explicit AvailabilityModule(RegistrationLookup *lookup) : m_lookup(lookup)
    {
        if (!m_lookup)
            return;
        m_answered = QObject::connect(m_lookup, &RegistrationLookup::answered, m_lookup,
                                      [this](bool registered, const QString &registrar) { answered(registered, registrar); });
        m_failed = QObject::connect(m_lookup, &RegistrationLookup::failed, m_lookup,
                                    [this](const QString &text) { failed(text); });
    }
    ~AvailabilityModule() override
    {
        QObject::disconnect(m_answered);
        QObject::disconnect(m_failed);
    }

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
    void answered(bool registered, const QString &registrar)
    {
        if (!m_waiting)
            return;
        m_waiting = false;
        m_run->reachedNetwork = true;
        const bool isNew = m_run->request.action == NetworkCheckRequest::Action::New;
        const QString field = m_run->request.nameField;
        if (registered && isNew && registrar.isEmpty())
            m_run->report(this, -1, Taken, field, {m_run->shown});
        else if (registered && isNew)
            m_run->report(this, -1, TakenBy, field, {m_run->shown, registrar});
        else if (!registered && !isNew)
            m_run->report(this, -1, NotRegistered, field, {m_run->shown});
        m_run->settle();
    }
    void failed(const QString &text)
    {
        if (!m_waiting)
            return;
        m_waiting = false;
        notAsked(text);
        m_run->settle();
    }
    void notAsked(const QString &why)
    {
        m_run->report(this, -1, NotAsked, m_run->request.nameField, {m_run->shown, why}, true);
    }

    RegistrationLookup *m_lookup;
    CheckRun *m_run = nullptr;
    bool m_waiting = false;
    QMetaObject::Connection m_answered, m_failed;
};

} // namespace

std::unique_ptr<CheckModule> makeAvailabilityModule(RegistrationLookup *lookup)
{
    return std::make_unique<AvailabilityModule>(lookup);
}
