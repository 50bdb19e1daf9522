#pragma once
// A WHOIS or Finger job run to its end from a terminal: the answer on
// standard output, the steps and the reason it ended early on standard
// error, each line as the look-up pages show it.
#include "Console.h"
#include "LookUpOutcome.h"

#include <QString>
#include <functional>

class PortLookUpJob;

// The exit status of a look-up that ended with `outcome`: 0 when an answer
// came (for a domain, a record of it), 1 when the registry says it holds no
// such name, 3 when nothing usable answered.
int lookUpStatus(const LookUpOutcome &outcome);

// Starts the job with `start`, waits for its end and gives its exit status.
int runLookUpJob(PortLookUpJob &job, const Console &console, const std::function<void()> &start);
