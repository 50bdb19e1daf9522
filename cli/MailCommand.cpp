#include "CliFailure.h"
#include "CliRecord.h"
#include "Command.h"
#include "IniFile.h"
#include "MailSettingsFile.h"
#include "NetworkRun.h"
#include "FieldText.h"
#include "PasswordKeeper.h"
#include "RegistrationCheck.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QDateTime>
#include <algorithm>
#include <QFileInfo>

namespace {

// [Setup] as a send reads it, the login's password from the keyring when
// there is one.
MailSettings mailSettings(const Invocation &inv)
{
    FieldText::Mending mending;
    MailSettings mail = MailSettingsFile::read(IniDocument::load(inv.settingsPath), mending);
    if (const QString note = mending.note(QFileInfo(inv.settingsPath).fileName()); !note.isEmpty())
        inv.console.note(note);
    if (mail.userName.isEmpty())
        return mail;
    PasswordKeeper keeper(QFileInfo(inv.settingsPath).absoluteFilePath());
    const std::optional<QString> password = keeper.load(mail.password);
    if (!password)
        throw CliFailure{ExitStatus::Failure,
                         QStringLiteral("Not sent: the password of the SMTP login is unknown because %1. Unlock it, "
                                        "or type the password in the window's File > Setup.")
                             .arg(PasswordKeeper::why(keeper.keyring()))};
    mail.password = *password;
    return mail;
}

// Where the send is, on standard error.
void reportProgress(TmsSMTP &smtp, const Console &console)
{
    const std::pair<TNotifyEvent TmsSMTP::*, const char *> stages[] = {
        {&TmsSMTP::OnOpen, "Opening connection"},   {&TmsSMTP::OnPrepare, "Preparing message"},
        {&TmsSMTP::OnSending, "Sending message"},   {&TmsSMTP::OnClosing, "Closing connection"},
        {&TmsSMTP::OnClosed, "Connection closed"},
    };
    for (const auto &[event, text] : stages)
        smtp.*event = [&console, text = QLatin1String(text)](QObject *) { console.note(text); };
    smtp.OnMailSent = [&smtp, &console](QObject *) {
        if (smtp.Delivered()) // the end of a failed exchange is reported too
            console.note(QStringLiteral("Message has been sent"));
    };
}

} // namespace

int runMail(const Invocation &inv)
{
    CliRecord record(inv);
    const KindInfo &k = kindInfo(record.kind);
    const MailSettings settings = mailSettings(inv);

    // The mail button's checks: the record's own, then the network's when [Setup] wants it.
    RegistrationProblems problems = checkRegistration(record.fields, record.kind);
    if (networkCheckWanted(inv.settingsPath))
        problems += runNetworkCheck(inv, record).problems;
    const bool errors = std::any_of(problems.begin(), problems.end(), [](const RegistrationProblem &p) { return !p.warning; });
    for (const RegistrationProblem &p : problems)
        inv.console.error(p.warning ? QStringLiteral("warning: ") + p.text : p.text);
    // --yes answers the question only for a record without errors.
    if (errors && (inv.has("--yes") || !inv.console.confirm(QStringLiteral("The record has problems. Mail it anyway?"))))
        throw CliFailure{ExitStatus::Problems, QStringLiteral("Not mailed: the record has problems.")};
    if (!inv.has("--yes") &&
        !inv.console.confirm(QStringLiteral("Mail %1 to %2?").arg(record.name, settings.mailto)))
        throw CliFailure{ExitStatus::Problems, QStringLiteral("Not mailed.")};
    if (record.fields.selectedEntry(QLatin1String(k.schemeField)) == QLatin1String("PGP"))
        throw CliFailure{ExitStatus::Problems,
                         QStringLiteral("Not mailed: the authorization is PGP. Sign the template (zandolet-cli render) "
                                        "with PGP and mail it yourself.")};

    // Stored as Show Form stores it; the mail carries the text copy.
    const RenderResult rendered = renderRecord(record.kind, record.fields, record.store, QDateTime::currentDateTime());
    const NameListUpdate afterwards = record.store.nameListUpdate(record.kind);

    TmsMessage message;
    message.SetContentType(QStringLiteral("text/plain"));
    message.SetReturnReceipt(false);
    message.Sender()->SetAddress(settings.senderAddress);
    message.Sender()->SetName(settings.senderName);
    message.Recipients()->AddAddress(settings.mailto, QString());
    message.SetSubject(record.name + QLatin1Char(' ') + QLatin1String(k.mailSubject));
    message.SetBody(TextCopy::read(rendered.textPath));

    TmsSMTP smtp;
    smtp.SetDefaultPort(25);
    smtp.SetServer(settings.server);
    smtp.SetSecurity(settings.security);
    smtp.SetUserName(settings.userName);
    smtp.SetPassword(settings.password);
    smtp.SetMailMessage(&message);
    reportProgress(smtp, inv.console);
    message.CheckAddresses(); // a message that cannot be sent opens no connection
    smtp.SendMail();
    if (!smtp.Delivered())
        throw CliFailure{ExitStatus::Failure, QStringLiteral("Not mailed: the server did not take the message.")};
    record.store.updateNameList(afterwards);
    inv.console.line(QStringLiteral("Mailed %1 to %2.").arg(record.name, settings.mailto));
    return ExitStatus::Done;
}
