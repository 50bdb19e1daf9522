#pragma once
// A CSV file as rows of texts: fields split at the delimiter (a comma, a
// semicolon or a tab: the one the header line holds most of, unless named),
// a field in double quotes may hold delimiters, line breaks and doubled
// quotes (""), a row ends at CR LF, LF or CR outside quotes. The bytes are
// UTF-8 (a leading byte-order mark is skipped) or Windows-1252, as
// spreadsheets export. Linear in the input; empty lines are no rows.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct CsvRow {
    int line = 0; // the file's line on which the row starts, from 1
    QStringList fields;
};

struct CsvTable {
    QList<CsvRow> rows;
    QString error; // why the bytes are no CSV text ("line 4: ..."); empty when they are

    enum class Encoding { Utf8, Cp1252 };
    // `delimiter` null: found from the header line.
    static CsvTable parse(const QByteArray &bytes, QChar delimiter = QChar(), Encoding encoding = Encoding::Utf8);
};
