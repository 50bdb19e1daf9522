#pragma once
// Where the settings file lives. A program whose folder the user may write
// (a build tree, a portable copy) keeps it beside itself, its own name with
// ".ini". An installed program keeps it in the user's configuration folder,
// $XDG_CONFIG_HOME/zandolet/zandolet.ini ($HOME/.config when that is unset),
// so that every user has their own and nothing is written into system folders.
#include <QString>

namespace SettingsLocation {

// The settings file of the program file `programFile`.
QString forProgram(const QString &programFile);

// Creates the folder of `settingsFile` (owner only) when it is missing;
// false when it cannot be made.
bool makeFolder(const QString &settingsFile);

} // namespace SettingsLocation
