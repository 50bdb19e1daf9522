#pragma once
// How a record becomes registry objects: the domain with its name servers
// and contacts, the hosts to create for in-domain name servers, the contacts
// to create for blocks with a name but no handle; and what keeps a record
// from being sent at all. Pure functions; the send job runs them.
#include "EppObjects.h"
#include "EppRecord.h"
#include "EppSettings.h"

#include <functional>
#include <optional>

namespace EppMapping {

// Makes up a new contact id (at most 16 characters).
using IdMaker = std::function<QString()>;
QString randomId();

struct NewContact {
    QStringList fields; // record fields that get its id ("AHandleEdit", "RegistrantHandle")
    EppContact contact;
};

struct DomainPlan {
    EppDomain domain;              // as the record wants it, new contact ids in place
    QList<EppHost> inDomain;       // name servers inside the domain, with their addresses
    QStringList outside;           // name servers outside it: must exist at the registry
    QList<NewContact> newContacts; // to create first
};

DomainPlan domain(const EppRecord &record, const EppSettings &settings, const IdMaker &newId);
EppHost host(const EppRecord &record);
// A Contact record; an empty Nic Handle gets `newId`'s.
EppContact contact(const EppRecord &record, const IdMaker &newId);

// +CC.NUMBER, or nothing when the text cannot be put in that form; an
// empty text stays empty.
std::optional<QString> phone(const QString &text);
// A name in its xn-- form, lower case.
QString aceName(const QString &name);

// EPP's own problems with a record, one a line; empty when it may be sent.
QStringList problems(const EppRecord &record);

} // namespace EppMapping
