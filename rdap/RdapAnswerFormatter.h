#pragma once
// An RDAP domain answer (RFC 9083 JSON) as readable lines in the manner of a
// WHOIS answer. The answer comes from a peer we do not trust: anything that
// is not a domain object of the documented shape is refused, never guessed at.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

struct RdapAnswer {
    QStringList lines;
    // Why the answer is not an RDAP domain record; empty when it is one.
    QString refusal;
    // The registrar's own RDAP record (a "related" link of type
    // application/rdap+json over https); empty when there is none.
    QUrl related;
    // The registrar the record names (its vCard name, else its handle); empty when it names none.
    QString registrar;
};

class RdapAnswerFormatter {
public:
    static RdapAnswer format(const QByteArray &json);
};
