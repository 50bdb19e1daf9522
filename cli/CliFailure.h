#pragma once
// Ends a command with one line on standard error and an exit status.
#include "ExitStatus.h"

#include <QString>

struct CliFailure {
    int status = ExitStatus::Failure;
    QString text;
};
