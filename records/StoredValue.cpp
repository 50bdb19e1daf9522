#include "StoredValue.h"

#include "IniFile.h"

const QString &StoredValue::marker()
{
    static const QString m = QStringLiteral("\\ML\\");
    return m;
}

QString StoredValue::encode(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')) && !text.contains(marker()))
        return text;
    QString out = marker();
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else
            out += c;
    }
    out += QLatin1String("\\E");
    return out;
}

QString StoredValue::decode(const QString &value)
{
    if (!value.startsWith(marker()))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = marker().size(); i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= value.size())
            break; // a cut in the middle of an escape
        const QChar e = value[i];
        if (e == QLatin1Char('E'))
            break;
        if (e == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (e == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (e == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else
            out += QLatin1Char('\\') + QString(e); // not ours: keep it as written
    }
    return out;
}

QString StoredValue::read(const IniDocument &doc, const QString &section, const QString &key)
{
    QString text = decode(doc.uncutValue(section, key));
    if (text.size() > IniDocument::MaxValueLength)
        text.truncate(IniDocument::MaxValueLength);
    return text;
}
