#pragma once
// Where the look-up pages connect and how long they wait. The program keeps
// these values; tests point the pages at loopback peers with short waits.

struct LookUpOptions {
    unsigned short whoisPort = 43;
    unsigned short fingerPort = 79;
    // For a connection to complete.
    int connectWaitMs = 15000;
    // For the next byte of an answer, as the whois client waits.
    int idleWaitMs = 60000;
    // For a whole look-up, referrals included, however the server drips.
    int lookUpWaitMs = 120000;
};
