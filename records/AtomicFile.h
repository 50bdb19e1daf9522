#pragma once
// Whole-file replace for every file the program writes: the bytes go to a
// temporary file in the same folder, are flushed to disk (unless asked not
// to) and then renamed over the old file, so a failure leaves the old file
// whole.
#include <QByteArray>
#include <QString>

class AtomicFile {
public:
    // Throws EInOutError with the platform's text ("File access denied",
    // "Disk full", ...) and its code.
    enum class Sync { Flush, NoFlush };
    static void write(const QString &path, const QByteArray &bytes, Sync sync = Sync::Flush);

    // Throws EInOutError for a failed file operation's errno.
    [[noreturn]] static void fail(int errnoValue);

    // The text and code a failed file operation reports for `errnoValue`.
    static QString errorText(int errnoValue, int *code = nullptr);
};
