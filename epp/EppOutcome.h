#pragma once
// How an EPP job ended, as one value; texts and exit statuses come from it.
#include "EppStep.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

struct EppGreeting {
    QString serverId;
    QString serverDate;
    QStringList versions;
    QStringList languages;
    QStringList objects;    // object namespace URIs
    QStringList extensions; // extension namespace URIs
};

struct EppMessage { // one message of the registry's queue
    QString id;
    int count = 0;  // messages queued, this one included
    QString date;
    QString text;
};

struct EppOutcome {
    enum class Result {
        Success,   // every command succeeded (or there was nothing to change)
        Refused,   // the registry answered 2xxx (a refused login too)
        Problems,  // the record is not fit to send; nothing was sent
        Failed,    // transport, TLS, framing, time-out, settings or file
        Cancelled,
    };
    enum class Failure {
        None,
        Settings,  // no server, an unreadable certificate or key, a key others can read
        Resolve,
        Connect,
        Tls,
        Framing,   // a frame too long or too short, a DOCTYPE, XML that is not EPP
        Timeout,
        OutOfStep, // an answer to another command
        Closed,    // the server ended the session (1500, or closed the connection)
    };

    Result result = Result::Success;
    Failure failure = Failure::None;
    QString detail;      // the transport's or parser's own words

    // The last answer's result: code, <msg>, each <value> and <extValue><reason>.
    int code = 0;
    QString message;
    QStringList reasons;
    QString svTrid;
    EppStep refusedStep; // the step the refusal answered

    QStringList problems;     // Problems: one a line
    QList<EppStep> done;      // what the registry did, in order
    // Field name -> contact id made up and created in this send, to be
    // written into the record ("AHandleEdit", "RegistrantHandle",
    // "ContactNicHandle").
    QList<QPair<QString, QString>> handles;

    EppGreeting greeting;                   // every job that connected
    QList<QPair<QString, QString>> info;    // an info: key, value
    // An info compared with a local record: what a Modify would send
    // (an Updating step), or a step with nothing in it when they agree.
    std::optional<EppStep> difference;
    bool available = false;                 // a check
    QString availabilityReason;
    QList<EppMessage> messages;             // a poll

    bool succeeded() const { return result == Result::Success; }
    // One line: "Done: example.com created (svTRID ...)", "Refused by the
    // registry: 2302 Object exists (...)", "TLS failed: ...".
    QString text() const;
};
