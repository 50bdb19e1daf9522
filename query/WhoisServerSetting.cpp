#include "WhoisServerSetting.h"

#include "IniFile.h"
#include "SetupKeys.h"

const QString WhoisServerSetting::Key = SetupKeys::WhoisServer;

QString WhoisServerSetting::defaultServer()
{
    return QStringLiteral("whois.internic.net");
}

QString WhoisServerSetting::orDefault(const QString &value)
{
    return value.isEmpty() ? defaultServer() : value.left(SetupKeys::TextMax);
}

QString WhoisServerSetting::read(const IniDocument &file, FieldText::Mending &mending)
{
    const QString &section = SetupKeys::Section;
    return orDefault(mending.take(file.value(section, Key), FieldText::Shape::OneLine, Key));
}
