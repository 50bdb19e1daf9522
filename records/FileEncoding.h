#pragma once
// The character set of a settings or record file. Files are ISO-8859-1, but
// one an editor saved as UTF-8 is read as UTF-8 and written back so, which
// is told by its bytes: valid UTF-8 holding at least one multi-byte
// sequence, or a UTF-8 byte-order mark. Latin-1 text with accents is never
// valid UTF-8 in practice (an accented letter alone is a broken sequence).
#include <QByteArray>
#include <QString>

namespace FileEncoding {

enum class Kind { Latin1, Utf8, Utf8WithBom };

Kind detect(const QByteArray &bytes);
// The bytes a file's text starts with (the byte-order mark, if any).
qsizetype headerSize(Kind kind);
QByteArray header(Kind kind);
QString decode(const char *data, qsizetype size, Kind kind);
QByteArray encode(const QString &text, Kind kind);

} // namespace FileEncoding
