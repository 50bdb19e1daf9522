#pragma once
// How the review pages reach the registry over EPP, as the setup dialog keeps it.
#include "EppSettings.h"

#include <QString>

struct EppSetup {
    QString server; // host[:port]
    QString clientId;
    QString password;
    // Why the keyring holds the password back; empty when it is known.
    QString passwordWithheld;
    QString certificate; // PEM files
    QString key;
    QString caFile; // empty: the system's authorities

    // `base` (the file's other EPP keys) with what the setup holds.
    EppSettings appliedTo(EppSettings base) const
    {
        base.server = server;
        base.clientId = clientId;
        base.password = password;
        base.certificate = certificate;
        base.key = key;
        base.caFile = caFile;
        return base;
    }
};
