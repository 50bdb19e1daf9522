#include "WhoisServerSetting.h"

#include "IniFile.h"
#include "MailSettingsFile.h"

const QString WhoisServerSetting::Key = QStringLiteral("WhoIs Server");

QString WhoisServerSetting::defaultServer()
{
    return QStringLiteral("whois.internic.net");
}

QString WhoisServerSetting::orDefault(const QString &value)
{
    return value.isEmpty() ? defaultServer() : value.left(MailSettingsFile::TextMax);
}

QString WhoisServerSetting::read(const IniDocument &file, FieldText::Mending &mending)
{
    const QString &section = MailSettingsFile::Section;
    return orDefault(mending.take(file.value(section, Key), FieldText::Shape::OneLine, Key));
}
