#include "IniFile.h"

#include "AtomicFile.h"
#include "Exception.h"

#include <QFile>

#include <unistd.h>

namespace {

bool isSectionLine(const QString &line, QString *name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (name)
        *name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return true;
}

// Key of a "key=value" line, or a null string for any other line.
QString keyOf(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return {};
    return line.left(eq).trimmed();
}

QString cleanValue(QString v)
{
    v = v.trimmed();
    if (v.size() >= 2) {
        const QChar q = v.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && v.back() == q)
            v = v.mid(1, v.size() - 2);
    }
    if (v.size() > IniDocument::MaxValueLength)
        v.truncate(IniDocument::MaxValueLength);
    return v;
}

} // namespace

QString unableToWriteText(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

IniDocument IniDocument::load(const QString &path)
{
    IniDocument doc;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        doc.m_unreadable = f.exists();
        return doc;
    }
    const QString text = QString::fromLatin1(f.readAll());
    doc.m_lines = text.split(QLatin1Char('\n'));
    for (QString &l : doc.m_lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    // A final line break leaves one empty piece that is not a line.
    if (!doc.m_lines.isEmpty() && doc.m_lines.back().isEmpty())
        doc.m_lines.removeLast();
    return doc;
}

qsizetype IniDocument::findSection(const QString &section) const
{
    QString name;
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (isSectionLine(m_lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype sectionLine) const
{
    qsizetype i = sectionLine + 1;
    while (i < m_lines.size() && !isSectionLine(m_lines[i], nullptr))
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype sectionLine, const QString &key) const
{
    const qsizetype end = sectionEnd(sectionLine);
    for (qsizetype i = sectionLine + 1; i < end; ++i) {
        const QString k = keyOf(m_lines[i]);
        if (!k.isNull() && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool IniDocument::contains(const QString &section, const QString &key) const
{
    const qsizetype s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

QString IniDocument::value(const QString &section, const QString &key) const
{
    const qsizetype s = findSection(section);
    if (s < 0)
        return {};
    const qsizetype k = findKey(s, key);
    if (k < 0)
        return {};
    const QString &line = m_lines[k];
    return cleanValue(line.mid(line.indexOf(QLatin1Char('=')) + 1));
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString line = key + QLatin1Char('=') + value;
    qsizetype s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.back().trimmed().isEmpty())
            m_lines << QString();
        m_lines << QLatin1Char('[') + section + QLatin1Char(']') << line;
        return;
    }
    const qsizetype k = findKey(s, key);
    if (k >= 0) {
        m_lines[k] = line;
        return;
    }
    // After the section's last non-blank line, so the blank line before the
    // next section stays where it is.
    qsizetype at = sectionEnd(s);
    while (at > s + 1 && m_lines[at - 1].trimmed().isEmpty())
        --at;
    m_lines.insert(at, line);
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const QString &l : m_lines) {
        out += l.toLatin1();
        out += "\r\n";
    }
    return out;
}

void IniDocument::save(const QString &path) const
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
        AtomicFile::write(path, toBytes());
    } catch (const EInOutError &) {
        throw EIniFileError(unableToWriteText(path));
    }
}

QString IniFile::readString(const QString &section, const QString &key) const
{
    return IniDocument::load(m_path).value(section, key);
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) const
{
    writeStrings(section, {{key, value}});
}

void IniFile::writeStrings(const QString &section, const std::vector<std::pair<QString, QString>> &values) const
{
    IniDocument doc = IniDocument::load(m_path);
    for (const auto &[key, value] : values)
        doc.setValue(section, key, value);
    doc.save(m_path);
}
