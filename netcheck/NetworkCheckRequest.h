#pragma once
// What the network check asks about a record, and its time limits.
#include "RecordKind.h"

#include <QList>
#include <QString>

class IFields;

// What the network is asked about a record, copied out when the check starts
// so that edits made meanwhile do not change it. Names as typed (the check
// sends their ASCII form).
struct NetworkCheckRequest {
    enum class Action { New, Modify, Delete };
    struct NameServer {
        QString field;   // control name of the server's name field
        QString name;    // "ns1.example.net"
        QString address; // as given in the record; may be empty
        QString addressField;
    };

    RecordKind kind = RecordKind::Domain;
    Action action = Action::New;
    QString name;      // the domain, the host or the contact's handle
    QString nameField; // control name of that field
    QList<NameServer> nameServers; // domain: primary, secondary, additional ones
    QString hostAddress;           // host: the address given
    QString hostAddressField;
    QString mailbox; // contact: the e-mail address
    QString mailboxField;
};

// Reads what the check needs from a record of `kind`.
NetworkCheckRequest networkCheckRequest(const IFields &fields, RecordKind kind);

struct NetworkCheckLimits {
    int queryMs = 3000;  // one DNS query, one connection
    int wholeMs = 10000; // the whole check
};
