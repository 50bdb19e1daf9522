#include "CaCertificates.h"
#include "CliFailure.h"
#include "Command.h"
#include "IniFile.h"
#include "LookUpRun.h"
#include "LookUpSettings.h"
#include "MailSettingsFile.h"
#include "WhoisJob.h"
#include "WhoisServerSetting.h"

int runWhois(const Invocation &inv)
{
    const QString name = inv.args.value(0);
    if (name.isEmpty())
        throw CliFailure{ExitStatus::Usage, QStringLiteral("whois needs a name to look up.")};
    const IniDocument settings = IniDocument::load(inv.settingsPath);
    // What the window would mend in the file is mended alike, without a note.
    FieldText::Mending mending;
    const QString server = inv.values.contains(QStringLiteral("--server"))
                               ? WhoisServerSetting::orDefault(inv.values.value(QStringLiteral("--server")))
                               : WhoisServerSetting::read(settings, mending);
    LookUpSettings lookUp = LookUpSettings::read(settings, MailSettingsFile::Section);
    // A server named on the command line is a WHOIS server, whatever Setup chose.
    if (inv.values.contains(QStringLiteral("--server")))
        lookUp.protocol = LookUpSettings::Protocol::Whois;
    WhoisJob job(server, lookUp, LookUpOptions{});
    job.setRdapCaCertificates(caCertificatesOption(inv));
    return runLookUpJob(job, inv.console, [&] { job.start(name); });
}
