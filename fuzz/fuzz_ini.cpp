// INI reader and writer: the indexed document must read and write exactly as
// a plain line-by-line reading of the same rules, and its output must read
// back the same.
#include "FileEncoding.h"
#include "IniFile.h"

#include <QRegularExpression>
#include <algorithm>
#include <QStringList>

namespace {

// The rules done the simple way: a list of lines, scanned per look-up.
struct Lines {
    QStringList lines;
    FileEncoding::Kind encoding;

    explicit Lines(const QByteArray &bytes) : encoding(FileEncoding::detect(bytes))
    {
        const qsizetype skip = FileEncoding::headerSize(encoding);
        // Names are matched byte for byte; only values are text in the file's encoding.
        lines = QString::fromLatin1(bytes.mid(skip)).split(QLatin1Char('\n'));
        for (QString &l : lines)
            if (l.endsWith(QLatin1Char('\r')))
                l.chop(1);
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
    }
    static bool section(const QString &line, QString *name)
    {
        const QString t = line.trimmed();
        if (!t.startsWith(QLatin1Char('[')))
            return false;
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        *name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
        return true;
    }
    qsizetype findSection(const QString &s) const
    {
        QString n;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (section(lines[i], &n) && n.compare(s, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    qsizetype end(qsizetype s) const
    {
        QString n;
        qsizetype i = s + 1;
        while (i < lines.size() && !section(lines[i], &n))
            ++i;
        return i;
    }
    qsizetype findKey(qsizetype s, const QString &k) const
    {
        for (qsizetype i = s + 1; i < end(s); ++i) {
            const qsizetype eq = lines[i].indexOf(QLatin1Char('='));
            if (eq >= 0 && lines[i].left(eq).trimmed().compare(k, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }
    QString value(const QString &s, const QString &k) const
    {
        const qsizetype si = findSection(s);
        const qsizetype ki = si < 0 ? -1 : findKey(si, k);
        if (ki < 0)
            return {};
        const QByteArray raw = lines[ki].mid(lines[ki].indexOf(QLatin1Char('=')) + 1).toLatin1();
        QString v = blanksOff(FileEncoding::decode(raw.constData(), raw.size(), encoding));
        if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        return v.left(IniDocument::MaxValueLength);
    }
    // Only spaces and tabs are blanks; a no-break space is kept.
    static QString blanksOff(QString v)
    {
        while (!v.isEmpty() && (v.front() == u' ' || v.front() == u'\t'))
            v.remove(0, 1);
        while (!v.isEmpty() && (v.back() == u' ' || v.back() == u'\t'))
            v.chop(1);
        return v;
    }
    void set(const QString &s, const QString &k, const QString &v)
    {
        static const QString edges = QStringLiteral(" \t\"'");
        const bool quoted = !v.isEmpty() && (edges.contains(v.front()) || edges.contains(v.back()));
        const QString stored = QString::fromLatin1(FileEncoding::encode(v, encoding));
        const QString line = k + QLatin1Char('=') + (quoted ? QLatin1Char('"') + stored + QLatin1Char('"') : stored);
        const qsizetype si = findSection(s);
        if (si < 0) {
            if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
                lines << QString();
            lines << QLatin1Char('[') + s + QLatin1Char(']') << line;
            return;
        }
        const qsizetype ki = findKey(si, k);
        if (ki >= 0) {
            lines[ki] = line;
            return;
        }
        qsizetype at = end(si);
        while (at > si + 1 && lines[at - 1].trimmed().isEmpty())
            --at;
        lines.insert(at, line);
    }
    QByteArray bytes() const
    {
        QByteArray out = FileEncoding::header(encoding);
        for (const QString &l : lines)
            out += l.toLatin1() + "\r\n";
        if (encoding == FileEncoding::Kind::Latin1 && FileEncoding::detect(out) != FileEncoding::Kind::Latin1)
            return FileEncoding::header(FileEncoding::Kind::Utf8WithBom) +
                   FileEncoding::encode(QString::fromLatin1(out), FileEncoding::Kind::Utf8WithBom);
        return out;
    }
};

// Names taken from the input itself, so look-ups hit as well as miss.
QStringList namesIn(const QByteArray &bytes)
{
    QStringList names = {QStringLiteral("a"), QStringLiteral("Setup"), QString()};
    for (const QByteArray &piece : bytes.split('\n')) {
        QString t = QString::fromLatin1(piece).trimmed();
        if (t.startsWith(QLatin1Char('[')))
            t = t.mid(1, t.indexOf(QLatin1Char(']')) - 1);
        t = t.section(QLatin1Char('='), 0, 0).trimmed();
        if (names.size() < 12 && !t.contains(QLatin1Char('\n')))
            names << t;
    }
    return names;
}

// Callers write ASCII names that read back as themselves; others are not compared.
bool writable(const QString &name)
{
    return name == name.trimmed() && !name.startsWith(QLatin1Char('[')) &&
           std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; }) &&
           !name.contains(QRegularExpression(QStringLiteral("[\\]=\\r\\n]")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc = IniDocument::parse(bytes);
    Lines ref(bytes);
    const QStringList names = namesIn(bytes);
    for (const QString &s : names)
        for (const QString &k : names)
            if (doc.value(s, k) != ref.value(s, k))
                __builtin_trap();
    // A few writes, each to a name from the input.
    for (qsizetype i = 0; i + 1 < names.size() && i < 6; i += 2) {
        if (!writable(names[i]) || !writable(names[i + 1]))
            continue;
        // A value taken from the input too, so blanks and quotes at its ends come by.
        const QString v = i == 0 ? QString::fromLatin1(bytes.left(24)).replace(QRegularExpression(QStringLiteral("[\r\n]")), QStringLiteral("_"))
                                 : QStringLiteral("v%1").arg(i);
        doc.setValue(names[i], names[i + 1], v);
        ref.set(names[i], names[i + 1], v);
        if (doc.value(names[i], names[i + 1]) != ref.value(names[i], names[i + 1]) ||
            doc.value(names[i], names[i + 1]) != v.left(IniDocument::MaxValueLength))
            __builtin_trap();
    }
    const QByteArray out = doc.toBytes();
    if (out != ref.bytes() || IniDocument::parse(out).toBytes() != out)
        __builtin_trap();
    return 0;
}
