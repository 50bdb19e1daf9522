#include "CliRecord.h"
#include "Command.h"
#include "RegistrationCheck.h"

int runCheck(const Invocation &inv)
{
    CliRecord record(inv);
    const RegistrationProblems problems = checkRegistration(record.fields, record.kind);
    for (const RegistrationProblem &p : problems)
        inv.console.line(p.text);
    return problems.isEmpty() ? ExitStatus::Done : ExitStatus::Problems;
}
