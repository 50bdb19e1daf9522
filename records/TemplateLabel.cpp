#include "TemplateLabel.h"

#include "FieldCatalogue.h"
#include "TemplateRow.h"

#include <stdexcept>

QString lineCodePrefix(const QString &lineCode)
{
    return (lineCode + QLatin1Char('.')).leftJustified(4, QLatin1Char(' '));
}

QString templateLabel(const TemplateRow &row)
{
    const FieldDef *def = findField(row.field);
    if (!def)
        throw std::logic_error("template row names an unknown field: " + row.field.toStdString());
    const QString head = lineCodePrefix(def->line) + row.text;
    return head.leftJustified(row.width - 2, QLatin1Char('.')) + QStringLiteral(": ");
}
