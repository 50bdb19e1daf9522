#pragma once
// Asks the network what the registry's robot will ask of a record before it
// accepts it: whether the name servers serve the domain, whether a new domain
// is still free, whether a host's address is the one its name resolves to,
// whether a contact's mailbox can receive mail. Runs on the event loop and
// never blocks it; each query has its own time limit and the whole check one.
// Each of these is a small check module (netcheck/internal) with its own table
// of tagged messages; this class runs them and makes the problems.
#include "LookUpOutcome.h"
#include "NetworkCheckRequest.h"
#include "RegistrationCheck.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

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
    // How the question ended: Found (with the registrar, when the registry's
    // record names one), NotFound, Answered (the answer's words tell
    // neither), or why no answer could be had.
    void answered(const LookUpOutcome &outcome);
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
