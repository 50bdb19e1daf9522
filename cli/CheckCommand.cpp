#include "CliFailure.h"
#include "CliRecord.h"
#include "Command.h"
#include "NetworkCheck.h"
#include "RegistrationCheck.h"
#include "SettingsAvailability.h"

#include <QEventLoop>
#include <QSslCertificate>

namespace {

// Availability is asked the way the WhoIs page is set up.
std::unique_ptr<RegistrationLookup> availability(const Invocation &inv)
{
    SettingsAvailability::Options options;
    if (inv.values.contains(QStringLiteral("--cacert"))) {
        const QString file = inv.values.value(QStringLiteral("--cacert"));
        options.extraCaCertificates = QSslCertificate::fromPath(file);
        if (options.extraCaCertificates.isEmpty())
            throw CliFailure{ExitStatus::Failure, QStringLiteral("%1 holds no PEM certificate.").arg(file)};
    }
    return std::make_unique<SettingsAvailability>(inv.settingsPath, options);
}

// The network's problems after the record's own. Nothing answering at all is
// a failure of the network; a DNS question left unanswered is an error, so
// only a check that heard every answer can pass.
int checkOnNetwork(const Invocation &inv, const CliRecord &record, bool offlineProblems)
{
    NetworkCheck check(availability(inv));
    RegistrationProblems found;
    QEventLoop loop;
    QObject::connect(&check, &NetworkCheck::progress, [&inv](const QString &text) { inv.console.error(text); });
    QObject::connect(&check, &NetworkCheck::finished, [&](const RegistrationProblems &problems) {
        found = problems;
        loop.quit();
    });
    check.start(networkCheckRequest(record.fields, record.kind));
    loop.exec();
    bool errors = offlineProblems;
    for (const RegistrationProblem &p : found) {
        inv.console.line(p.warning ? QStringLiteral("warning: ") + p.text : p.text);
        errors = errors || !p.warning;
    }
    if (!check.reachedNetwork())
        return ExitStatus::Failure;
    return errors ? ExitStatus::Problems : ExitStatus::Done;
}

} // namespace

int runCheck(const Invocation &inv)
{
    CliRecord record(inv);
    const RegistrationProblems problems = checkRegistration(record.fields, record.kind);
    for (const RegistrationProblem &p : problems)
        inv.console.line(p.text);
    if (inv.has("--network"))
        return checkOnNetwork(inv, record, !problems.isEmpty());
    return problems.isEmpty() ? ExitStatus::Done : ExitStatus::Problems;
}
