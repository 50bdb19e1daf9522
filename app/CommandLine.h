#pragma once
#include <QString>
#include <QStringList>

// The program's options, read from the plain argument list so that a wrong
// one is answered before any display is looked for. Qt's own options
// (-platform, -style, -reverse, ...) are accepted here and left to Qt.
struct CommandLine {
    enum class Asked { Run, Help, HelpAll, Version, Error };
    Asked asked = Asked::Run;
    QString error; // for Error: what was wrong, one line

    static CommandLine parse(const QStringList &arguments);

    // Ends the program: Help, HelpAll and Version are answered on standard
    // output with status 0 (a QCoreApplication must exist), an Error on
    // standard error with status 2. Not for Run.
    [[noreturn]] void answer() const;
};
