#include "ProcessedStamp.h"

#include "Latin1.h"

namespace {

// Rewrites the unquoted pattern letters of a Qt date/time format; quoted
// literals ('...') pass through unchanged.
template <typename Rewrite>
QString rewritePattern(const QString &format, Rewrite rewrite)
{
    QString out;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype end = close < 0 ? format.size() : close + 1;
            out += format.mid(i, end - i);
            i = end;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        out += rewrite(c, run);
        i += run;
    }
    return out;
}

QString tidy(QString s)
{
    s.remove(QStringLiteral("()"));
    return s.simplified();
}

} // namespace

QString ProcessedStamp::dateFormat(const QLocale &locale)
{
    // A two-digit year is ambiguous once the century has turned.
    return rewritePattern(locale.dateFormat(QLocale::ShortFormat), [](QChar c, qsizetype run) {
        if (c == QLatin1Char('y') && run == 2)
            return QStringLiteral("yyyy");
        return QString(run, c);
    });
}

QString ProcessedStamp::timeFormat(const QLocale &locale)
{
    return tidy(rewritePattern(locale.timeFormat(QLocale::LongFormat), [](QChar c, qsizetype run) {
        return c == QLatin1Char('t') ? QString() : QString(run, c);
    }));
}

QString ProcessedStamp::text(const QDateTime &when, const QLocale &locale)
{
    const QTime t = when.time();
    const bool midnight = t.hour() == 0 && t.minute() == 0 && t.second() == 0;
    QString s = locale.toString(when.date(), dateFormat(locale));
    if (!midnight)
        s += QLatin1Char(' ') + locale.toString(t, timeFormat(locale));
    if (Latin1::fits(s))
        return s;
    return when.toString(midnight ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ProcessedStamp::line(const QDateTime &when, const QLocale &locale)
{
    return QStringLiteral("Processed ") + text(when, locale);
}
