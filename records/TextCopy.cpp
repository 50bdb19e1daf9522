#include "TextCopy.h"

#include "AtomicFile.h"
#include "Exception.h"
#include "InputFile.h"
#include "Latin1.h"

QByteArray TextCopy::encode(const QStringList &lines, const QString &path)
{
    QByteArray out;
    qsizetype size = 0;
    for (const QString &l : lines)
        size += l.size() + 2;
    out.reserve(size);
    for (const QString &l : lines) {
        if (const qsizetype bad = Latin1::firstUnfit(l); bad >= 0)
            throw Exception(QStringLiteral("The character \"%1\" cannot be written to %2").arg(l[bad], path));
        out += l.toLatin1();
        out += "\r\n";
    }
    return out;
}

// No fsync: the copy is derived from the record and rewritten by every
// render, so it is not worth a disk flush on the Show Form path (the record
// file, the real data, is flushed by its writer).
void TextCopy::write(const QString &path, const QStringList &lines)
{
    AtomicFile::write(path, encode(lines, path), AtomicFile::Sync::NoFlush);
}

QStringList TextCopy::read(const QString &path)
{
    const QByteArray bytes = InputFile::readOrThrow(path);

    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines << QString::fromLatin1(bytes.constData() + start, i - start);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines << QString::fromLatin1(bytes.constData() + start, bytes.size() - start);
    return lines;
}
