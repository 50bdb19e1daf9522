#pragma once
// Asks the network what the registry's robot will ask of a record before it
// accepts it: whether the name servers serve the domain, whether a new domain
// is still free, whether a host's address is the one its name resolves to,
// whether a contact's mailbox can receive mail. Runs on the event loop and
// never blocks it; each query has its own time limit and the whole check one.
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

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

// "Is this name registered?", asked the way the WhoIs page is set up (RDAP or
// WHOIS). One question at a time.
class RegistrationLookup : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~RegistrationLookup() override = default;
    // `asciiName` is already in its ASCII form.
    virtual void start(const QString &asciiName) = 0;
    // No signal follows a cancel.
    virtual void cancel() = 0;

signals:
    // `registrar` may be empty when the answer does not name one.
    void answered(bool registered, const QString &registrar);
    // No answer could be had; `text` says why ("whois.example did not answer").
    void failed(const QString &text);
};

class NetworkCheck : public QObject {
    Q_OBJECT
public:
    // Without `availability` the registration question is not asked.
    explicit NetworkCheck(std::unique_ptr<RegistrationLookup> availability = {},
                          NetworkCheckLimits limits = {}, QObject *parent = nullptr);
    ~NetworkCheck() override;

    // Starts checking; a check still running is cancelled first.
    void start(const NetworkCheckRequest &request);
    // Ends a running check; no `finished` follows.
    void cancel();
    bool running() const;
    // Whether anything on the network answered during the last check: false
    // when questions were asked and every one went unanswered (no resolver,
    // no route, no server).
    bool reachedNetwork() const;

signals:
    // What is being waited on, for a status line: "Asking whether
    // ns1.example.net (192.0.2.1) serves example.com (and 2 more)".
    void progress(const QString &text);
    // Every problem found, each marked `network`; empty when the record passed.
    // A DNS question the whole limit cut off is an error that says what could
    // not be checked.
    void finished(const RegistrationProblems &problems);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
