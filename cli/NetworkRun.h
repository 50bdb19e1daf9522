#pragma once
// The network check of a record run to its end from a terminal, asked the
// way the settings file says (RDAP or WHOIS for availability), its steps on
// standard error.
#include "CliRecord.h"
#include "RegistrationCheck.h"

struct NetworkRunResult {
    RegistrationProblems problems;
    bool reachedNetwork = false;
};

NetworkRunResult runNetworkCheck(const Invocation &inv, const CliRecord &record);

// Whether [Setup] has the record checked with the network before it is
// mailed: yes unless "Check Network=No", as in the window.
bool networkCheckWanted(const QString &settingsPath);
