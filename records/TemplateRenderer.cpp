#include "TemplateRenderer.h"

#include "Agreement.h"
#include "ContactTemplate.h"
#include "DomainTemplate.h"
#include "Exception.h"
#include "FieldText.h"
#include "FormRules.h"
#include "HostTemplate.h"
#include "IFields.h"
#include "ProcessedStamp.h"
#include "RecordStore.h"
#include "TemplateLabel.h"
#include "TextCopy.h"

namespace {

// A memo's own line breaks continue on unlabelled lines. What reaches a line
// is what the field can show: a one-line field ends at its first line break
// and no control character passes, whatever put one into the field.
void appendValue(QStringList &out, const QString &label, const QString &value, FieldText::Shape shape)
{
    const QString text = FieldText::clean(value, shape).text;
    qsizetype start = 0;
    QString head = label;
    // Any of CR LF, LF or CR ends a memo line.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        out << head + text.mid(start, i - start);
        head.clear();
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    out << head + text.mid(start);
}

QString valueOf(const TemplateRow &row, RecordKind kind, const IFields &fields)
{
    switch (row.source) {
    case ValueSource::Text:
        // A password never goes out under a scheme that has no use for it.
        return schemeSwitchesOff(fields, row.field) ? QString() : fields.text(row.field);
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
            appendValue(out, templateLabel(row), valueOf(row, kind, fields), FieldText::shapeOf(row.field));
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
    RenderResult result{RecordStore::textCopyPath(kind, name)};
    if (!store.mayWrite(kind)) {
        result.written = false;
        return result;
    }
    TextCopy::write(result.textPath, lines);
    store.saveRecord(kind);
    return result;
}
