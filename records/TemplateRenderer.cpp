#include "TemplateRenderer.h"

#include "Agreement.h"
#include "ContactTemplate.h"
#include "DomainTemplate.h"
#include "Exception.h"
#include "HostTemplate.h"
#include "IFields.h"
#include "ProcessedStamp.h"
#include "RecordStore.h"
#include "TemplateLabel.h"
#include "TextCopy.h"

namespace {

// A value's own line breaks continue on unlabelled lines; any of CR LF, LF or
// CR counts, so no stray control character reaches a template line.
void appendValue(QStringList &out, const QString &label, const QString &value)
{
    qsizetype start = 0;
    QString head = label;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        out << head + value.mid(start, i - start);
        head.clear();
        if (c == QLatin1Char('\r') && i + 1 < value.size() && value[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    out << head + value.mid(start);
}

QString valueOf(const TemplateRow &row, RecordKind kind, const IFields &fields)
{
    switch (row.source) {
    case ValueSource::Text:
        return fields.text(row.field);
    case ValueSource::SelectedEntry:
        return fields.selectedEntry(row.field);
    case ValueSource::ActionCode:
        return actionCode(fields, kind);
    case ValueSource::PublicFlag:
        return publicFlag(fields);
    }
    return {};
}

} // namespace

const std::vector<TemplateRow> &templateRows(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Domain:
        return domainTemplate();
    case RecordKind::Host:
        return hostTemplate();
    case RecordKind::Contact:
        break;
    }
    return contactTemplate();
}

QStringList renderLines(RecordKind kind, const IFields &fields, const QDateTime &now, const QLocale &locale)
{
    const std::vector<TemplateRow> &rows = templateRows(kind);
    QStringList out;
    out.reserve(qsizetype(rows.size()) + agreementLines().size());
    for (const TemplateRow &row : rows) {
        switch (row.type) {
        case RowType::Text:
            out << row.text;
            break;
        case RowType::Processed:
            out << ProcessedStamp::line(now, locale);
            break;
        case RowType::Agreement:
            out << agreementLines();
            break;
        case RowType::Field:
            appendValue(out, templateLabel(row), valueOf(row, kind, fields));
            break;
        }
    }
    return out;
}

RenderResult renderRecord(RecordKind kind, const IFields &fields, RecordStore &store, const QDateTime &now)
{
    const QString name = fields.text(QLatin1String(kindInfo(kind).nameField));
    // A name that cannot be a file name in the record folder never reaches the disk.
    const QString problem = RecordStore::recordNameProblem(name);
    if (!problem.isEmpty())
        throw Exception(problem);
    const QStringList lines = renderLines(kind, fields, now);
    RecordStore::ensureFolder(kind);
    RenderResult result{RecordStore::textCopyPath(kind, name), RecordStore::recordFilePath(kind, name)};
    TextCopy::write(result.textPath, lines);
    store.saveRecord(kind);
    return result;
}
