#pragma once
// The command table of zandolet-cli: each command's words, flags and help,
// and the function that runs it. A command returns its exit status or throws
// CliFailure.
#include "ExitStatus.h"
#include "Invocation.h"

#include <QStringList>
#include <vector>

struct Command {
    const char *name;
    const char *usage;   // "render KIND NAME [--new|--modify|--delete] [--store]"
    const char *summary; // one line for the overview
    const char *help;    // what --help adds below the usage
    QStringList flags;   // the flags it takes; one ending in "=" takes a value ("--cacert=")
    int minArgs;
    int maxArgs;
    int (*run)(const Invocation &);
};

const std::vector<Command> &commands();
const Command *findCommand(const QString &name);

// Parses the words after the program's name and runs the command; the exit status.
int runCommandLine(const QStringList &words, const Console &console, const QString &defaultSettings);

// The commands, one file each.
int runList(const Invocation &);
int runRender(const Invocation &);
int runCheck(const Invocation &);
int runImport(const Invocation &);
int runMail(const Invocation &);
int runRdap(const Invocation &);
int runWhois(const Invocation &);
int runFinger(const Invocation &);
int runEpp(const Invocation &);
