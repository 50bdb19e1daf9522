#pragma once
// The plain mistakes that make the registry's robot refuse a registration,
// found before it is mailed: malformed names, addresses and mailboxes, and
// what the kind and action need filled in. Reads the record, changes nothing.
#include "RecordKind.h"

#include <QList>
#include <QString>

class IFields;

struct RegistrationProblem {
    QString field; // control name of the field it concerns
    QString text;  // "Name server 2 address 10.1.2.3 is a private address"
    bool network = false; // found by asking the network, not by reading the record
    bool warning = false; // worth a look, but no reason for the registry to refuse
    bool unchecked = false; // a question the network left unanswered: not known either way
    bool operator==(const RegistrationProblem &) const = default;
};
using RegistrationProblems = QList<RegistrationProblem>;

// In the order of the kind's pages; empty when the record is fit to mail.
RegistrationProblems checkRegistration(const IFields &fields, RecordKind kind);

// The problem as a tool tip or a list shows it: "Warning: " before a warning,
// " (found on the network)" after what the network check found.
QString problemText(const RegistrationProblem &problem);
// "2 problems: " or "1 problem: " and the first one, warnings and what came
// from the network counted apart; empty when there are none.
QString problemSummary(const RegistrationProblems &problems);
// The question before mailing a record with problems: at most ten of them, then "and N more".
// With warnings only, it does not speak of a refusal.
QString mailAnywayQuestion(const RegistrationProblems &problems);
