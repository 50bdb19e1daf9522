#include "IniFile.h"

#include "AtomicFile.h"
#include "Blanks.h"
#include "Exception.h"
#include "FileEncoding.h"
#include "InputFile.h"
#include "Latin1.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <limits>
#include <cstring>
#include <unistd.h>

namespace {

// Names compare as QString::compare(..., Qt::CaseInsensitive) does: one
// simple case folding per character. Tables for the 256 file characters.
struct Latin1Tables {
    std::array<char16_t, 256> fold;
    std::array<bool, 256> space;
    Latin1Tables()
    {
        for (int c = 0; c < 256; ++c) {
            fold[c] = QChar(char16_t(c)).toCaseFolded().unicode();
            space[c] = QChar(char16_t(c)).isSpace();
        }
    }
};

const Latin1Tables &tables()
{
    static const Latin1Tables t;
    return t;
}

bool isSpace(char c)
{
    return tables().space[uchar(c)];
}

// FNV-1a over folded characters.
class FoldHash {
public:
    explicit FoldHash(quint32 seed = 0) : m_h(2166136261u ^ seed) {}
    void add(char16_t c)
    {
        m_h = (m_h ^ (c & 0xFF)) * 16777619u;
        m_h = (m_h ^ (c >> 8)) * 16777619u;
    }
    quint32 value() const { return m_h; }

private:
    quint32 m_h;
};

quint32 hashBytes(const char *p, qsizetype n, quint32 seed)
{
    FoldHash h(seed);
    for (qsizetype i = 0; i < n; ++i)
        h.add(tables().fold[uchar(p[i])]);
    return h.value();
}

quint32 hashText(const QString &s, quint32 seed)
{
    FoldHash h(seed);
    for (const QChar c : s)
        h.add(c.toCaseFolded().unicode());
    return h.value();
}

bool sameName(const char *p, qsizetype n, const QString &s)
{
    if (n != s.size())
        return false;
    for (qsizetype i = 0; i < n; ++i)
        if (tables().fold[uchar(p[i])] != s[i].toCaseFolded().unicode())
            return false;
    return true;
}

void trim(const char *p, qsizetype &b, qsizetype &e)
{
    while (b < e && isSpace(p[b]))
        ++b;
    while (e > b && isSpace(p[e - 1]))
        --e;
}

// Name span of a section line ("[name]" after blanks), or false.
bool sectionName(const char *p, qsizetype b, qsizetype e, qsizetype &nb, qsizetype &ne)
{
    trim(p, b, e);
    if (b == e || p[b] != '[')
        return false;
    nb = b + 1;
    const void *close = std::memchr(p + nb, ']', size_t(e - nb));
    ne = close ? static_cast<const char *>(close) - p : e;
    trim(p, nb, ne);
    return true;
}

// Key span of a "key=value" line, or false.
bool keyName(const char *p, qsizetype b, qsizetype e, qsizetype &kb, qsizetype &ke)
{
    const void *eq = std::memchr(p + b, '=', size_t(e - b));
    if (!eq)
        return false;
    kb = b;
    ke = static_cast<const char *>(eq) - p;
    trim(p, kb, ke);
    return true;
}

QString cleanValue(QString v, bool cut)
{
    v = Blanks::trimmed(v).toString();
    if (v.size() >= 2) {
        const QChar q = v.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && v.back() == q)
            v = v.mid(1, v.size() - 2);
    }
    if (cut && v.size() > IniDocument::MaxValueLength)
        v.truncate(IniDocument::MaxValueLength);
    return v;
}

bool blank(const char *p, qsizetype b, qsizetype e)
{
    trim(p, b, e);
    return b == e;
}

} // namespace

