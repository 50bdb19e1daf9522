#include "SettingsCheck.h"

#include "CliFailure.h"
#include "Exception.h"
#include "InputFile.h"
#include "SetupKeys.h"

#include <QFileInfo>

#include <cstring>

namespace {

// The keys of the file's first [Setup] section, as written.
QStringList setupKeys(const QByteArray &bytes)
{
    QStringList keys;
    bool inSetup = false, seen = false;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            const bool setup = QString::fromLatin1(line.mid(1, line.size() - 2)).trimmed().compare(SetupKeys::Section, Qt::CaseInsensitive) == 0;
            inSetup = setup && !seen; // a later section of the name is never read
            seen = seen || setup;
        } else if (inSetup && !line.startsWith(';') && line.contains('=')) {
            keys << QString::fromUtf8(line.left(line.indexOf('='))).trimmed();
        }
    }
    return keys;
}

} // namespace

void checkSettingsFile(const QString &path, bool named, const Console &console)
{
    QByteArray bytes;
    int error = 0;
    InputFile::Outcome outcome = InputFile::Outcome::Missing;
    try {
        outcome = InputFile::read(path, bytes, &error);
    } catch (const Exception &e) {
        throw CliFailure{ExitStatus::Failure, e.Message()};
    }
    if (outcome == InputFile::Outcome::Missing && named)
        throw CliFailure{ExitStatus::Failure, QStringLiteral("%1: Settings file not found").arg(path)};
    if (outcome == InputFile::Outcome::Unreadable && named)
        throw CliFailure{ExitStatus::Failure,
                         QStringLiteral("%1: Cannot read the settings file: %2")
                             .arg(path, QFileInfo(path).isDir() ? QStringLiteral("Is a folder")
                                                                : QString::fromLocal8Bit(std::strerror(error)))};
    for (const QString &key : setupKeys(bytes))
        if (!key.isEmpty() && !SetupKeys::isKnown(key))
            console.note(QStringLiteral("warning: %1: unknown key \"%2\" in [Setup]").arg(path, key));
}
