#include "EppWorkflow.h"

#include "ControlFields.h"
#include "EppJobs.h"
#include "EppSettings.h"
#include "Exception.h"
#include "FormRules.h"
#include "Guarded.h"
#include "IPrompter.h"
#include "IReviewForm.h"
#include "IniFile.h"
#include "LookUpText.h"
#include "RecordCheckRun.h"
#include "RecordStore.h"
#include "TMailWorkflow.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>

namespace {

const char *const kSendQuestion = "You are about to send this registration to the registry.  Click YES to send it.  "
                                  "Click NO to cancel.";
const char *const kCanceled = "Operation has been canceled";
// The bar's share of each step; a session's length is not known ahead.
constexpr int kStepProgress = 10;
constexpr int kMaxProgress = 90;

EppObject objectOf(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Domain:
        return EppObject::Domain;
    case RecordKind::Host:
        return EppObject::Host;
    case RecordKind::Contact:
        break;
    }
    return EppObject::Contact;
}

EppAction actionOf(const IFields &fields, RecordKind kind)
{
    const QString code = actionCode(fields, kind);
    return code == QLatin1String("M") ? EppAction::Modify : code == QLatin1String("D") ? EppAction::Delete : EppAction::New;
}

// The question before sending a record with problems, as the mail asks it.
QString sendAnywayQuestion(const RegistrationProblems &problems)
{
    constexpr qsizetype kListed = 10;
    QStringList lines{QStringLiteral("The registry may refuse this registration. %1").arg(problemSummary(problems)), QString()};
    for (qsizetype i = 0; i < problems.size() && i < kListed; ++i)
        lines << problemText(problems[i]);
    if (problems.size() > kListed)
        lines << QStringLiteral("and %1 more").arg(problems.size() - kListed);
    lines << QString() << QStringLiteral("Send it anyway?");
    return lines.join(QLatin1Char('\n'));
}

// "Registry created example.com (svTRID 54322-XYZ)": the record's own step, the last one done.
QString doneText(const EppOutcome &outcome, const QString &name)
{
    QString text;
    if (outcome.done.isEmpty()) {
        text = QStringLiteral("Registry: nothing to change for %1").arg(name);
    } else {
        const EppStep &last = outcome.done.last();
        const char *verb = last.stage == EppStep::Stage::Deleting ? "deleted"
                           : last.stage == EppStep::Stage::Updating ? "updated"
                                                                     : "created";
        text = QStringLiteral("Registry %1 %2").arg(QLatin1String(verb), last.name);
    }
    if (!outcome.svTrid.isEmpty())
        text += QStringLiteral(" (svTRID %1)").arg(outcome.svTrid);
    return visibleText(text);
}

// A refusal, a problem or a failure as a message box says it: one thing a line.
QString boxText(const EppOutcome &outcome)
{
    QStringList lines;
    switch (outcome.result) {
    case EppOutcome::Result::Refused:
        lines << QStringLiteral("The registry refused it (%1):").arg(outcome.refusedStep.text())
              << QStringLiteral("%1 %2").arg(outcome.code).arg(outcome.message) << outcome.reasons;
        lines << QString() << QStringLiteral("Nothing was removed here.");
        break;
    case EppOutcome::Result::Problems:
        lines << QStringLiteral("Not sent:") << outcome.problems;
        break;
    default:
        lines << outcome.text();
    }
    return visibleText(lines.join(QLatin1Char('\n')));
}

} // namespace

EppWorkflow::EppWorkflow(const Parts &parts) : m_parts(parts)
{
    for (const KindInfo &k : recordKinds())
        connectPage(k.kind);
    settingsChanged();
}

EppWorkflow::~EppWorkflow()
{
    // A session still running ends with the window; nothing of it may reach the pages.
    if (m_run && m_run->job) {
        m_run->job->disconnect(this);
        m_run->job->cancel();
    }
}