QString unableToWriteText(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

IniDocument IniDocument::load(const QString &path)
{
    QByteArray bytes;
    switch (InputFile::read(path, bytes)) {
    case InputFile::Outcome::Read:
        return parse(std::move(bytes));
    case InputFile::Outcome::Missing:
        return {};
    case InputFile::Outcome::Unreadable:
        break;
    }
    IniDocument doc;
    doc.m_unreadable = true;
    return doc;
}

IniDocument IniDocument::parse(QByteArray bytes)
{
    IniDocument doc;
    // Offsets are kept in 32 bits; InputFile never reads more than that.
    if (bytes.size() > std::numeric_limits<qint32>::max())
        bytes.truncate(std::numeric_limits<qint32>::max());
    // A lone CR after the last line break is an empty last line, which is
    // no line at all.
    if (bytes.endsWith('\r') && (bytes.size() == 1 || bytes[bytes.size() - 2] == '\n'))
        bytes.chop(1);
    doc.m_encoding = FileEncoding::detect(bytes);
    bytes.remove(0, FileEncoding::headerSize(doc.m_encoding));
    doc.m_bytes = std::move(bytes);
    doc.index();
    return doc;
}

// The text of the line starting at `start`: up to its LF, without one CR before it.
IniDocument::Span IniDocument::lineAt(qsizetype start) const
{
    const Latin1::LineSpan line = Latin1::lineAt(m_bytes, start);
    return {line.start, line.end, line.next};
}

void IniDocument::index()
{
    const char *p = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    qint32 section = -1; // the first section of its name we are in, or -1
    for (qsizetype start = 0; start < size;) {
        const Span line = lineAt(start);
        qsizetype nb = 0, ne = 0;
        if (sectionName(p, line.begin, line.end, nb, ne)) {
            m_sectionLines.push_back(qint32(start));
            const quint32 h = hashBytes(p + nb, ne - nb, 0);
            const auto same = [&](qint32 other) {
                qsizetype ob = 0, oe = 0;
                const Span o = lineAt(other);
                sectionName(p, o.begin, o.end, ob, oe);
                return oe - ob == ne - nb && std::equal(p + nb, p + ne, p + ob, [](char a, char b) {
                           return tables().fold[uchar(a)] == tables().fold[uchar(b)];
                       });
            };
            if (m_sections.find(h, same) < 0) {
                m_sections.insert(h, qint32(start));
                section = qint32(start);
            } else {
                section = -1; // a later section of the same name is never read
            }
        } else if (section >= 0 && keyName(p, line.begin, line.end, nb, ne)) {
            const quint32 h = hashBytes(p + nb, ne - nb, quint32(section));
            const auto same = [&](qint32 other) {
                qsizetype ob = 0, oe = 0;
                const Span o = lineAt(other);
                keyName(p, o.begin, o.end, ob, oe);
                return oe - ob == ne - nb && sectionOf(other) == section &&
                       std::equal(p + nb, p + ne, p + ob, [](char a, char b) {
                           return tables().fold[uchar(a)] == tables().fold[uchar(b)];
                       });
            };
            if (m_keys.find(h, same) < 0)
                m_keys.insert(h, qint32(start));
        }
        start = line.next;
    }
}

qsizetype IniDocument::sectionOf(qsizetype lineStart) const
{
    const auto it = std::upper_bound(m_sectionLines.begin(), m_sectionLines.end(), lineStart);
    return it == m_sectionLines.begin() ? -1 : *(it - 1);
}

qsizetype IniDocument::originalSection(const QString &section) const
{
    const char *p = m_bytes.constData();
    return m_sections.find(hashText(section, 0), [&](qint32 s) {
        qsizetype nb = 0, ne = 0;
        const Span line = lineAt(s);
        sectionName(p, line.begin, line.end, nb, ne);
        return sameName(p + nb, ne - nb, section);
    });
}

qsizetype IniDocument::originalKey(qsizetype sectionStart, const QString &key) const
{
    const char *p = m_bytes.constData();
    return m_keys.find(hashText(key, quint32(sectionStart)), [&](qint32 k) {
        qsizetype kb = 0, ke = 0;
        const Span line = lineAt(k);
        keyName(p, line.begin, line.end, kb, ke);
        return sameName(p + kb, ke - kb, key) && sectionOf(k) == sectionStart;
    });
}

QString IniDocument::setKey(const QString &section, const QString &key)
{
    return section.toCaseFolded() + QLatin1Char('\n') + key.toCaseFolded();
}

bool IniDocument::contains(const QString &section, const QString &key) const
{
    if (m_set.contains(setKey(section, key)))
        return true;
    const qsizetype s = originalSection(section);
    return s >= 0 && originalKey(s, key) >= 0;
}

QString IniDocument::uncutValue(const QString &section, const QString &key) const
{
    const auto set = m_set.constFind(setKey(section, key));
    if (set != m_set.cend())
        return cleanValue(*set, false);
    const qsizetype s = originalSection(section);
    const qsizetype k = s < 0 ? -1 : originalKey(s, key);
    if (k < 0)
        return {};
    const Span line = lineAt(k);
    const char *p = m_bytes.constData();
    const char *eq = static_cast<const char *>(std::memchr(p + line.begin, '=', size_t(line.end - line.begin)));
    return cleanValue(FileEncoding::decode(eq + 1, p + line.end - (eq + 1), m_encoding), false);
}

QString IniDocument::value(const QString &section, const QString &key) const
{
    QString v = uncutValue(section, key);
    if (v.size() > MaxValueLength)
        v.truncate(MaxValueLength);
    return v;
}

// After the section's last non-blank line, so the blank line before the
// next section stays where it is.
qsizetype IniDocument::insertionPoint(qsizetype sectionStart)
{
    const auto cached = m_insertAt.constFind(sectionStart);
    if (cached != m_insertAt.cend())
        return *cached;
    const auto next = std::upper_bound(m_sectionLines.begin(), m_sectionLines.end(), sectionStart);
    qsizetype at = next == m_sectionLines.end() ? m_bytes.size() : *next;
    const char *p = m_bytes.constData();
    const qsizetype first = lineAt(sectionStart).end; // the header's end
    while (at > first) {
        // The line before `at`.
        qsizetype end = at;
        if (end > 0 && p[end - 1] == '\n')
            --end;
        const char *lf = end > 0 ? static_cast<const char *>(memrchr(p, '\n', size_t(end))) : nullptr;
        const qsizetype begin = lf ? lf - p + 1 : 0;
        if (begin <= sectionStart || !blank(p, begin, end))
            break;
        at = begin;
    }
    m_insertAt.insert(sectionStart, at);
    return at;
}

bool IniDocument::lastLineBlank() const
{
    qsizetype end = m_bytes.size();
    const char *p = m_bytes.constData();
    if (end > 0 && p[end - 1] == '\n')
        --end;
    const char *lf = end > 0 ? static_cast<const char *>(memrchr(p, '\n', size_t(end))) : nullptr;
    return blank(p, lf ? lf - p + 1 : 0, end);
}

// The reader takes blanks and one pair of matching quotes off a value's ends,
// so a value with a blank or a quote at either end goes inside quotes and
// reads back whole; any other value is written as it is.
QString IniDocument::storedForm(const QString &value)
{
    const auto edge = [](QChar c) { return Blanks::is(c) || c == u'"' || c == u'\''; };
    if (value.isEmpty() || (!edge(value.front()) && !edge(value.back())))
        return value;
    return QLatin1Char('"') + value + QLatin1Char('"');
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString stored = storedForm(value);
    const QString line = key + QLatin1Char('=') + stored;
    const QString sk = setKey(section, key);
    m_set.insert(sk, stored);
    const auto known = m_places.constFind(sk);
    if (known != m_places.cend()) {
        const Place &pl = *known;
        if (pl.kind == Place::Replaced)
            m_replaced[pl.at] = line;
        else if (pl.kind == Place::Inserted)
            m_inserted[pl.at][pl.index] = line;
        else
            m_appended[size_t(pl.at)].lines[pl.index] = line;
        return;
    }
    const qsizetype s = originalSection(section);
    const qsizetype k = s < 0 ? -1 : originalKey(s, key);
    if (k >= 0) {
        m_replaced[k] = line;
        m_places.insert(sk, {Place::Replaced, k, 0});
        return;
    }
    if (s >= 0) {
        const qsizetype at = insertionPoint(s);
        QStringList &lines = m_inserted[at];
        lines << line;
        m_places.insert(sk, {Place::Inserted, at, lines.size() - 1});
        return;
    }
    const QString folded = section.toCaseFolded();
    for (size_t i = 0; i < m_appended.size(); ++i) {
        if (m_appended[i].name.toCaseFolded() == folded) {
            m_appended[i].lines << line;
            m_places.insert(sk, {Place::Appended, qsizetype(i), m_appended[i].lines.size() - 1});
            return;
        }
    }
    const bool empty = m_bytes.isEmpty() && m_inserted.empty() && m_appended.empty();
    const bool endsWithKey = !m_appended.empty() || m_inserted.count(m_bytes.size()) > 0;
    m_appended.push_back({section, !empty && (endsWithKey || !lastLineBlank()), {line}});
    m_places.insert(sk, {Place::Appended, qsizetype(m_appended.size() - 1), 0});
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out = FileEncoding::header(m_encoding);
    out.reserve(m_bytes.size() + m_bytes.size() / 8 + 1024);
    const char *p = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    auto ins = m_inserted.cbegin();
    auto rep = m_replaced.cbegin();
    const auto put = [&](const QStringList &lines) {
        for (const QString &l : lines) {
            out += FileEncoding::encode(l, m_encoding);
            out += "\r\n";
        }
    };
    for (qsizetype start = 0; start < size;) {
        if (ins != m_inserted.cend() && ins->first == start)
            put((ins++)->second);
        const Span line = lineAt(start);
        if (rep != m_replaced.cend() && rep->first == start)
            out += FileEncoding::encode((rep++)->second, m_encoding);
        else
            out.append(p + line.begin, line.end - line.begin);
        out += "\r\n";
        start = line.next;
    }
    if (ins != m_inserted.cend() && ins->first == size)
        put(ins->second);
    for (const NewSection &s : m_appended) {
        if (s.blankBefore)
            out += "\r\n";
        out += '[' + FileEncoding::encode(s.name, m_encoding) + "]\r\n";
        put(s.lines);
    }
    // Latin-1 text whose bytes happen to form UTF-8 would read back as other
    // letters; such a file goes out as UTF-8 with its mark, which reads back exactly.
    if (m_encoding == FileEncoding::Kind::Latin1 && FileEncoding::detect(out) != FileEncoding::Kind::Latin1)
        return FileEncoding::header(FileEncoding::Kind::Utf8WithBom) +
               FileEncoding::encode(QString::fromLatin1(out), FileEncoding::Kind::Utf8WithBom);
    return out;
}

void IniDocument::save(const QString &path, AtomicFile::Access access) const
{
    if (m_unreadable)
        throw EIniFileError(unableToWriteText(path));
    // A file the user made read-only is not replaced behind their back.
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0)
        throw EIniFileError(unableToWriteText(path));
    // Not QSaveFile: it commits a cut-short file when a write stops part way
    // (disk full), which would replace a good file with half of the new one.
    try {
        AtomicFile::write(path, toBytes(), AtomicFile::Sync::Flush, access);
    } catch (const EInOutError &) {
        throw EIniFileError(unableToWriteText(path));
    }
}

void IniFile::writeStrings(const QString &section, const std::vector<std::pair<QString, QString>> &values,
                           AtomicFile::Access access) const
{
    IniDocument doc;
    try {
        doc = IniDocument::load(m_path);
    } catch (const EInOutError &) {
        throw EIniFileError(unableToWriteText(m_path)); // a pipe or device is never replaced
    }
    for (const auto &[key, value] : values)
        doc.setValue(section, key, value);
    doc.save(m_path, access);
}
