#include "SettingsLocation.h"

#include <QDir>
#include <QFileInfo>

namespace {

// An installed program has its desktop entry in the share folder beside its
// bin folder. This also covers root, for whom every folder reads as writable.
bool isInstalled(const QFileInfo &program)
{
    return QFileInfo::exists(program.absolutePath() + QStringLiteral("/../share/applications/zandolet.desktop"));
}

QString configHome()
{
    // Relative values are invalid and ignored, as the base directory rules say.
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.config");
}

} // namespace

QString SettingsLocation::forProgram(const QString &programFile)
{
    const QFileInfo program(programFile);
    const QFileInfo folder(program.absolutePath());
    if (folder.isWritable() && !isInstalled(program))
        return program.absolutePath() + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".ini");
    return configHome() + QStringLiteral("/zandolet/zandolet.ini");
}

bool SettingsLocation::makeFolder(const QString &settingsFile)
{
    const QString folder = QFileInfo(settingsFile).absolutePath();
    if (QFileInfo(folder).isDir())
        return true;
    return QDir().mkpath(folder) &&
           QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
