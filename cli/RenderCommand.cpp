#include "CliFailure.h"
#include "CliRecord.h"
#include "Command.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

// What Show Form does: the text copy and the record file, then the name
// list; with --delete that removes the record's files and its name, which is
// asked first and said afterwards.
void store(const Invocation &inv, CliRecord &record, const QDateTime &now)
{
    const KindInfo &k = kindInfo(record.kind);
    const bool deleting = record.fields.isChecked(QLatin1String(k.deleteRadio));
    if (deleting && !inv.has("--yes") &&
        !inv.console.confirm(QStringLiteral("Delete the record files of %1 and its name in %2?").arg(record.name, QLatin1String(k.listFile))))
        throw CliFailure{ExitStatus::Problems, QStringLiteral("Nothing was deleted.")};
    renderRecord(record.kind, record.fields, record.store, now);
    const NameListUpdate update = record.store.nameListUpdate(record.kind);
    record.store.updateNameList(update);
    if (!deleting)
        return;
    QStringList removed;
    for (const QString &path : {update.recordPath, update.textPath})
        if (!path.isEmpty() && !QFileInfo::exists(path))
            removed << QDir::current().relativeFilePath(path);
    inv.console.note(QStringLiteral("Removed %1 and the name %2 from %3.")
                          .arg(removed.join(QStringLiteral(" and ")), record.name, QLatin1String(k.listFile)));
}

} // namespace

int runRender(const Invocation &inv)
{
    CliRecord record(inv);
    const QDateTime now = QDateTime::currentDateTime();
    const QStringList lines = renderLines(record.kind, record.fields, now);
    if (inv.has("--store"))
        store(inv, record, now);
    if (inv.has("--utf-8")) // for grep and pipes
        inv.console.writeBytes((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    else // the bytes of the text copy, which is what Show Form shows and Mail sends
        inv.console.writeBytes(TextCopy::encode(lines, RecordStore::textCopyPath(record.kind, record.name)));
    return ExitStatus::Done;
}
