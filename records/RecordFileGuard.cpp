#include "RecordFileGuard.h"

#include "Exception.h"
#include "InputFile.h"

#include <QDir>

std::optional<QByteArray> RecordFileGuard::current(const QString &path)
{
    QByteArray bytes;
    try {
        if (InputFile::read(path, bytes) != InputFile::Outcome::Read)
            return std::nullopt;
    } catch (const Exception &) {
        return QByteArray("\0refused", 8); // differs from any record file; the write refuses it
    }
    return bytes;
}

void RecordFileGuard::remember(RecordKind kind, const QString &path)
{
    m_seen.insert(int(kind), {path, current(path)});
}

RecordFileGuard::Choice RecordFileGuard::beforeWrite(RecordKind kind, const QString &path) const
{
    const auto seen = m_seen.constFind(int(kind));
    if (seen == m_seen.cend() || seen->path != path || current(path) == seen->bytes || !m_ask)
        return Choice::Overwrite;
    return m_ask(path);
}

QString RecordFileGuard::questionText(const QString &path)
{
    return QStringLiteral("%1 was changed by another program after it was loaded here.\n\n"
                          "Yes reloads the file (the changes made here are lost), No overwrites it with what "
                          "the window holds, Cancel writes nothing.")
        .arg(QDir::current().relativeFilePath(path));
}
