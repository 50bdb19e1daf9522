#include "SetupSettings.h"

#include "EppSettings.h"
#include "FieldText.h"
#include "IniFile.h"
#include "MailSettingsFile.h"
#include "SetupKeys.h"
#include "WhoisServerSetting.h"

#include <QFileInfo>

namespace {

const QString &kSetup = MailSettingsFile::Section;
const QString &kServer = MailSettingsFile::Server;
const QString &kAddress = MailSettingsFile::Address;
const QString &kName = MailSettingsFile::Name;
const QString &kMailto = MailSettingsFile::Mailto;
const QString &kSecurity = MailSettingsFile::Security;
const QString &kUserName = MailSettingsFile::UserName;
const QString &kPassword = MailSettingsFile::Password;
const QString &kWhoisServer = WhoisServerSetting::Key;
const QString &kCheckNetwork = SetupKeys::CheckNetwork;
constexpr int kTextMax = MailSettingsFile::TextMax;

} // namespace

QString SetupSettings::defaultWhoisServer()
{
    return WhoisServerSetting::defaultServer();
}

SetupSettings::SetupSettings(const QString &path)
    : m_path(path), m_passwords(QFileInfo(path).absoluteFilePath()),
      // The entry the command line's EPP commands read too.
      m_eppPasswords(EppSettings::keyringEntry(path))
{
}

void SetupSettings::read(const IniDocument &file)
{
    // The WhoIs server is mended as the mail keys are (MailSettingsFile::read).
    FieldText::Mending mending;
    MailSettings &mail = m_values.mail;
    mail = MailSettingsFile::read(file, mending);
    // Only a login needs the password, so only then is the keyring asked.
    if (!mail.userName.isEmpty())
        take(m_passwords.load(mail.password));
    m_values.whoisServer = WhoisServerSetting::read(file, mending);
    m_values.lookUp = LookUpSettings::read(file, kSetup);
    // Only "No" turns it off; anything else is the default.
    m_values.checkNetwork = file.value(kSetup, kCheckNetwork).trimmed().compare(QLatin1String("No"), Qt::CaseInsensitive) != 0;
    EppSetup &epp = m_values.epp;
    const auto text = [&](const QString &key) {
        return mending.take(file.value(kSetup, key), FieldText::Shape::OneLine, key);
    };
    epp.server = text(SetupKeys::EppServer);
    epp.clientId = text(SetupKeys::EppClientId);
    epp.certificate = text(SetupKeys::EppCertificate);
    epp.key = text(SetupKeys::EppKey);
    epp.caFile = text(SetupKeys::EppCaFile);
    epp.password.clear();
    epp.passwordWithheld.clear();
    // As for the SMTP login: only a client that logs in asks the keyring.
    if (!epp.clientId.isEmpty())
        takeEpp(m_eppPasswords.load(file.value(kSetup, SetupKeys::EppPassword)));
    m_mended = mending.note(QStringLiteral("[%1] of %2").arg(kSetup, QFileInfo(m_path).fileName()));
    emit changed();
}

void SetupSettings::take(const std::optional<QString> &loaded)
{
    m_values.mail.password = loaded.value_or(QString());
    m_values.mail.passwordWithheld = loaded ? QString() : PasswordKeeper::why(m_passwords.keyring());
}

void SetupSettings::takeEpp(const std::optional<QString> &loaded)
{
    m_values.epp.password = loaded.value_or(QString());
    m_values.epp.passwordWithheld = loaded ? QString() : PasswordKeeper::why(m_eppPasswords.keyring());
}

void SetupSettings::askKeyringAgain()
{
    if (!m_values.mail.passwordWithheld.isEmpty() && !m_values.mail.userName.isEmpty())
        take(m_passwords.load(QString()));
    if (!m_values.epp.passwordWithheld.isEmpty() && !m_values.epp.clientId.isEmpty())
        takeEpp(m_eppPasswords.load(QString()));
}

QString SetupSettings::eppKeyringNote()
{
    const EppSetup &epp = m_values.epp;
    if (!epp.passwordWithheld.isEmpty())
        return QStringLiteral("Not shown: %1. Unlock it and open Setup again, or type the password.")
            .arg(epp.passwordWithheld);
    if (!epp.clientId.isEmpty() && m_eppPasswords.keyring() == PasswordKeeper::Keyring::None)
        return QStringLiteral("No keyring here: the password stays in the settings file, readable only by you.");
    return QString();
}

