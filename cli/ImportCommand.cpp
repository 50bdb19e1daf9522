#include "CliFailure.h"
#include "CliRecord.h"
#include "Command.h"
#include "FieldCatalogue.h"
#include "InputFile.h"
#include "InputLimits.h"
#include "JsonOut.h"
#include "RecordImport.h"
#include "RecordKeys.h"

#include <QFile>

namespace {

// "-" is standard input, read up to the size any input file may have.
QByteArray readInput(const QString &path)
{
    if (path != QLatin1String("-"))
        return InputFile::readOrThrow(path);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw CliFailure{ExitStatus::Failure, QStringLiteral("Cannot read standard input.")};
    const QByteArray bytes = in.read(qint64(InputLimits::MaxFileBytes) + 1);
    if (bytes.size() > qsizetype(InputLimits::MaxFileBytes))
        throw CliFailure{ExitStatus::Failure, QStringLiteral("Standard input is larger than an import may be.")};
    return bytes;
}

// The columns an import of the kind takes, with what each holds: --keys.
int listKeys(const Invocation &inv, RecordKind kind)
{
    const QString nameField = QLatin1String(kindInfo(kind).nameField);
    inv.console.line(nameField + QStringLiteral("\tthe record's name"));
    for (const KeyBinding &b : recordWriteOrder(kind)) {
        QString label = b.source == KeySource::ActionCode ? QStringLiteral("the action: N, M or D")
                      : b.source == KeySource::PublicFlag ? QStringLiteral("Public: Y or N")
                                                          : QString();
        if (const FieldDef *f = b.source == KeySource::FieldText ? findField(b.field) : nullptr)
            label = QStringLiteral("%1 %2").arg(f->line, displayCaption(f->label.isEmpty() ? f->hint : f->label)).trimmed();
        inv.console.line(b.key + QLatin1Char('\t') + label);
    }
    return ExitStatus::Done;
}

CsvTable readTable(const Invocation &inv, const QString &file)
{
    QChar delimiter;
    if (inv.values.contains(QStringLiteral("--delimiter"))) {
        const QString d = inv.values.value(QStringLiteral("--delimiter"));
        if (d != QLatin1String(",") && d != QLatin1String(";") && d != QLatin1String("\t") && d != QLatin1String("tab"))
            throw CliFailure{ExitStatus::Usage, QStringLiteral("--delimiter takes \",\", \";\" or \"tab\".")};
        delimiter = d == QLatin1String("tab") ? QLatin1Char('\t') : d[0];
    }
    CsvTable::Encoding encoding = CsvTable::Encoding::Utf8;
    if (inv.values.contains(QStringLiteral("--encoding"))) {
        const QString e = inv.values.value(QStringLiteral("--encoding")).toLower();
        if (e == QLatin1String("cp1252") || e == QLatin1String("windows-1252"))
            encoding = CsvTable::Encoding::Cp1252;
        else if (e != QLatin1String("utf-8") && e != QLatin1String("utf8"))
            throw CliFailure{ExitStatus::Usage, QStringLiteral("--encoding takes utf-8 or cp1252.")};
    }
    return CsvTable::parse(readInput(file), delimiter, encoding);
}

} // namespace

int runImport(const Invocation &inv)
{
    const RecordKind kind = kindArgument(inv.args.value(0));
    if (inv.has("--keys"))
        return inv.args.size() == 1 ? listKeys(inv, kind)
                                    : throw CliFailure{ExitStatus::Usage, QStringLiteral("Usage: zandolet-cli import --keys KIND")};
    if (inv.args.size() != 2)
        throw CliFailure{ExitStatus::Usage, QStringLiteral("Usage: zandolet-cli import KIND FILE.csv")};
    const QString file = inv.args.value(1);
    const QString shown = file == QLatin1String("-") ? QStringLiteral("standard input") : file;
    ImportOptions options;
    options.trim = inv.has("--trim");
    options.ignoreUnknown = inv.has("--ignore-unknown");
    const ImportPlan plan = planImport(kind, readTable(inv, file), options);
    if (!plan.ignored.isEmpty())
        inv.console.note(QStringLiteral("warning: %1: columns ignored: %2").arg(shown, plan.ignored.join(QStringLiteral(", "))));
    const bool json = inv.has("--json");
    if (!plan.problems.isEmpty()) {
        if (json)
            writeJson(inv, QJsonObject{{QStringLiteral("created"), QJsonArray()}, {QStringLiteral("updated"), QJsonArray()},
                                       {QStringLiteral("unchanged"), QJsonArray()},
                                       {QStringLiteral("refused"), QJsonArray::fromStringList(plan.problems)}});
        for (const QString &p : plan.problems)
            inv.console.error(shown + QStringLiteral(": ") + p);
        inv.console.error(QStringLiteral("Nothing was imported."));
        return ExitStatus::Problems;
    }
    const ImportSummary done = writeImport(kind, plan, inv.settingsPath);
    if (json)
        writeJson(inv, QJsonObject{{QStringLiteral("created"), QJsonArray::fromStringList(done.created)},
                                   {QStringLiteral("updated"), QJsonArray::fromStringList(done.updated)},
                                   {QStringLiteral("unchanged"), QJsonArray::fromStringList(done.unchanged)},
                                   {QStringLiteral("refused"), QJsonArray()}});
    else
        inv.console.line(QStringLiteral("%1 created, %2 updated, %3 unchanged.")
                             .arg(done.created.size()).arg(done.updated.size()).arg(done.unchanged.size()));
    return ExitStatus::Done;
}
