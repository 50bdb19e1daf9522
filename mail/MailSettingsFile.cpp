#include "MailSettingsFile.h"

#include "FieldText.h"
#include "IniFile.h"

MailSettings MailSettingsFile::read(const IniDocument &file, FieldText::Mending &mending)
{
    const auto text = [&](const QString &key) {
        return mending.take(file.value(Section, key), FieldText::Shape::OneLine, key);
    };
    MailSettings mail;
    mail.mailto = text(Mailto);
    mail.server = text(Server);
    mail.senderAddress = text(Address).left(TextMax);
    mail.senderName = text(Name).left(TextMax);
    mail.security = SmtpSecurity::FromName(file.value(Section, Security));
    mail.userName = text(UserName);
    mail.password = file.value(Section, Password);
    return mail;
}
