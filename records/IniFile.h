#pragma once
// Private-profile INI files: case-insensitive section and key names, values
// updated in place, missing keys appended to their section and missing
// sections to the file, the file created on demand. Files are ISO-8859-1
// (or UTF-8 when read so, see FileEncoding) with CR LF lines and are always
// replaced atomically.
#include "AtomicFile.h"
#include "FileEncoding.h"
#include "OffsetTable.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <map>
#include <utility>
#include <vector>

// An INI file held in memory; load, change, save. The file's bytes are kept
// as read, with an index of its sections and keys, so reading is linear in
// the file's size and each look-up costs about the same whatever the size.
// Changes are kept beside the bytes and merged when the file is written.
class IniDocument {
public:
    static constexpr int MaxValueLength = 1023;

    IniDocument() = default;

    // A missing or unreadable file loads as empty. Throws EInOutError for a
    // file that is not a regular file or is too large (InputFile).
    static IniDocument load(const QString &path);
    // The document held in `bytes`.
    static IniDocument parse(QByteArray bytes);

    // Without the blanks (spaces, tabs) around it and one pair of matching
    // quotes, cut to 1023 characters; empty when missing.
    QString value(const QString &section, const QString &key) const;
    // The same without the cut, for values whose stored form is longer than
    // their text (StoredValue).
    QString uncutValue(const QString &section, const QString &key) const;
    bool contains(const QString &section, const QString &key) const;
    // Stores `value` so that value() reads it back as it is (up to the cut).
    void setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toBytes() const;
    // Atomic replace; throws EIniFileError "Unable to write to <path>".
    void save(const QString &path, AtomicFile::Access access = AtomicFile::Access::Keep) const;

private:
    struct Span {
        qsizetype begin = 0;
        qsizetype end = 0;  // before the line's CR LF
        qsizetype next = 0; // start of the next line
    };
    // Where a changed key's line is: replacing an original line, inserted
    // before an original line offset, or in an appended section.
    struct Place {
        enum Kind { Replaced, Inserted, Appended } kind;
        qsizetype at;
        qsizetype index;
    };
    struct NewSection {
        QString name;
        bool blankBefore;
        QStringList lines;
    };

    void index();
    Span lineAt(qsizetype start) const;
    qsizetype originalSection(const QString &section) const;
    qsizetype originalKey(qsizetype sectionStart, const QString &key) const;
    qsizetype sectionOf(qsizetype lineStart) const;
    qsizetype insertionPoint(qsizetype sectionStart);
    bool lastLineBlank() const;
    static QString setKey(const QString &section, const QString &key);
    static QString storedForm(const QString &value);

    QByteArray m_bytes;
    std::vector<qint32> m_sectionLines; // every section line's offset, in order
    OffsetTable m_sections;             // first section of each name
    OffsetTable m_keys;                 // first key of each name in those sections

    QHash<QString, QString> m_set;      // values set since loading
    QHash<QString, Place> m_places;
    std::map<qsizetype, QString> m_replaced;
    std::map<qsizetype, QStringList> m_inserted;
    QHash<qsizetype, qsizetype> m_insertAt; // per original section
    std::vector<NewSection> m_appended;
    FileEncoding::Kind m_encoding = FileEncoding::Kind::Latin1; // written back as read
    bool m_unreadable = false; // exists but could not be read: never overwrite it
};

// Writes in the private-profile manner: every write rewrites the file.
class IniFile {
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}

    // Several keys in the given order, in one atomic replace. OwnerOnly when
    // one of the values is a password.
    void writeStrings(const QString &section, const std::vector<std::pair<QString, QString>> &values,
                      AtomicFile::Access access = AtomicFile::Access::Keep) const;

private:
    QString m_path;
};

// "Unable to write to <path>"
QString unableToWriteText(const QString &path);
