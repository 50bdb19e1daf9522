#pragma once
// Whole-file replace for the store's plain text files (name lists): the bytes
// go to a temporary file in the same folder, are flushed to disk and then
// renamed over the old file, so a failure leaves the old file whole.
#include <QByteArray>
#include <QString>

class AtomicFile {
public:
    // Throws EInOutError with the platform's text ("File access denied",
    // "Disk full", ...) and its code.
    static void write(const QString &path, const QByteArray &bytes);

    // The text and code a failed file operation reports for `errnoValue`.
    static QString errorText(int errnoValue, int *code = nullptr);
};
