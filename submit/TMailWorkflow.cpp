#include "TMailWorkflow.h"

#include "ControlFields.h"
#include "Exception.h"
#include "Guarded.h"
#include "IPrompter.h"
#include "IReviewForm.h"
#include "RecordCheckRun.h"
#include "RecordStore.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

const char *const kMailQuestion =
    "You are about to mail this registration.  We strongly suggest you click SHOW FORM and review your entries "
    "before you proceed.  Click YES to mail the registration.  Click NO to cancel.";
const char *const kPgpRefusal =
    "You have selected PGP as your Authorization type. If you wish to use PGP Encryption, cut and paste the form out "
    "of the window and use PGP software to mail it.";
const char *const kSent = "Your registratuion has been sent.";
const char *const kCanceled = "Operation has been canceled";
constexpr int kBriefMs = 3000;

// The connection events and what every review page shows for them.
struct EventStatus {
    TNotifyEvent TmsSMTP::*event;
    int progress;
    const char *text;
};

const EventStatus kEventStatus[] = {
    {&TmsSMTP::OnOpen, 30, "Opening connection"},
    {&TmsSMTP::OnPrepare, 10, "Preparing message"},
    {&TmsSMTP::OnSending, 50, "Sending message"},
    {&TmsSMTP::OnMailSent, 70, "Message has been sent"},
    {&TmsSMTP::OnClosing, 100, "Closing connection"},
    {&TmsSMTP::OnClosed, 0, "Connection closed"},
};

} // namespace

TMailWorkflow::TMailWorkflow(const Parts &parts)
    : m_parts(parts), m_smtp(parts.smtp), m_message(new TmsMessage(this))
{
    m_message->setObjectName(QStringLiteral("msMessage1"));
    m_message->SetContentType(QStringLiteral("text/plain"));
    m_message->SetReturnReceipt(false);
    m_smtp.setObjectName(QStringLiteral("msSMTP1"));
    m_smtp.SetDefaultPort(25);
    m_smtp.SetMailMessage(m_message);
    connectEvents();
    connectButtons();
}

TMailWorkflow::~TMailWorkflow() = default;

void TMailWorkflow::connectEvents()
{
    for (const EventStatus &e : kEventStatus) {
        const int progress = e.progress;
        const QString text = QLatin1String(e.text);
        const bool sent = e.event == &TmsSMTP::OnMailSent;
        m_smtp.*e.event = [this, progress, text, sent](QObject *) {
            // The component reports the end of the exchange after a failure
            // too; success is only shown for a message the server took.
            if (sent && !m_smtp.Delivered())
                return;
            setStatus(progress, text);
            if (sent)
                m_parts.prompter.beep();
        };
    }
    // Only the domain and host pages show the cancel; their bars stay where they are.
    m_smtp.OnCancel = [this](QObject *) { setStatus(-1, QLatin1String(kCanceled), false); };
}

void TMailWorkflow::connectButtons()
{
    for (const KindInfo &k : recordKinds()) {
        const RecordKind kind = k.kind;
        connect(m_parts.controls.control<QPushButton>(QLatin1String(k.mailButton)), &QPushButton::clicked, this,
                [this, kind] { guarded(m_parts.prompter, [this, kind] { mail(kind); }); });
        if (auto *stop = m_parts.controls.control<QPushButton>(QLatin1String(k.stopButton)))
            connect(stop, &QPushButton::clicked, this, [this] { this->stop(); });
    }
}

void TMailWorkflow::mail(RecordKind kind)
{
    // The mail buttons are disabled during a send; one component never runs twice.
    if (busy())
        return;
    // A login without its password would only earn the server's refusal.
    if (const MailSettings &settings = m_parts.settings;
        !settings.userName.isEmpty() && !settings.passwordWithheld.isEmpty()) {
        const QString text = QStringLiteral("Not sent: the password of the SMTP login is unknown because %1. Unlock "
                                            "it and open File > Setup, or type the password there.")
                                 .arg(settings.passwordWithheld);
        setStatus(0, text);
        throw Exception(text);
    }
    if (m_parts.review.refuseRecordName(kind))
        return;
    waitForCheck(kind);
    if (!waiting())
        confirmAndSend(kind, checkRegistration(m_parts.fields, kind));
}

void TMailWorkflow::waitForCheck(RecordKind kind)
{
    auto *status = m_parts.controls.control<QLineEdit>(QLatin1String(kindInfo(kind).status));
    const QString before = status->text();
    RecordCheckRun::Handlers handlers;
    handlers.progress = [status](const QString &text) { status->setText(text); };
    handlers.finished = [this, kind](const RegistrationProblems &problems) {
        endWait();
        m_parts.review.showProblems(kind, problems);
        guarded(m_parts.prompter, [&] { confirmAndSend(kind, problems); });
    };
    handlers.stopped = [this, status] {
        endWait();
        status->setText(QLatin1String(kCanceled));
    };
    if (!m_parts.checks.start(kind, std::move(handlers)))
        return;
    m_waiting = Wait{kind, before};
    // Stop ends the wait as it ends a send.
    setRunning(true);
}

