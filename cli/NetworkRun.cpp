#include "NetworkRun.h"

#include "CaCertificates.h"
#include "IniFile.h"
#include "NetworkCheck.h"
#include "SettingsAvailability.h"
#include "SetupKeys.h"

#include <QEventLoop>

NetworkRunResult runNetworkCheck(const Invocation &inv, const CliRecord &record)
{
    SettingsAvailability::Options options;
    options.extraCaCertificates = caCertificatesOption(inv);
    NetworkCheck check(std::make_unique<SettingsAvailability>(inv.settingsPath, options));
    NetworkRunResult result;
    QEventLoop loop;
    QObject::connect(&check, &NetworkCheck::progress, [&inv](const QString &text) { inv.console.note(text); });
    QObject::connect(&check, &NetworkCheck::finished, [&](const RegistrationProblems &problems) {
        result.problems = problems;
        loop.quit();
    });
    check.start(networkCheckRequest(record.fields, record.kind));
    loop.exec();
    result.reachedNetwork = check.reachedNetwork();
    return result;
}

bool networkCheckWanted(const QString &settingsPath)
{
    const QString value = IniDocument::load(settingsPath).value(SetupKeys::Section, SetupKeys::CheckNetwork);
    return value.trimmed().compare(QLatin1String("No"), Qt::CaseInsensitive) != 0;
}
