#pragma once
// What a send takes from the "Setup" section: where the mail goes, who sends
// it and how the server is reached.
#include "SmtpSecurity.h"

#include <QString>

struct MailSettings {
    QString server; // "host", "host:port", "[IPv6]:port", "[IPv6]" or a bare IPv6 address
    QString senderAddress;
    QString senderName;
    QString mailto; // the registration mailbox, the one recipient of every send
    TSmtpSecurity security = TSmtpSecurity::None;
    QString userName;
    QString password;
    // Why the login's password is unknown ("the keyring is locked"); empty when
    // it is known. A send that needs it stops before connecting.
    QString passwordWithheld;
};