void TMailWorkflow::endWait()
{
    if (!m_waiting)
        return;
    const Wait wait = *m_waiting;
    m_waiting.reset();
    setRunning(false);
    m_parts.controls.control<QLineEdit>(QLatin1String(kindInfo(wait.kind).status))->setText(wait.status);
}

void TMailWorkflow::confirmAndSend(RecordKind kind, const RegistrationProblems &problems)
{
    IPrompter &prompter = m_parts.prompter;
    if (!problems.isEmpty() && !prompter.confirmDefaultNo(mailAnywayQuestion(problems)))
        return;
    if (!prompter.confirm(QLatin1String(kMailQuestion)))
        return;
    if (!m_parts.review.renderIntoMemo(kind))
        return;

    // The scheme the form carries, whatever the case it was typed in.
    if (m_parts.fields.selectedEntry(QLatin1String(kindInfo(kind).schemeField)) == QLatin1String("PGP")) {
        prompter.information(QLatin1String(kPgpRefusal));
        return;
    }
    // From here on the window may change while the send waits; only this counts.
    const Send send{kind, m_parts.store.nameListUpdate(kind)};
    fillMessage(kind, send.afterwards.name, m_parts.settings);
    run(send);
}

void TMailWorkflow::fillMessage(RecordKind kind, const QString &name, const MailSettings &settings)
{
    m_smtp.SetServer(settings.server);
    m_smtp.SetSecurity(settings.security);
    m_smtp.SetUserName(settings.userName);
    m_smtp.SetPassword(settings.password);
    m_message->Sender()->SetAddress(settings.senderAddress);
    m_message->Sender()->SetName(settings.senderName);
    m_message->Recipients()->Clear();
    m_message->Recipients()->AddAddress(settings.mailto, QString());
    m_message->SetSubject(name + QLatin1Char(' ') + QLatin1String(kindInfo(kind).mailSubject)); // cut to 255 by the message
    m_message->SetBody(m_parts.review.memoLines(kind));
}

void TMailWorkflow::run(const Send &send)
{
    m_current = send;
    setRunning(true);
    const auto failed = [this](const QString &text) {
        m_current.reset();
        setRunning(false);
        // Nothing may look as if the send were still running.
        setStatus(0, text);
    };
    try {
        // A message that cannot be sent opens no connection.
        m_message->CheckAddresses();
        m_smtp.SendMail();
    } catch (const Exception &e) {
        failed(e.Message());
        throw;
    } catch (const std::exception &e) {
        failed(QString::fromLocal8Bit(e.what()));
        throw;
    }
    const NameListUpdate afterwards = m_current->afterwards;
    m_current.reset();
    setRunning(false);
    // The confirmation follows "Connection closed"; the store is updated once it is closed.
    m_parts.prompter.information(QLatin1String(kSent));
    m_parts.store.updateNameList(afterwards);
}

void TMailWorkflow::stop()
{
    if (waiting())
        m_parts.checks.cancel();
    else if (m_smtp.Sending())
        m_smtp.Cancel();
}

void TMailWorkflow::setRunning(bool running)
{
    for (const KindInfo &k : recordKinds()) {
        if (auto *b = m_parts.controls.control<QPushButton>(QLatin1String(k.mailButton)))
            b->setEnabled(!running);
        if (auto *b = m_parts.controls.control<QPushButton>(QLatin1String(k.stopButton)))
            b->setEnabled(running);
    }
}

void TMailWorkflow::setStatus(int progress, const QString &text, bool contactPage)
{
    for (const KindInfo &k : recordKinds()) {
        if (k.kind == RecordKind::Contact && !contactPage)
            continue;
        if (progress >= 0)
            m_parts.controls.control<QProgressBar>(QLatin1String(k.progress))->setValue(progress);
        m_parts.controls.control<QLineEdit>(QLatin1String(k.status))->setText(text);
    }
}

void TMailWorkflow::showBriefly(RecordKind kind, const QString &text)
{
    auto *status = m_parts.controls.control<QLineEdit>(QLatin1String(kindInfo(kind).status));
    const QString before = status->text();
    status->setText(text);
    // A send that has written to the line since keeps its text.
    QTimer::singleShot(kBriefMs, status, [status, text, before] {
        if (status->text() == text)
            status->setText(before);
    });
}
