#include "CliRecord.h"
#include "Command.h"
#include "JsonOut.h"
#include "NetworkRun.h"
#include "RegistrationCheck.h"

#include <QJsonArray>
#include <algorithm>

int runCheck(const Invocation &inv)
{
    CliRecord record(inv);
    RegistrationProblems problems = checkRegistration(record.fields, record.kind);
    // The record's own problems all count; the network's as it weighs them.
    bool errors = !problems.isEmpty();
    bool reached = true;
    if (inv.has("--network")) {
        const NetworkRunResult network = runNetworkCheck(inv, record);
        problems += network.problems;
        reached = network.reachedNetwork;
        errors = errors || std::any_of(network.problems.begin(), network.problems.end(),
                                       [](const RegistrationProblem &p) { return !p.warning; });
    }
    if (inv.has("--json")) {
        QJsonArray list;
        for (const RegistrationProblem &p : problems)
            list.append(problemJson(record.kind, p));
        writeJson(inv, QJsonObject{{QStringLiteral("kind"), QLatin1String(kindInfo(record.kind).folder).chopped(1)},
                                   {QStringLiteral("name"), record.name},
                                   {QStringLiteral("fit"), !errors},
                                   {QStringLiteral("problems"), list}});
    } else {
        for (const RegistrationProblem &p : problems)
            inv.console.line(p.network && p.warning ? QStringLiteral("warning: ") + p.text : p.text);
    }
    // Nothing on the network answered: no verdict, whatever the record holds.
    if (!reached)
        return ExitStatus::Failure;
    // A DNS question left unanswered is an error, so only a check that heard
    // every answer can pass.
    return errors ? ExitStatus::Problems : ExitStatus::Done;
}
