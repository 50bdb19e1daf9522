#include "LookUpSettings.h"

#include "IniFile.h"
#include "SetupKeys.h"

namespace {

const QString &kLookUpWith = SetupKeys::LookUpWith;
const QString &kRdapBootstrap = SetupKeys::RdapBootstrap;

} // namespace

QStringList LookUpSettings::names()
{
    return {name(Protocol::Whois), name(Protocol::Rdap)};
}

QString LookUpSettings::name(Protocol protocol)
{
    return protocol == Protocol::Rdap ? QStringLiteral("RDAP") : QStringLiteral("WHOIS");
}

LookUpSettings::Protocol LookUpSettings::fromName(const QString &name)
{
    return name.compare(QLatin1String("RDAP"), Qt::CaseInsensitive) == 0 ? Protocol::Rdap : Protocol::Whois;
}

LookUpSettings LookUpSettings::read(const IniDocument &settings, const QString &section)
{
    LookUpSettings s;
    s.protocol = fromName(settings.value(section, kLookUpWith));
    const QString bootstrap = settings.value(section, kRdapBootstrap);
    if (!bootstrap.isEmpty())
        s.rdapBootstrap = QUrl(bootstrap);
    return s;
}

std::vector<std::pair<QString, QString>> LookUpSettings::toWrite(const IniDocument &stored, const QString &section) const
{
    if (protocol == Protocol::Whois && !stored.contains(section, kLookUpWith))
        return {};
    return {{kLookUpWith, name(protocol)}};
}
