#pragma once
// Record files, text copies, name lists and defaults. No cache: every call
// reads the current directory and the files afresh.
#include "NameListUpdate.h"
#include "RecordKind.h"

#include <QString>
#include <QStringList>
#include <functional>

class IFields;
class IniDocument;
class RecordFileGuard;

class RecordStore {
public:
    // Told when a load mended a stored value (a control character removed, a
    // one-line value cut to its first line): the kind whose fields took it and
    // a note naming the keys and the file.
    using MendedNote = std::function<void(RecordKind, const QString &)>;
    RecordStore(IFields &fields, QString settingsPath, MendedNote mended = {});

    // Absolute path of the kind's folder under the current directory.
    static QString recordFolder(RecordKind kind);
    // Creates the folder (one level); a failure is not reported.
    static void ensureFolder(RecordKind kind);
    // Path of the record file / text copy of `name`: an existing file whose
    // name matches without regard to case, otherwise the name as typed.
    static QString recordFilePath(RecordKind kind, const QString &name);
    static QString textCopyPath(RecordKind kind, const QString &name);
    // The name list file in the current directory, matched without regard to case.
    static QString listFilePath(RecordKind kind);

    // Why `name` cannot name a record's files, or an empty string when it can.
    static QString recordNameProblem(const QString &name);

    // Loads the record named by the kind's name field, if its file exists.
    void loadRecord(RecordKind kind);
    // Writes every key of the record file from the fields (after a render).
    void saveRecord(RecordKind kind);
    // Told what is loaded and written, and asked before a write (the window's);
    // without one every write goes ahead.
    void setFileGuard(RecordFileGuard *guard) { m_guard = guard; }
    // Whether the kind's record may be written now: false when the user
    // chose to reload the file changed outside (it is loaded) or to cancel.
    bool mayWrite(RecordKind kind);
    // Called with the kind each time its record file has been written.
    void setOnSaved(std::function<void(RecordKind)> onSaved) { m_onSaved = std::move(onSaved); }

    void saveDefaults(RecordKind kind);
    // Start-up: the three defaults sections, then the three name lists. A
    // list file that is refused (InputFile) stays empty, and the first such
    // refusal is thrown after everything else has loaded.
    void loadDefaultsAndLists();
    // The same, from a settings file the caller has read already.
    void loadDefaultsAndLists(const IniDocument &settings);

    // After a show or mail: New adds the name, Delete removes the selected
    // entry and the record's two files, Modify leaves everything.
    void updateNameList(RecordKind kind);
    // The same in two steps: take what the update is about now, apply it later.
    NameListUpdate nameListUpdate(RecordKind kind) const;
    void updateNameList(const NameListUpdate &update);

private:
    void report(RecordKind kind, const QString &note) const;

    IFields &m_fields;
    QString m_settingsPath;
    MendedNote m_mended;
    std::function<void(RecordKind)> m_onSaved;
    RecordFileGuard *m_guard = nullptr;
};
