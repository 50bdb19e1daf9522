#pragma once
// Whole-file replace for every file the program writes: the bytes go to a
// temporary file in the same folder, are flushed to disk (unless asked not
// to) and then renamed over the old file, so a failure leaves the old file
// whole.
//
// A new file is created owner-only (0600), since record files, text copies
// and the settings file may hold a password; a replaced file keeps its mode.
// A symbolic link is followed: its target is replaced in the target's own
// folder and the link stays. A file we may not write, or anything but a
// regular file (a pipe, a device), is refused, never replaced. Our own temporary files left by a crash (".zandolet-XXXXXX",
// older than a minute) are removed from a folder when we next write there.
#include <QByteArray>
#include <QString>

class AtomicFile {
public:
    // Throws EInOutError with the platform's text ("File access denied",
    // "Disk full", ...) and its code.
    // Flush: the data, and after the rename the folder, reach the disk before
    // write returns, so a finished save survives a power cut. Record files,
    // the settings file and the name lists are flushed. Text copies are not:
    // each render rewrites them from the record, which is the real data.
    enum class Sync { Flush, NoFlush };
    // OwnerOnly: the bytes hold a password, so the file ends owner-only
    // whatever mode an old one had; Keep: an old file's mode stays.
    enum class Access { Keep, OwnerOnly };
    // Follow: a link's target is replaced (the user's own links to records);
    // Replace: the link itself gives way to a new owner-only file, for files
    // nobody else may point elsewhere (a cache).
    enum class Links { Follow, Replace };
    static void write(const QString &path, const QByteArray &bytes, Sync sync = Sync::Flush,
                      Access access = Access::Keep, Links links = Links::Follow);

    // How long a temporary file of ours must be untouched before it counts as
    // left behind by a crash.
    static constexpr int StaleTempSeconds = 60;

    // Throws EInOutError for a failed file operation's errno.
    [[noreturn]] static void fail(int errnoValue);

    // The text and code a failed file operation reports for `errnoValue`.
    static QString errorText(int errnoValue, int *code = nullptr);
};
