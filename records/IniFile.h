#pragma once
// Private-profile INI files: case-insensitive section and key names, values
// updated in place, missing keys appended to their section and missing
// sections to the file, the file created on demand. Files are ISO-8859-1
// with CR LF lines and are always replaced atomically.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// An INI file held in memory; load, change, save.
class IniDocument {
public:
    static constexpr int MaxValueLength = 1023;

    // A missing or unreadable file loads as empty.
    static IniDocument load(const QString &path);

    // Trimmed, matching quotes removed, cut to 1023 characters; empty when missing.
    QString value(const QString &section, const QString &key) const;
    bool contains(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toBytes() const;
    // Atomic replace; throws EIniFileError "Unable to write to <path>".
    void save(const QString &path) const;

private:
    // Index of the section line, or -1.
    qsizetype findSection(const QString &section) const;
    // Index of the key line inside the section starting at `sectionLine`, or -1.
    qsizetype findKey(qsizetype sectionLine, const QString &key) const;
    qsizetype sectionEnd(qsizetype sectionLine) const;

    QStringList m_lines;
    bool m_unreadable = false; // exists but could not be read: never overwrite it
};

// Single-key access in the private-profile manner: every call reads, and every
// write rewrites, the file.
class IniFile {
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key) const;
    void writeString(const QString &section, const QString &key, const QString &value) const;
    // Several keys in the given order, in one atomic replace.
    void writeStrings(const QString &section, const std::vector<std::pair<QString, QString>> &values) const;

private:
    QString m_path;
};

// "Unable to write to <path>"
QString unableToWriteText(const QString &path);
