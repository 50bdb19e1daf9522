#pragma once
// What a command says about its settings file before it runs: a file named
// with --settings must be there and readable (a default one may be missing:
// then every setting has its default), and a [Setup] key no part of the
// program knows is most likely misspelt.
#include "Console.h"

#include <QString>

// Throws CliFailure (status 3) naming a named file that cannot be read; warns
// on standard error, naming the key and the file, of each unknown [Setup] key.
void checkSettingsFile(const QString &path, bool named, const Console &console);
