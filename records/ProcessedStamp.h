#pragma once
// The "Processed " line that opens every template: the render time in the
// locale's short date and long time formats, the time left off at midnight.
#include <QDateTime>
#include <QLocale>
#include <QString>

class ProcessedStamp {
public:
    // The locale's short date format with two-digit years widened to four.
    static QString dateFormat(const QLocale &locale);
    // The locale's long time format without its time zone part.
    static QString timeFormat(const QLocale &locale);

    // Date, and a blank and the time unless it reads 00:00:00. Falls back to
    // ISO 8601 ("yyyy-MM-dd HH:mm:ss") when the locale's text would not fit
    // the single-byte template files.
    static QString text(const QDateTime &when, const QLocale &locale = QLocale::system());
    static QString line(const QDateTime &when, const QLocale &locale = QLocale::system());
};
