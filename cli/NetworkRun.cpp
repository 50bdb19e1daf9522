#include "NetworkRun.h"

#include "CliFailure.h"
#include "IniFile.h"
#include "NetworkCheck.h"
#include "SettingsAvailability.h"
#include "SetupKeys.h"

#include <QEventLoop>
#include <QSslCertificate>

NetworkRunResult runNetworkCheck(const Invocation &inv, const CliRecord &record)
{
    SettingsAvailability::Options options;
    if (inv.values.contains(QStringLiteral("--cacert"))) {
        const QString file = inv.values.value(QStringLiteral("--cacert"));
        options.extraCaCertificates = QSslCertificate::fromPath(file);
        if (options.extraCaCertificates.isEmpty())
            throw CliFailure{ExitStatus::Failure, QStringLiteral("%1 holds no PEM certificate.").arg(file)};
    }
    NetworkCheck check(std::make_unique<SettingsAvailability>(inv.settingsPath, options));
    NetworkRunResult result;
    QEventLoop loop;
    QObject::connect(&check, &NetworkCheck::progress, [&inv](const QString &text) { inv.console.error(text); });
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