QString SetupSettings::keyringNote()
{
    const MailSettings &mail = m_values.mail;
    if (!mail.passwordWithheld.isEmpty())
        return QStringLiteral("Not shown: %1. Unlock it and open Setup again, or type the password.")
            .arg(mail.passwordWithheld);
    if (m_passwords.keyring() == PasswordKeeper::Keyring::None)
        return QStringLiteral("No keyring here: the password stays in the settings file, readable only by you.");
    return QString();
}

void SetupSettings::change(const SetupValues &typed)
{
    m_values = typed;
    MailSettings &mail = m_values.mail;
    mail.server = mail.server.left(kTextMax);
    mail.senderAddress = mail.senderAddress.left(kTextMax);
    mail.senderName = mail.senderName.left(kTextMax);
    m_values.whoisServer = WhoisServerSetting::orDefault(typed.whoisServer.trimmed());
    emit changed();
}

void SetupSettings::write()
{
    const MailSettings &mail = m_values.mail;
    std::vector<std::pair<QString, QString>> values = {
        {kServer, mail.server}, {kAddress, mail.senderAddress}, {kName, mail.senderName}, {kMailto, mail.mailto}};
    // A file that never used them keeps its old shape; one that did is updated, also back to none.
    const bool inUse = mail.security != TSmtpSecurity::None || !mail.userName.isEmpty() || !mail.password.isEmpty();
    const IniDocument stored = IniDocument::load(m_path);
    QString filePassword;
    if (inUse || stored.contains(kSetup, kSecurity) || stored.contains(kSetup, kUserName) ||
        stored.contains(kSetup, kPassword)) {
        values.emplace_back(kSecurity, SmtpSecurity::Name(mail.security));
        values.emplace_back(kUserName, mail.userName);
        // The keyring takes the password; with no keyring at all the file keeps it, owner-only. A password
        // the keyring would not give or take leaves the file as it is: never emptied, never newly in clear.
        if (!mail.userName.isEmpty() || !mail.password.isEmpty()) {
            std::optional<QString> kept;
            if (mail.passwordWithheld.isEmpty())
                kept = m_passwords.save(mail.password);
            filePassword = kept.value_or(stored.value(kSetup, kPassword));
        }
        values.emplace_back(kPassword, filePassword);
    }
    // Written last, so that files without it keep their old shape up to here.
    values.emplace_back(kWhoisServer, m_values.whoisServer);
    for (auto &value : m_values.lookUp.toWrite(stored, kSetup))
        values.push_back(std::move(value));
    // Kept once it has been changed; a file that never turned it off stays as it was.
    if (!m_values.checkNetwork || stored.contains(kSetup, kCheckNetwork))
        values.emplace_back(kCheckNetwork, m_values.checkNetwork ? QStringLiteral("Yes") : QStringLiteral("No"));
    writeEpp(stored, values, filePassword);
    IniFile(m_path).writeStrings(kSetup, values,
                                 filePassword.isEmpty() ? AtomicFile::Access::Keep : AtomicFile::Access::OwnerOnly);
}

void SetupSettings::writeEpp(const IniDocument &stored, std::vector<std::pair<QString, QString>> &values,
                             QString &filePassword)
{
    const EppSetup &epp = m_values.epp;
    const std::pair<QString, QString> keys[] = {{SetupKeys::EppServer, epp.server},
                                                {SetupKeys::EppClientId, epp.clientId},
                                                {SetupKeys::EppCertificate, epp.certificate},
                                                {SetupKeys::EppKey, epp.key},
                                                {SetupKeys::EppCaFile, epp.caFile}};
    // Each key only once it has been set, so a file of a user without EPP keeps its bytes.
    for (const auto &[key, value] : keys)
        if (!value.isEmpty() || stored.contains(kSetup, key))
            values.emplace_back(key, value);
    if (epp.clientId.isEmpty() && epp.password.isEmpty() && !stored.contains(kSetup, SetupKeys::EppPassword))
        return;
    // As the SMTP password: the keyring, else (no keyring at all) the file; held back, the file is left as it is.
    std::optional<QString> kept;
    if (epp.passwordWithheld.isEmpty())
        kept = m_eppPasswords.save(epp.password);
    const QString inFile = kept.value_or(stored.value(kSetup, SetupKeys::EppPassword));
    if (!inFile.isEmpty() || stored.contains(kSetup, SetupKeys::EppPassword))
        values.emplace_back(SetupKeys::EppPassword, inFile);
    if (!inFile.isEmpty())
        filePassword = inFile;
}
