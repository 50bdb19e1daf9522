#include "CliFailure.h"
#include "Command.h"
#include "FingerJob.h"
#include "LookUpRun.h"

int runFinger(const Invocation &inv)
{
    const QString asked = inv.args.value(0);
    if (asked.isEmpty())
        throw CliFailure{ExitStatus::Usage, QStringLiteral("finger needs a host, or USER@HOST.")};
    LookUpOptions options;
    if (inv.values.contains(QStringLiteral("--port"))) {
        bool number = false;
        const uint port = inv.values.value(QStringLiteral("--port")).toUInt(&number);
        if (!number || port == 0 || port > 65535)
            throw CliFailure{ExitStatus::Usage, QStringLiteral("--port takes a number from 1 to 65535.")};
        options.fingerPort = quint16(port);
    }
    FingerJob job(options);
    return runLookUpJob(job, inv.console, [&] { job.start(asked); });
}
