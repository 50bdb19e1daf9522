#pragma once
// What the registry's robot accepts as a name, an address and a mailbox. Each
// function returns why a value is refused, as the end of a sentence that
// begins with the value ("has an empty label"), or an empty text.
#include <QString>

enum class NameRole {
    Domain, // the name being registered: no trailing dot
    Host,   // a name server or host: one trailing dot (the root) is allowed
};

QString hostNameProblem(const QString &name, NameRole role);
// A dotted IPv4 address of a host that the registry would publish.
QString addressProblem(const QString &address);
// A mailbox alone (local part "@" domain), as in an SMTP path.
QString mailboxProblem(const QString &mailbox);
