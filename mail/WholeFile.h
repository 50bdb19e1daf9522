#pragma once
// A file's whole content in memory, for attachments of any size.
#include <QByteArray>
#include <QString>

namespace WholeFile {

// Throws EInOutError with the system's text when the file cannot be opened or read.
QByteArray Read(const QString &path);

// Reads up to size bytes at offset of an open file; fewer only at its end.
// Returns the bytes read, or -errno. Safe to call from several threads at once.
qint64 ReadAt(int fd, qint64 offset, char *to, qint64 size);

// Throws EInOutError with the system's text for errno `error`.
[[noreturn]] void Fail(int error);

} // namespace WholeFile
