#include "CliFailure.h"
#include "CliRecord.h"
#include "Command.h"
#include "InputFile.h"
#include "RecordImport.h"

int runImport(const Invocation &inv)
{
    const RecordKind kind = kindArgument(inv.args.value(0));
    const ImportPlan plan = planImport(kind, CsvTable::parse(InputFile::readOrThrow(inv.args.value(1))));
    if (!plan.problems.isEmpty()) {
        for (const QString &p : plan.problems)
            inv.console.error(inv.args.value(1) + QStringLiteral(": ") + p);
        inv.console.error(QStringLiteral("Nothing was imported."));
        return ExitStatus::Problems;
    }
    writeImport(kind, plan, inv.settingsPath);
    inv.console.line(QStringLiteral("%1 records imported.").arg(plan.records.size()));
    return ExitStatus::Done;
}
