#include "CliRecord.h"
#include "Command.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"

#include <QDateTime>

int runRender(const Invocation &inv)
{
    CliRecord record(inv);
    const QDateTime now = QDateTime::currentDateTime();
    const QStringList lines = renderLines(record.kind, record.fields, now);
    if (inv.has("--store")) {
        // What Show Form does: the text copy and the record file, then the name list.
        renderRecord(record.kind, record.fields, record.store, now);
        record.store.updateNameList(record.kind);
    }
    // The bytes of the text copy, which is what Show Form shows and Mail sends.
    inv.console.writeBytes(TextCopy::encode(lines, RecordStore::textCopyPath(record.kind, record.name)));
    return ExitStatus::Done;
}
