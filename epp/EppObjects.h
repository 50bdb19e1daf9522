#pragma once
// The objects a registry keeps, as small values, and the differences an
// update sends.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct EppHost {
    QString name;         // xn-- form
    QStringList addresses; // IPv4 and IPv6 texts
    bool operator==(const EppHost &) const = default;
};

struct EppContact {
    QString id;
    QString name, org, street, city, sp, pc, cc;
    QString voice, fax;   // +CC.NUMBER
    QString email;
    QString pw;
    QString disclose;     // "Y" public, "N" confidential, "" not said
    // Accented letters go out as postal info "loc", plain ASCII as "int".
    bool isLocal() const;
    bool operator==(const EppContact &) const = default;
};

using EppContactRef = QPair<QString, QString>; // type ("admin", "tech", "billing"), id

struct EppDomain {
    QString name;          // xn-- form
    QStringList ns;        // host objects
    QList<EppHost> nsAttr; // host attributes, when the registry wants them
    QString registrant;
    QList<EppContactRef> contacts;
    QString pw;
};

struct EppDomainChange {
    QStringList addNs, remNs;
    QList<EppHost> addNsAttr, remNsAttr;
    QList<EppContactRef> addContacts, remContacts;
    QString registrant; // empty: unchanged
    QString pw;         // empty: unchanged
    bool isEmpty() const;
};

struct EppHostChange {
    QStringList addAddresses, remAddresses;
    bool isEmpty() const { return addAddresses.isEmpty() && remAddresses.isEmpty(); }
};

// Differences of contact data: only what changed goes in the <chg>.
struct EppContactChange {
    bool postal = false; // name, org, address
    bool voice = false, fax = false, email = false, pw = false, disclose = false;
    EppContact to;
    bool isEmpty() const { return !(postal || voice || fax || email || pw || disclose); }
    QStringList names() const; // "address", "phone", ...
};

EppDomainChange domainChange(const EppDomain &registry, const EppDomain &wanted);
EppHostChange hostChange(const EppHost &registry, const EppHost &wanted);
EppContactChange contactChange(const EppContact &registry, const EppContact &wanted);
