#include "CliRecord.h"
#include "Command.h"
#include "NameList.h"

int runList(const Invocation &inv)
{
    const RecordKind kind = kindArgument(inv.args.value(0));
    for (const QString &name : NameList::read(RecordStore::listFilePath(kind)))
        inv.console.line(name);
    return ExitStatus::Done;
}
