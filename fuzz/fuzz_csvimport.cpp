// CSV import: the table a file parses to must write back (every value
// quoted) to bytes that parse to the same table, and a plan either holds
// records or problems, never both, for every record kind.
#include "CsvTable.h"
#include "RecordImport.h"

namespace {

QByteArray quoted(const CsvTable &table)
{
    QString out;
    for (const CsvRow &row : table.rows) {
        QStringList fields;
        for (QString f : row.fields)
            fields << QLatin1Char('"') + f.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const CsvTable table = CsvTable::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!table.error.isEmpty() && !table.rows.isEmpty())
        __builtin_trap();
    if (table.error.isEmpty()) {
        const CsvTable again = CsvTable::parse(quoted(table));
        if (!again.error.isEmpty() || again.rows.size() != table.rows.size())
            __builtin_trap();
        for (qsizetype i = 0; i < table.rows.size(); ++i)
            if (again.rows[i].fields != table.rows[i].fields)
                __builtin_trap();
    }
    for (const RecordKind kind : {RecordKind::Domain, RecordKind::Host, RecordKind::Contact}) {
        const ImportPlan plan = planImport(kind, table);
        if (!plan.problems.isEmpty() && !plan.records.isEmpty())
            __builtin_trap();
    }
    return 0;
}
