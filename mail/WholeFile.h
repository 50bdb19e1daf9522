#pragma once
// A file's whole content in memory, for attachments of any size.
#include <QByteArray>
#include <QString>

namespace WholeFile {

// Throws EInOutError with the system's text when the file cannot be opened or read.
QByteArray Read(const QString &path);

} // namespace WholeFile
