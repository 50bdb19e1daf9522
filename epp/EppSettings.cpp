#include "EppSettings.h"

#include "IniFile.h"
#include "PasswordKeeper.h"
#include "SetupKeys.h"

#include <QFileInfo>

EppSettings EppSettings::fromIni(const IniDocument &ini)
{
    const auto value = [&ini](const QString &key) { return ini.value(SetupKeys::Section, key).trimmed(); };
    EppSettings s;
    s.server = value(SetupKeys::EppServer);
    s.clientId = value(SetupKeys::EppClientId);
    s.password = ini.value(SetupKeys::Section, SetupKeys::EppPassword);
    s.certificate = value(SetupKeys::EppCertificate);
    s.key = value(SetupKeys::EppKey);
    s.caFile = value(SetupKeys::EppCaFile);
    const QString hosts = value(SetupKeys::EppHosts);
    if (hosts.compare(QLatin1String("Attributes"), Qt::CaseInsensitive) == 0)
        s.hosts = HostMode::Attributes;
    else if (!hosts.isEmpty() && hosts.compare(QLatin1String("Objects"), Qt::CaseInsensitive) != 0)
        s.invalid = QStringLiteral("EPP Hosts is \"%1\"; say Objects or Attributes").arg(hosts);
    return s;
}

QString EppSettings::keyringEntry(const QString &settingsPath)
{
    return QFileInfo(settingsPath).absoluteFilePath() + QStringLiteral(" EPP");
}

EppSettings EppSettings::read(const QString &settingsPath, QString *withheld)
{
    EppSettings s = fromIni(IniDocument::load(settingsPath));
    PasswordKeeper keeper(keyringEntry(settingsPath));
    const std::optional<QString> password = keeper.load(s.password);
    s.password = password.value_or(QString());
    if (withheld)
        *withheld = password ? QString() : PasswordKeeper::why(keeper.keyring());
    return s;
}
