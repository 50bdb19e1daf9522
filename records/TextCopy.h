#pragma once
// The text copy of a rendered template: its lines, each ended by CR LF, in
// ISO-8859-1. Failures keep their errno and reach the user as the platform
// texts ("File not found", "Disk full", ...).
#include <QByteArray>
#include <QString>
#include <QStringList>

class TextCopy {
public:
    // The file's bytes. Throws Exception naming `path` when a line holds a
    // character that ISO-8859-1 cannot store (nothing is dropped silently).
    static QByteArray encode(const QStringList &lines, const QString &path);

    // Replaces `path` as a whole: a temporary file in the same folder, then a
    // rename, so a failure leaves any earlier copy intact and no partial file.
    // Throws EInOutError.
    static void write(const QString &path, const QStringList &lines);

    // The file's lines (CR LF, LF or CR end a line). Throws EInOutError.
    static QStringList read(const QString &path);
};
