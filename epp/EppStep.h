#pragma once
// One step of a session as a value; its text for people is made from it.
#include <QList>
#include <QString>
#include <QStringList>

enum class EppObject { None, Domain, Host, Contact };

struct EppStep {
    enum class Stage {
        Connecting, // name: the server
        LoggingIn,
        Checking,   // whether names are free
        Reading,    // an info
        Creating,
        Updating,   // adding / removing / changing say what
        Deleting,
        Polling,
        LoggingOut,
    };
    Stage stage = Stage::Connecting;
    EppObject object = EppObject::None;
    QString name;
    QStringList adding;   // name servers, contacts, addresses
    QStringList removing;
    QStringList changing; // "registrant", "password", "address", ...

    // "Logging in", "Creating host ns1.example.com", "Updating example.com:
    // adding ns3.example.net, removing ns2.example.net".
    QString text() const;
    bool operator==(const EppStep &) const = default;
};

// "domain", "host", "contact".
QString eppObjectWord(EppObject object);
