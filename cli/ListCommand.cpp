#include "CliRecord.h"
#include "Command.h"
#include "JsonOut.h"
#include "NameList.h"

int runList(const Invocation &inv)
{
    const RecordKind kind = kindArgument(inv.args.value(0));
    const QStringList names = NameList::read(RecordStore::listFilePath(kind));
    if (inv.has("--json"))
        writeJson(inv, QJsonArray::fromStringList(names));
    else
        for (const QString &name : names)
            inv.console.line(name);
    return ExitStatus::Done;
}
