#pragma once
// A WHOIS or Finger job run to its end from a terminal: the answer on
// standard output, the steps and the reason it ended early on standard
// error, each line as the look-up pages show it.
#include "Console.h"

#include <QString>
#include <functional>

class PortLookUpJob;

// Starts the job with `start` and waits for its end. The exit status: 0 when
// it ended without a failure; 1 when it ended with `noMatch` (when given),
// the line that says the name is unknown; 3 for any other failure.
int runLookUpJob(PortLookUpJob &job, const Console &console, const std::function<void()> &start,
                 const QString &noMatch = QString());
