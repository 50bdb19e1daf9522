#include "UnstoredChanges.h"

#include "Exception.h"
#include "IFields.h"
#include "IniFile.h"
#include "ListEntry.h"
#include "RecordKeys.h"
#include "RecordStore.h"
#include "StoredValue.h"
#include "TemplateRenderer.h"

namespace UnstoredChanges {

bool differs(const IFields &fields, RecordKind kind)
{
    const KindInfo &k = kindInfo(kind);
    const QString name = fields.text(QLatin1String(k.nameField));
    if (!RecordStore::recordNameProblem(name).isEmpty() || actionCode(fields, kind) == QLatin1String("D"))
        return false;
    const QString section = QLatin1String(k.section);
    IniDocument stored;
    try {
        stored = IniDocument::load(RecordStore::recordFilePath(kind, name));
    } catch (const Exception &) {
        return true; // a file that cannot be read keeps nothing we know of
    }
    // The fields as a render would store them, so that both sides are read
    // back alike (blanks around a value, quotes, the length limit).
    IniDocument shown;
    for (const KeyBinding &b : recordWriteOrder(kind))
        if (b.source == KeySource::FieldText)
            shown.setValue(section, b.key, StoredValue::encode(fields.text(b.field)));
    for (const KeyBinding &b : recordLoadOrder(kind)) {
        const QString was = StoredValue::read(stored, section, b.key);
        switch (b.source) {
        case KeySource::FieldText: {
            // A scheme stored in another case opens as its entry; that is no change.
            const QString now = StoredValue::read(shown, section, b.key);
            const QString entry = listEntryFor(b.field, now);
            if (now != was && (entry.isEmpty() || entry != listEntryFor(b.field, was)))
                return true;
            break;
        }
        case KeySource::PublicFlag:
            // A load changes the choice only for these two values.
            if ((was == QLatin1String("Y") || was == QLatin1String("N")) && was != publicFlag(fields))
                return true;
            break;
        case KeySource::ActionCode:
            break; // never loaded
        }
    }
    return false;
}

QList<RecordKind> kinds(const IFields &fields)
{
    QList<RecordKind> result;
    for (const KindInfo &k : recordKinds())
        if (differs(fields, k.kind))
            result << k.kind;
    return result;
}

QString question(const IFields &fields, const QList<RecordKind> &kinds, const QList<RecordKind> &cleared)
{
    const auto name = [&](RecordKind kind) { return fields.text(QLatin1String(kindInfo(kind).nameField)); };
    if (kinds.size() == 1 && cleared.contains(kinds.front()))
        return QStringLiteral("%1 was cleared; store it empty?").arg(name(kinds.front()));
    QString text = QStringLiteral("These records have changes that are not stored:\n");
    for (RecordKind kind : kinds) {
        const char *what = kind == RecordKind::Domain ? "Domain" : kind == RecordKind::Host ? "Host" : "Contact";
        text += QStringLiteral("\n%1 %2").arg(QLatin1String(what), name(kind));
        if (cleared.contains(kind))
            text += QStringLiteral(" was cleared; Yes stores it empty");
    }
    return text + QStringLiteral("\n\nStore them before closing?");
}

void store(const IFields &fields, RecordStore &store, const QList<RecordKind> &kinds, const QDateTime &now)
{
    for (RecordKind kind : kinds) {
        if (renderRecord(kind, fields, store, now).written)
            store.updateNameList(kind);
    }
}

} // namespace UnstoredChanges
