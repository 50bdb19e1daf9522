#include "Command.h"
#include "IniFile.h"
#include "SetupKeys.h"

#include <QFileInfo>

int runSettings(const Invocation &inv)
{
    const QFileInfo file(inv.settingsPath);
    inv.console.line(QStringLiteral("Settings file: %1%2")
                         .arg(file.absoluteFilePath(), file.exists() ? QString() : QStringLiteral(" (not there: every setting has its default)")));
    const IniDocument settings = IniDocument::load(inv.settingsPath);
    for (const QString &key : SetupKeys::all()) {
        if (!settings.contains(SetupKeys::Section, key))
            continue;
        QString value = settings.value(SetupKeys::Section, key);
        // Shown to whoever looks over the shoulder, or pasted into a report.
        if (key == SetupKeys::Password || key == SetupKeys::EppPassword)
            value = value.isEmpty() ? value : QStringLiteral("********");
        inv.console.line(QStringLiteral("%1=%2").arg(key, value));
    }
    return ExitStatus::Done;
}
