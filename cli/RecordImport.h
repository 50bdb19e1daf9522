#pragma once
// Records from a CSV table: the header row names record keys (as the record
// files spell them, in any case) and the name box, each further row is a
// record. Every row is checked before anything is written, so a refused row
// leaves the folder as it was.
#include "CsvTable.h"
#include "RecordKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct ImportedRecord {
    QString name;
    QHash<QString, QString> values; // record key (its own spelling) -> value; the keys the header names
};

struct ImportPlan {
    QList<ImportedRecord> records;
    QStringList problems; // one a line, each naming its row; empty when every row is sound
    QStringList ignored;  // columns skipped with --ignore-unknown
};

// What the import did to each record file.
struct ImportSummary {
    QStringList created, updated, unchanged;
};

struct ImportOptions {
    bool trim = false; // blanks around a value go; without it a name with them is refused
    bool ignoreUnknown = false; // a column that names no key is skipped, not refused
};

// Reads and checks; writes nothing.
ImportPlan planImport(RecordKind kind, const CsvTable &table, const ImportOptions &options = {});

// Writes the records of a plan without problems and adds the new names to the
// kind's name list. A key the header does not name keeps what an existing
// record file holds. Throws as the record store does when a write fails.
ImportSummary writeImport(RecordKind kind, const ImportPlan &plan, const QString &settingsPath);
