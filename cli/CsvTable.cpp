#include "CsvTable.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// Walks the text once; `at` is the next character.
class Parser {
public:
    Parser(const QString &text, QChar delimiter) : m_text(text), m_delimiter(delimiter) {}

    CsvTable run()
    {
        CsvTable table;
        while (m_at < m_text.size()) {
            if (endOfLine()) // an empty line
                continue;
            CsvRow row{m_line, {}};
            if (!readRow(row.fields)) {
                table.rows.clear();
                table.error = m_error;
                return table;
            }
            table.rows << row;
        }
        return table;
    }

private:
    // Takes a line end at `m_at`, if there is one.
    bool endOfLine()
    {
        const QChar c = m_text[m_at];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            return false;
        ++m_at;
        if (c == QLatin1Char('\r') && m_at < m_text.size() && m_text[m_at] == QLatin1Char('\n'))
            ++m_at;
        ++m_line;
        return true;
    }

    bool readRow(QStringList &fields)
    {
        for (;;) {
            QString field;
            if (m_at < m_text.size() && m_text[m_at] == QLatin1Char('"')) {
                if (!readQuoted(field))
                    return false;
            } else {
                const qsizetype start = m_at;
                while (m_at < m_text.size() && m_text[m_at] != m_delimiter && m_text[m_at] != QLatin1Char('\r') &&
                       m_text[m_at] != QLatin1Char('\n')) {
                    if (m_text[m_at] == QLatin1Char('"'))
                        return fail(QStringLiteral("a quote inside a value that does not start with one"));
                    ++m_at;
                }
                field = m_text.mid(start, m_at - start);
            }
            fields << field;
            if (m_at == m_text.size() || endOfLine())
                return true;
            ++m_at; // the delimiter
        }
    }

    bool readQuoted(QString &field)
    {
        const int opened = m_line;
        ++m_at;
        for (;;) {
            const qsizetype quote = m_text.indexOf(QLatin1Char('"'), m_at);
            if (quote < 0) {
                m_line = opened;
                return fail(QStringLiteral("a quoted value is never closed"));
            }
            const QStringView part = QStringView(m_text).mid(m_at, quote - m_at);
            for (qsizetype i = 0; i < part.size(); ++i)
                if (part[i] == QLatin1Char('\n') || (part[i] == QLatin1Char('\r') && (i + 1 == part.size() || part[i + 1] != QLatin1Char('\n'))))
                    ++m_line;
            field += part;
            m_at = quote + 1;
            if (m_at < m_text.size() && m_text[m_at] == QLatin1Char('"')) {
                field += QLatin1Char('"');
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] != m_delimiter && m_text[m_at] != QLatin1Char('\r') &&
                m_text[m_at] != QLatin1Char('\n'))
                return fail(QStringLiteral("text after a closing quote"));
            return true;
        }
    }

    bool fail(const QString &why)
    {
        m_error = QStringLiteral("line %1: %2").arg(m_line).arg(why);
        return false;
    }

    const QString m_text;
    const QChar m_delimiter;
    qsizetype m_at = 0;
    int m_line = 1;
    QString m_error;
};

// The delimiter the header line (up to its first line break outside quotes) holds most of.
QChar headerDelimiter(const QString &text)
{
    int counts[3] = {};
    const QChar candidates[3] = {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        for (int i = 0; i < 3; ++i)
            counts[i] += !quoted && c == candidates[i];
    }
    const int best = int(std::max_element(counts, counts + 3) - counts);
    return candidates[best];
}

// Windows-1252: ISO-8859-1 but for 0x80-0x9F, where it keeps typographic signs.
QString fromCp1252(const QByteArray &bytes)
{
    static const char16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                      0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    QString text = QString::fromLatin1(bytes);
    for (QChar &c : text)
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
            c = QChar(high[c.unicode() - 0x80]);
    return text;
}

} // namespace

CsvTable CsvTable::parse(const QByteArray &bytes, QChar delimiter, Encoding encoding)
{
    QString text;
    if (encoding == Encoding::Cp1252) {
        text = fromCp1252(bytes);
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            return {{}, QStringLiteral("the file is not UTF-8 text (--encoding=cp1252 reads a Windows export)")};
    }
    const qsizetype bom = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    text = text.mid(bom);
    return Parser(text, delimiter.isNull() ? headerDelimiter(text) : delimiter).run();
}