void EppWorkflow::connectPage(RecordKind kind)
{
    const KindInfo &k = kindInfo(kind);
    const ControlFields &c = m_parts.controls;
    connect(c.control<QPushButton>(QLatin1String(k.sendButton)), &QPushButton::clicked, this,
            [this, kind] { guarded(m_parts.prompter, [this, kind] { send(kind); }); });
    connect(c.control<QPushButton>(QLatin1String(k.stopButton)), &QPushButton::clicked, this, [this] { stop(); });

    // The memo's own menu, then the registry's view and the transcript; Ctrl+I
    // works anywhere on the page.
    auto *memo = c.control<QPlainTextEdit>(QLatin1String(k.memo));
    QWidget *page = memo->parentWidget();
    auto *registry = new QAction(QStringLiteral("&Registry"), page);
    registry->setObjectName(QLatin1String(k.memo) + QStringLiteral("Registry"));
    registry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    registry->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    registry->setToolTip(QStringLiteral("Shows what the registry holds for this record, and how the pages differ."));
    page->addAction(registry);
    connect(registry, &QAction::triggered, this, [this, kind] { guarded(m_parts.prompter, [this, kind] { showRegistry(kind); }); });
    auto *transcript = new QAction(QStringLiteral("&Transcript"), page);
    transcript->setObjectName(QLatin1String(k.memo) + QStringLiteral("Transcript"));
    transcript->setToolTip(QStringLiteral("Shows the record's EPP transcript, passwords masked."));
    connect(transcript, &QAction::triggered, this, [this, kind] { guarded(m_parts.prompter, [this, kind] { showTranscript(kind); }); });
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, memo, [this, memo, registry, transcript, kind](QPoint at) {
        QMenu *menu = memo->createStandardContextMenu(at);
        menu->addSeparator();
        registry->setEnabled(!busy() && !m_parts.settings.server.trimmed().isEmpty());
        transcript->setEnabled(QFile::exists(transcriptPath(kind)));
        menu->addAction(registry);
        menu->addAction(transcript);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // Ctrl+I is the page's own again once the menu is gone.
        connect(menu, &QMenu::aboutToHide, registry, [registry] { registry->setEnabled(true); });
        menu->popup(memo->viewport()->mapToGlobal(at));
    });
}

void EppWorkflow::settingsChanged()
{
    if (busy())
        return; // the end of the run sets them
    const bool usable = !m_parts.settings.server.trimmed().isEmpty();
    for (const KindInfo &k : recordKinds())
        m_parts.controls.control<QPushButton>(QLatin1String(k.sendButton))->setEnabled(usable);
}

void EppWorkflow::requireLogin(RecordKind kind)
{
    const EppSetup &s = m_parts.settings;
    if (s.server.trimmed().isEmpty() || s.clientId.isEmpty() || s.passwordWithheld.isEmpty())
        return;
    const QString text = QStringLiteral("Not sent: the EPP password is unknown because %1. Unlock it and open File > "
                                        "Setup, or type the password there.")
                             .arg(s.passwordWithheld);
    setStatus(kind, 0, text);
    throw Exception(text);
}

void EppWorkflow::send(RecordKind kind)
{
    if (busy() || m_parts.mail.busy())
        return;
    requireLogin(kind);
    if (m_parts.review.refuseRecordName(kind))
        return;
    auto *status = m_parts.controls.control<QLineEdit>(QLatin1String(kindInfo(kind).status));
    RecordCheckRun::Handlers handlers;
    handlers.progress = [status](const QString &text) { status->setText(text); };
    handlers.finished = [this, kind](const RegistrationProblems &problems) {
        const Wait wait = *m_waiting;
        m_waiting.reset();
        setRunning(false);
        setStatus(kind, -1, wait.status);
        m_parts.review.showProblems(kind, problems);
        guarded(m_parts.prompter, [&] { confirmAndSend(kind, problems); });
    };
    handlers.stopped = [this, kind] {
        m_waiting.reset();
        setRunning(false);
        setStatus(kind, -1, QLatin1String(kCanceled));
    };
    const QString before = status->text();
    if (m_parts.checks.start(kind, std::move(handlers))) {
        m_waiting = Wait{kind, before};
        setRunning(true);
        return;
    }
    confirmAndSend(kind, checkRegistration(m_parts.fields, kind));
}

