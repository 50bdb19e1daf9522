#pragma once
// A CSV file as rows of texts: fields split at commas, a field in double
// quotes may hold commas, line breaks and doubled quotes (""), a row ends at
// CR LF, LF or CR outside quotes. The bytes are UTF-8 (a leading byte-order
// mark is skipped). Linear in the input; empty lines are no rows.
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

    static CsvTable parse(const QByteArray &bytes);
};
