#pragma once
// One run of a command: its words, its flags and where it reads and writes.
#include "Console.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

struct Invocation {
    QStringList args;    // the words after the command's name, flags taken out
    QSet<QString> flags; // "--new", "--store", ...
    QHash<QString, QString> values; // "--cacert" -> "ca.pem" of "--cacert=ca.pem"
    QString settingsPath;
    Console console;

    bool has(const char *flag) const { return flags.contains(QLatin1String(flag)); }
};
