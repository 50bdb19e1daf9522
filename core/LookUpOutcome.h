#pragma once
// How a WHOIS, RDAP or Finger look-up ended, as a value: what the registry
// said of the name, or why no usable answer came. Exit statuses and the
// network check's verdicts are decided from it; its lines for people are
// made here, once.
#include <QString>

struct LookUpOutcome {
    enum class Kind {
        Found,            // the registry answered with a record of the name
        NotFound,         // the registry says it holds no such name
        Answered,         // an answer came whose words say neither
        Refused,          // nothing usable to ask, or an answer that was not taken
        TransportFailure, // no answer: no connection, no reply, a refused certificate
        CutShort,         // a bound on time or size ended it
    };

    Kind kind = Kind::TransportFailure;
    QString name;      // as asked
    QString registrar; // Found: as the registry's record names it, in the server's words; may be empty
    QString reason;    // the failures: the line that says why it ended early
    // Found over RDAP: why the registrar's own record is missing (an HTTP
    // status such as "404", or the line that says why); empty when it came.
    QString relatedFailure;

    static LookUpOutcome failure(Kind kind, const QString &reason)
    {
        LookUpOutcome o;
        o.kind = kind;
        o.reason = reason;
        return o;
    }

    // The registry gave a verdict on the name, whatever it was.
    bool registryAnswered() const { return kind == Kind::Found || kind == Kind::NotFound || kind == Kind::Answered; }

    // The line that says why the look-up ended without a record, or why the
    // registrar's record is missing; empty when there is nothing to say.
    QString line() const;
};
