// Mailing a registration from the three review pages, and the SMTP events
// that drive their status fields and progress bars.
#include "FieldCatalogue.h"
#include "IPrompter.h"
#include "RecordStore.h"
#include "TForm1.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

const char *const kMailQuestion =
    "You are about to mail this registration.  We strongly suggest you click SHOW FORM and review your entries "
    "before you proceed.  Click YES to mail the registration.  Click NO to cancel.";
const char *const kPgpRefusal =
    "You have selected PGP as your Authorization type. If you wish to use PGP Encryption, cut and paste the form out "
    "of the window and use PGP software to mail it.";
const char *const kSent = "Your registratuion has been sent.";
const char *const kBusy = "A registration is being mailed. Wait until it has been sent, or cancel it.";

struct MailSpec {
    RecordKind kind;
    const char *schemeField;
    const char *subject;
    const char *cancelButton;
};

const MailSpec kMail[] = {
    {RecordKind::Domain, "AuthScheme", "Internic DOMAIN Registration", "DomainCancelSend"},
    {RecordKind::Host, "HostAuthScheme", "Internic HOST Registration", "HostCancelSend"},
    {RecordKind::Contact, "ContactAuthorizationType", "Internic CONTACT Registration", "ContactCancelSend"},
};

const MailSpec &mailSpec(RecordKind kind)
{
    return kMail[static_cast<size_t>(kind)];
}

} // namespace

void TForm1::createMailComponents()
{
    msMessage1 = new TmsMessage(this);
    msMessage1->setObjectName(QStringLiteral("msMessage1"));
    msMessage1->SetContentType(QStringLiteral("text/plain"));
    msMessage1->SetReturnReceipt(false);

    msSMTP1 = new TmsSMTP(this);
    msSMTP1->setObjectName(QStringLiteral("msSMTP1"));
    msSMTP1->SetDefaultPort(25);
    msSMTP1->SetMailMessage(msMessage1);
    msSMTP1->OnOpen = [this](QObject *sender) { msSMTP1Open(sender); };
    msSMTP1->OnPrepare = [this](QObject *sender) { msSMTP1Prepare(sender); };
    msSMTP1->OnSending = [this](QObject *sender) { msSMTP1Sending(sender); };
    msSMTP1->OnMailSent = [this](QObject *sender) { msSMTP1MailSent(sender); };
    msSMTP1->OnClosing = [this](QObject *sender) { msSMTP1Closing(sender); };
    msSMTP1->OnClosed = [this](QObject *sender) { msSMTP1Closed(sender); };
    msSMTP1->OnCancel = [this](QObject *sender) { msSMTP1Cancel(sender); };
}

void TForm1::mailRecord(RecordKind kind)
{
    // One SMTP component serves the three pages: never start it twice.
    if (msSMTP1->Sending()) {
        m_prompter->information(QLatin1String(kBusy));
        return;
    }
    if (refuseRecordName(kind))
        return;
    if (!m_prompter->confirm(QLatin1String(kMailQuestion)))
        return;
    renderIntoMemo(kind);

    const MailSpec &spec = mailSpec(kind);
    if (text(QLatin1String(spec.schemeField)) == QLatin1String("PGP")) {
        m_prompter->information(QLatin1String(kPgpRefusal));
        return;
    }

    const QString name = text(QLatin1String(kindInfo(kind).nameField));
    msMessage1->Recipients()->Clear();
    msMessage1->Recipients()->AddAddress(m_mailto, QString());
    msMessage1->SetSubject(name + QLatin1Char(' ') + QLatin1String(spec.subject)); // cut to 255 by the message
    msMessage1->SetBody(memoLines(kind));
    // A message that cannot be sent opens no connection.
    msMessage1->CheckAddresses();

    setSendRunning(true);
    try {
        msSMTP1->SendMail();
    } catch (...) {
        setSendRunning(false);
        throw;
    }
    setSendRunning(false);
    // The confirmation follows "Connection closed" and comes only after a
    // send that succeeded; the store is updated once it is closed.
    m_prompter->information(QLatin1String(kSent));
    m_store->updateNameList(kind);
}

void TForm1::BitBtn1Click() { mailRecord(RecordKind::Domain); }
void TForm1::HostMailtoNicClick() { mailRecord(RecordKind::Host); }
void TForm1::ContactMailtoNicClick() { mailRecord(RecordKind::Contact); }

void TForm1::cancelSend()
{
    if (msSMTP1->Sending())
        msSMTP1->Cancel();
}

void TForm1::setSendRunning(bool running)
{
    for (const MailSpec &m : kMail)
        if (auto *b = control<QPushButton>(QLatin1String(m.cancelButton)))
            b->setEnabled(running);
}

void TForm1::setSendStatus(int progress, const QString &status, bool contactPage)
{
    for (const KindInfo &k : recordKinds()) {
        if (k.kind == RecordKind::Contact && !contactPage)
            continue;
        control<QProgressBar>(QLatin1String(k.progress))->setValue(progress);
        control<QLineEdit>(QLatin1String(k.status))->setText(status);
    }
}

void TForm1::msSMTP1Open(QObject *) { setSendStatus(30, QStringLiteral("Opening connection")); }
void TForm1::msSMTP1Prepare(QObject *) { setSendStatus(10, QStringLiteral("Preparing message")); }
void TForm1::msSMTP1Sending(QObject *) { setSendStatus(50, QStringLiteral("Sending message")); }
void TForm1::msSMTP1MailSent(QObject *)
{
    setSendStatus(70, QStringLiteral("Message has been sent"));
    QApplication::beep();
}
void TForm1::msSMTP1Closing(QObject *) { setSendStatus(100, QStringLiteral("Closing connection")); }
void TForm1::msSMTP1Closed(QObject *) { setSendStatus(0, QStringLiteral("Connection closed")); }

void TForm1::msSMTP1Cancel(QObject *)
{
    // Only the domain and host pages show the cancel; their bars stay where they are.
    for (const KindInfo &k : recordKinds())
        if (k.kind != RecordKind::Contact)
            control<QLineEdit>(QLatin1String(k.status))->setText(QStringLiteral("Operation has been canceled"));
}

void TForm1::connectMailHandlers()
{
    const struct {
        RecordKind kind;
        void (TForm1::*mail)();
    } pages[] = {
        {RecordKind::Domain, &TForm1::BitBtn1Click},
        {RecordKind::Host, &TForm1::HostMailtoNicClick},
        {RecordKind::Contact, &TForm1::ContactMailtoNicClick},
    };
    for (const auto &p : pages) {
        auto mail = p.mail;
        connect(control<QPushButton>(QLatin1String(kindInfo(p.kind).mailButton)), &QPushButton::clicked, this,
                [this, mail] { guarded([this, mail] { (this->*mail)(); }); });
        if (auto *cancel = control<QPushButton>(QLatin1String(mailSpec(p.kind).cancelButton)))
            connect(cancel, &QPushButton::clicked, this, [this] { guarded([this] { cancelSend(); }); });
    }
}
