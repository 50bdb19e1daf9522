#include "RecordCheckRun.h"

#include "FieldCatalogue.h"
#include "IFields.h"
#include "PreMailCheck.h"

RecordCheckRun::RecordCheckRun(const IFields &fields, std::unique_ptr<PreMailCheck> check, std::function<bool()> wanted)
    : m_fields(fields), m_check(std::move(check)), m_wanted(std::move(wanted))
{
    if (!m_check)
        return;
    connect(m_check.get(), &PreMailCheck::progress, this, [this](const QString &text) {
        if (m_run && m_run->handlers.progress)
            m_run->handlers.progress(text);
    });
    connect(m_check.get(), &PreMailCheck::finished, this, &RecordCheckRun::finish);
}

RecordCheckRun::~RecordCheckRun()
{
    if (m_run)
        m_check->cancel();
}

bool RecordCheckRun::start(RecordKind kind, Handlers handlers)
{
    cancel();
    if (!m_check || (m_wanted && !m_wanted()))
        return false;
    m_run = Run{kind, std::move(handlers), checkRegistration(m_fields, kind), snapshot(kind)};
    m_check->start(m_fields, kind);
    return true;
}

void RecordCheckRun::cancel()
{
    if (!m_run)
        return;
    m_check->cancel();
    const Handlers handlers = std::move(m_run->handlers);
    m_run.reset();
    if (handlers.stopped)
        handlers.stopped();
}

void RecordCheckRun::edited(RecordKind kind)
{
    if (m_run && m_run->kind == kind)
        cancel();
}

void RecordCheckRun::finish(const RegistrationProblems &found)
{
    if (!m_run)
        return;
    // A change the program made (a copy button, another record loaded) is not
    // seen as an edit; what was checked is no longer what is shown.
    if (snapshot(m_run->kind) != m_run->record) {
        cancel();
        return;
    }
    Run run = std::move(*m_run);
    m_run.reset();
    if (run.handlers.finished)
        run.handlers.finished(run.offline + found);
}

QStringList RecordCheckRun::snapshot(RecordKind kind) const
{
    QStringList values;
    for (const FieldDef &f : fieldCatalogue())
        if (f.kind == kind)
            values << (f.type == ControlType::Radio ? QString::number(m_fields.isChecked(f.name)) : m_fields.text(f.name));
    return values;
}
