#include "ContactBlockRows.h"

#include <stdexcept>

namespace {

const char *const kNames[] = {
    nullptr, // the handle: given by the caller
    "(I)ndividual (R)ole", "Name",         "Organization Name", "Street Address", "City",
    "State",               "Postal Code",  "Country Code",      "Phone Number",   "Fax Number",
    "E-Mailbox",
};

} // namespace

std::vector<TemplateRow> contactBlockRows(const QStringList &fields, int width, const QString &handleName)
{
    if (fields.size() != qsizetype(std::size(kNames)))
        throw std::logic_error("a contact block has twelve fields");
    std::vector<TemplateRow> rows;
    rows.reserve(fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i)
        rows.push_back(TemplateRow::value(i == 0 ? handleName : QLatin1String(kNames[i]), fields[i], width));
    return rows;
}
