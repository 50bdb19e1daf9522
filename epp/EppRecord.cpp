#include "EppRecord.h"

#include "IFields.h"
#include "IniFile.h"
#include "RecordKeys.h"
#include "RecordStore.h"

#include <QFileInfo>

EppRecord EppRecord::fromFields(const IFields &fields, RecordKind kind, const QString &name, EppAction action)
{
    EppRecord r;
    r.kind = kind;
    r.name = name;
    r.action = action;
    for (const KeyBinding &b : recordWriteOrder(kind)) {
        if (b.source == KeySource::FieldText)
            r.fields.insert(b.field, fields.text(b.field));
        else if (b.source == KeySource::PublicFlag)
            r.fields.insert(b.key, publicFlag(fields));
    }
    const QString file = RecordStore::recordFilePath(kind, name);
    if (kind == RecordKind::Domain && QFileInfo(file).isFile())
        r.fields.insert(kRegistrantHandleKey,
                        IniDocument::load(file).value(QLatin1String(kindInfo(kind).section), kRegistrantHandleKey));
    return r;
}

void EppRecord::writeHandles(const QList<QPair<QString, QString>> &handles, IFields &fields, RecordKind kind,
                             const QString &name)
{
    for (const auto &[field, id] : handles) {
        if (field != kRegistrantHandleKey) {
            fields.setText(field, id);
            continue;
        }
        RecordStore::ensureFolder(kind);
        IniFile(RecordStore::recordFilePath(kind, name))
            .writeStrings(QLatin1String(kindInfo(kind).section), {{field, id}}, AtomicFile::Access::OwnerOnly);
    }
}