void EppWorkflow::confirmAndSend(RecordKind kind, const RegistrationProblems &problems)
{
    IPrompter &prompter = m_parts.prompter;
    if (!problems.isEmpty() && !prompter.confirmDefaultNo(sendAnywayQuestion(problems)))
        return;
    if (!prompter.confirm(QLatin1String(kSendQuestion)))
        return;
    m_parts.review.renderIntoMemo(kind);
    // From here on the window may change while the session runs; only this counts.
    const QString name = m_parts.fields.text(QLatin1String(kindInfo(kind).nameField));
    const EppRecord record = EppRecord::fromFields(m_parts.fields, kind, name, actionOf(m_parts.fields, kind));
    start(Run{kind, name, Purpose::Send, m_parts.store.nameListUpdate(kind), 0, {}, {}}, new EppSendJob(sessionSettings(), record, this));
}

void EppWorkflow::showRegistry(RecordKind kind)
{
    if (busy() || m_parts.mail.busy() || m_parts.settings.server.trimmed().isEmpty())
        return;
    requireLogin(kind);
    if (m_parts.review.refuseRecordName(kind))
        return;
    QString name = m_parts.fields.text(QLatin1String(kindInfo(kind).nameField));
    // The registry knows a contact by its handle.
    if (kind == RecordKind::Contact) {
        name = m_parts.fields.text(QStringLiteral("ContactNicHandle")).trimmed();
        if (name.isEmpty()) {
            m_parts.prompter.information(QStringLiteral("The contact has no Nic Handle: the registry knows it by that."));
            return;
        }
    }
    auto *job = new EppInfoJob(sessionSettings(), objectOf(kind), name, this);
    // What a Modify of the pages would change, so it can be reviewed before it is sent.
    job->compareWith(EppRecord::fromFields(m_parts.fields, kind, m_parts.fields.text(QLatin1String(kindInfo(kind).nameField)),
                                           EppAction::Modify));
    start(Run{kind, name, Purpose::Info, {}, 0, {}, {}}, job);
}

void EppWorkflow::start(Run run, EppJob *job)
{
    run.job = job;
    run.transcript = transcriptPath(run.kind);
    job->setTranscript(run.transcript);
    m_run = run;
    setRunning(true);
    connect(job, &EppJob::step, this, [this](const EppStep &s) { stepped(s.text()); });
    connect(job, &EppJob::finished, this, [this](const EppOutcome &o) { guarded(m_parts.prompter, [&] { finished(o); }); });
    job->start();
}

void EppWorkflow::stepped(const QString &text)
{
    if (!m_run)
        return;
    m_run->progress = std::min(kMaxProgress, m_run->progress + kStepProgress);
    setStatus(m_run->kind, m_run->progress, visibleText(text));
}

void EppWorkflow::finished(const EppOutcome &outcome)
{
    if (!m_run)
        return;
    const Run run = *m_run;
    m_run.reset();
    if (run.job)
        run.job->deleteLater();
    setRunning(false);
    // Whatever the end, the status line's tool tip names the session's transcript.
    const auto named = qScopeGuard([this, &run] {
        auto *status = m_parts.controls.control<QLineEdit>(QLatin1String(kindInfo(run.kind).status));
        if (QFile::exists(run.transcript))
            status->setToolTip(status->text() + QStringLiteral("\nTranscript: %1 (the form's context menu shows it)").arg(run.transcript));
    });
    if (outcome.result == EppOutcome::Result::Cancelled) {
        setStatus(run.kind, 0, QLatin1String(kCanceled));
        return;
    }
    if (!outcome.succeeded()) {
        setStatus(run.kind, 0, visibleText(outcome.text()));
        m_parts.prompter.error(boxText(outcome));
        return;
    }
    if (run.purpose == Purpose::Info)
        showInfo(run, outcome);
    else
        sent(run, outcome);
}

