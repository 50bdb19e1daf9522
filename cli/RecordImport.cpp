#include "RecordImport.h"

#include "FieldText.h"
#include "IniFile.h"
#include "InputFile.h"
#include "Latin1.h"
#include "ListEntry.h"
#include "NameList.h"
#include "RecordFields.h"
#include "RecordKeys.h"
#include "RecordStore.h"
#include "StoredValue.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

// What a column of the header stands for.
struct Column {
    QString key;           // the record key in its own spelling; the name field for the name column
    const KeyBinding *binding = nullptr; // null for the name column
};

// The first problem of `value` under `binding`, or empty.
QString valueProblem(const KeyBinding &b, const QString &value)
{
    if (b.source == KeySource::ActionCode)
        return QStringList{"", "N", "M", "D"}.contains(value) ? QString() : QStringLiteral("is none of N, M, D");
    if (b.source == KeySource::PublicFlag)
        return QStringList{"", "Y", "N"}.contains(value) ? QString() : QStringLiteral("is none of Y, N");
    const FieldText::Shape shape = FieldText::shapeOf(b.field);
    for (const QChar c : value)
        if (FieldText::refused(c, shape))
            return shape == FieldText::Shape::OneLine && (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                       ? QStringLiteral("holds a line break")
                       : QStringLiteral("holds a control character");
    if (const qsizetype bad = Latin1::firstUnfit(value); bad >= 0)
        return QStringLiteral("holds \"%1\", which a record file cannot hold").arg(value[bad]);
    if (value.size() > IniDocument::MaxValueLength)
        return QStringLiteral("is longer than %1 characters").arg(IniDocument::MaxValueLength);
    if (hasFixedList(b.field) && !value.isEmpty() && listEntryFor(b.field, value).isEmpty())
        return QStringLiteral("is no entry of its list");
    return {};
}

// The value as the window would hold it: a list entry in its own spelling,
// a memo's line breaks as CR LF.
QString asStored(const KeyBinding &b, const QString &value)
{
    if (b.source != KeySource::FieldText)
        return value;
    if (const QString entry = listEntryFor(b.field, value); !entry.isEmpty())
        return entry;
    if (FieldText::shapeOf(b.field) != FieldText::Shape::Memo)
        return value;
    QString out = value;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace

ImportPlan planImport(RecordKind kind, const CsvTable &table, const ImportOptions &options)
{
    ImportPlan plan;
    if (!table.error.isEmpty()) {
        plan.problems << table.error;
        return plan;
    }
    if (table.rows.isEmpty()) {
        plan.problems << QStringLiteral("the file has no header row");
        return plan;
    }
    const QString nameField = QLatin1String(kindInfo(kind).nameField);
    const KeyTable &keys = recordWriteOrder(kind);
    QList<Column> columns;
    int nameColumn = -1;
    QSet<QString> seen;
    for (const QString &word : table.rows.first().fields) {
        const QString head = word.trimmed();
        Column col;
        if (head.compare(nameField, Qt::CaseInsensitive) == 0) {
            nameColumn = int(columns.size());
            col.key = nameField;
        }
        for (const KeyBinding &b : keys)
            if (head.compare(b.key, Qt::CaseInsensitive) == 0)
                col = {b.key, &b};
        if (col.key.isEmpty() && options.ignoreUnknown)
            plan.ignored << head;
        else if (col.key.isEmpty())
            plan.problems << QStringLiteral("header (line %1): \"%2\" is no key of a %3 record")
                                 .arg(table.rows.first().line).arg(head, QLatin1String(kindInfo(kind).section));
        else if (seen.contains(col.key.toLower()))
            plan.problems << QStringLiteral("header (line %1): \"%2\" is named twice").arg(table.rows.first().line).arg(head);
        seen.insert(col.key.toLower());
        columns << col;
    }
    if (nameColumn < 0)
        plan.problems << QStringLiteral("header (line %1): no column \"%2\" names the records").arg(table.rows.first().line).arg(nameField);
    if (!plan.problems.isEmpty())
        return plan;

    QSet<QString> names;
    for (qsizetype r = 1; r < table.rows.size(); ++r) {
        const CsvRow &row = table.rows[r];
        const QString where = QStringLiteral("row %1 (line %2)").arg(r).arg(row.line);
        // A spreadsheet's empty row (";;;") is no record.
        if (std::all_of(row.fields.begin(), row.fields.end(), [](const QString &cell) { return cell.trimmed().isEmpty(); }))
            continue;
        if (row.fields.size() != columns.size()) {
            plan.problems << QStringLiteral("%1: %2 values for %3 columns").arg(where).arg(row.fields.size()).arg(columns.size());
            continue;
        }
        QStringList cells = row.fields;
        if (options.trim)
            for (QString &cell : cells)
                cell = cell.trimmed();
        ImportedRecord record{cells[nameColumn], {}};
        // "Kai Test " would be a second record beside "Kai Test".
        if (record.name != record.name.trimmed())
            plan.problems << QStringLiteral("%1: the name \"%2\" begins or ends with a blank (--trim removes it)").arg(where, record.name);
        else if (const QString problem = RecordStore::recordNameProblem(record.name); !problem.isEmpty())
            plan.problems << where + QStringLiteral(": ") + problem;
        else if (names.contains(record.name.toLower()))
            plan.problems << QStringLiteral("%1: the name \"%2\" is used by an earlier row").arg(where, record.name);
        names.insert(record.name.toLower());
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const Column &col = columns[c];
            if (!col.binding) // the name, or an ignored column
                continue;
            const QString value = asStored(*col.binding, cells[c]);
            if (const QString problem = valueProblem(*col.binding, value); !problem.isEmpty())
                plan.problems << QStringLiteral("%1: %2 %3").arg(where, col.key, problem);
            record.values.insert(col.key, value);
        }
        plan.records << record;
    }
    if (!plan.problems.isEmpty())
        plan.records.clear();
    return plan;
}

namespace {

void checkAction(IFields &fields, RecordKind kind, const QString &code)
{
    const KindInfo &k = kindInfo(kind);
    const char *radio = code == QLatin1String("N") ? k.newRadio : code == QLatin1String("M") ? k.modifyRadio
                      : code == QLatin1String("D") ? k.deleteRadio : nullptr;
    if (radio)
        fields.check(QLatin1String(radio));
}

} // namespace

ImportSummary writeImport(RecordKind kind, const ImportPlan &plan, const QString &settingsPath)
{
    const KindInfo &k = kindInfo(kind);
    const QString nameField = QLatin1String(k.nameField);
    ImportSummary summary;
    for (const ImportedRecord &record : plan.records) {
        const QString path = RecordStore::recordFilePath(kind, record.name);
        const bool existed = QFileInfo::exists(path);
        const QByteArray before = existed ? InputFile::readOrThrow(path) : QByteArray();
        RecordFields fields;
        RecordStore store(fields, settingsPath);
        fields.setText(nameField, record.name);
        // An existing record keeps what the header does not name; its action
        // too, which loading leaves to the window's radios.
        store.loadRecord(kind);
        const IniDocument stored = IniDocument::load(RecordStore::recordFilePath(kind, record.name));
        for (const KeyBinding &b : recordWriteOrder(kind)) {
            const bool given = record.values.contains(b.key);
            const QString value = given ? record.values.value(b.key) : StoredValue::read(stored, QLatin1String(k.section), b.key);
            switch (b.source) {
            case KeySource::FieldText:
                if (given)
                    fields.setText(b.field, value);
                break;
            case KeySource::ActionCode:
                checkAction(fields, kind, value);
                break;
            case KeySource::PublicFlag:
                if (given && value.isEmpty())
                    fields.uncheckGroup(QStringLiteral("PublicYesRadio"));
                else if (given)
                    fields.check(value == QLatin1String("Y") ? QStringLiteral("PublicYesRadio") : QStringLiteral("PublicNoRadio"));
                break;
            }
        }
        store.saveRecord(kind);
        (!existed ? summary.created : InputFile::readOrThrow(path) == before ? summary.unchanged : summary.updated) << record.name;
    }

    // One write of the list for all the new names.
    const QString listPath = RecordStore::listFilePath(kind);
    QStringList list = NameList::read(listPath);
    const qsizetype before = list.size();
    for (const ImportedRecord &record : plan.records)
        if (!NameList::containsIgnoringCase(list, record.name))
            list.insert(k.sortedList ? NameList::sortedPosition(list, record.name) : list.size(), record.name);
    if (list.size() != before)
        NameList::write(listPath, list);
    return summary;
}
