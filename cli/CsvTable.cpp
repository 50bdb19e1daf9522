#include "CsvTable.h"

#include <QStringDecoder>

namespace {

// Walks the text once; `at` is the next character.
class Parser {
public:
    explicit Parser(const QString &text) : m_text(text) {}

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
                while (m_at < m_text.size() && m_text[m_at] != QLatin1Char(',') && m_text[m_at] != QLatin1Char('\r') &&
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
            ++m_at; // the comma
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
            if (m_at < m_text.size() && m_text[m_at] != QLatin1Char(',') && m_text[m_at] != QLatin1Char('\r') &&
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
    qsizetype m_at = 0;
    int m_line = 1;
    QString m_error;
};

} // namespace

CsvTable CsvTable::parse(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return {{}, QStringLiteral("the file is not UTF-8 text")};
    const qsizetype bom = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    return Parser(text.mid(bom)).run();
}