void EppWorkflow::sent(const Run &run, const EppOutcome &outcome)
{
    setStatus(run.kind, 0, doneText(outcome, run.name));
    m_parts.prompter.beep();
    // The ids the registry now knows go into the record, stored, and Undo can take them back.
    if (!outcome.handles.isEmpty())
        m_parts.undoable(run.kind, QStringLiteral("handles from the registry"), [&] {
            EppRecord::writeHandles(outcome.handles, m_parts.fields, run.kind, run.name);
            m_parts.store.saveRecord(run.kind);
        });
    m_parts.store.updateNameList(run.afterwards);
}

void EppWorkflow::showInfo(const Run &run, const EppOutcome &outcome)
{
    QStringList lines{QStringLiteral("The registry's view of %1 %2:").arg(eppObjectWord(objectOf(run.kind)), run.name)};
    for (const auto &[key, value] : outcome.info)
        lines << visibleText(QStringLiteral("%1: %2").arg(key, value));
    lines << QString();
    if (!outcome.difference || outcome.difference->text().isEmpty() ||
        (outcome.difference->adding.isEmpty() && outcome.difference->removing.isEmpty() &&
         outcome.difference->changing.isEmpty()))
        lines << QStringLiteral("The pages agree with the registry.");
    else
        lines << QStringLiteral("The pages differ; a Modify would send:") << visibleText(outcome.difference->text());
    m_parts.controls.control<QPlainTextEdit>(QLatin1String(kindInfo(run.kind).memo))->setPlainText(lines.join(QLatin1Char('\n')));
    setStatus(run.kind, 0, QStringLiteral("Registry's view of %1 (svTRID %2)").arg(run.name, outcome.svTrid));
}

void EppWorkflow::showTranscript(RecordKind kind)
{
    const QString path = transcriptPath(kind);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_parts.prompter.information(QStringLiteral("No transcript yet: %1").arg(path));
        return;
    }
    m_parts.controls.control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo))
        ->setPlainText(visibleText(QString::fromUtf8(file.readAll())));
    setStatus(kind, -1, QStringLiteral("Transcript: %1").arg(path));
}

void EppWorkflow::stop()
{
    if (m_waiting)
        m_parts.checks.cancel();
    else if (m_run && m_run->job)
        m_run->job->cancel();
}

EppSettings EppWorkflow::sessionSettings() const
{
    return m_parts.settings.appliedTo(EppSettings::fromIni(IniDocument::load(m_parts.settingsPath)));
}

QString EppWorkflow::transcriptPath(RecordKind kind) const
{
    const QString name = m_parts.fields.text(QLatin1String(kindInfo(kind).nameField));
    QString path = RecordStore::textCopyPath(kind, name);
    path.chop(QStringLiteral(".txt").size());
    return path + QStringLiteral(".epp.log");
}

void EppWorkflow::setRunning(bool running)
{
    const bool usable = !m_parts.settings.server.trimmed().isEmpty();
    for (const KindInfo &k : recordKinds()) {
        m_parts.controls.control<QPushButton>(QLatin1String(k.mailButton))->setEnabled(!running);
        m_parts.controls.control<QPushButton>(QLatin1String(k.sendButton))->setEnabled(!running && usable);
        m_parts.controls.control<QPushButton>(QLatin1String(k.stopButton))->setEnabled(running);
    }
}

void EppWorkflow::setStatus(RecordKind kind, int progress, const QString &text)
{
    const KindInfo &k = kindInfo(kind);
    if (progress >= 0)
        m_parts.controls.control<QProgressBar>(QLatin1String(k.progress))->setValue(progress);
    m_parts.controls.control<QLineEdit>(QLatin1String(k.status))->setText(text);
}
