#include "CliFailure.h"
#include "Command.h"
#include "IniFile.h"
#include "LookUpRun.h"
#include "LookUpSettings.h"
#include "LookUpText.h"
#include "MailSettingsFile.h"
#include "RdapLookup.h"

#include <QEventLoop>
#include <QSslCertificate>

int runRdap(const Invocation &inv)
{
    const QString name = inv.args.value(0);
    const LookUpSettings settings = LookUpSettings::read(IniDocument::load(inv.settingsPath), MailSettingsFile::Section);
    RdapLookup::Options options;
    options.bootstrapUrl = settings.rdapBootstrap;
    if (inv.values.contains(QStringLiteral("--cacert"))) {
        const QString file = inv.values.value(QStringLiteral("--cacert"));
        options.extraCaCertificates = QSslCertificate::fromPath(file);
        if (options.extraCaCertificates.isEmpty())
            throw CliFailure{ExitStatus::Failure, QStringLiteral("%1 holds no PEM certificate.").arg(file)};
    }
    RdapLookup lookUp(options);
    int status = ExitStatus::Failure;
    // The page's lines: steps and failures on standard error here, the answer
    // on standard output, each as the page shows it.
    QObject::connect(&lookUp, &RdapLookup::statusLine, [&inv](const QString &line) { inv.console.error(visibleText(line)); });
    QObject::connect(&lookUp, &RdapLookup::answerLines, [&inv](const QStringList &lines) {
        for (const QString &line : lines)
            inv.console.line(visibleText(line));
    });
    QObject::connect(&lookUp, &RdapLookup::errorLine, [&inv](const QString &line) { inv.console.error(visibleText(line)); });
    QEventLoop loop;
    QObject::connect(&lookUp, &RdapLookup::done, &loop, [&](const LookUpOutcome &outcome) {
        status = lookUpStatus(outcome);
        loop.quit();
    });
    lookUp.start(name);
    if (lookUp.isRunning())
        loop.exec();
    return status;
}
