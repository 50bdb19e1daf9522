#pragma once
// DNS questions as bytes and answers read back, with ldns. The answer comes
// from a peer we do not trust: what is not a well-formed reply to the very
// question asked is reported as such, never half read.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

enum class DnsType { A, Aaaa, Ns, Soa, Mx };

struct DnsReply {
    enum class Form {
        Answer,        // a reply to the question asked
        OtherId,       // not ours: another query's id, or no reply at all
        OtherQuestion, // our id, but about another name or type
        Malformed,     // not a DNS message
    };
    Form form = Form::Malformed;
    bool authoritative = false;
    bool truncated = false;
    int rcode = 0; // 0 NOERROR, 3 NXDOMAIN, 5 REFUSED, ...
    bool alias = false;            // the name asked is a CNAME
    bool nullMx = false;           // an MX of "." (RFC 7505): the domain takes no mail
    // Of the name asked, or of the end of its CNAME chain (at most MaxCnames
    // links); another owner's records are not taken.
    QList<QHostAddress> addresses; // A and AAAA records
    QStringList names;             // NS or MX targets: lower case, no final dot
    std::optional<quint32> serial; // of the SOA record
    static constexpr int MaxCnames = 8;
};

// The question as sent: `asciiName` in its ASCII form, recursion desired
// when asked through a resolver, not when asking a name server about its own
// zone. Empty when the name is not one DNS can carry.
QByteArray dnsQuestion(const QString &asciiName, DnsType type, quint16 id, bool recursion);

// Reads `wire` as the reply to the question `dnsQuestion` built.
DnsReply readDnsReply(const QByteArray &wire, const QString &asciiName, DnsType type, quint16 id);

// The name servers /etc/resolv.conf names (127.0.0.1 when it names none, as
// the C library does); empty when the file cannot be read.
QList<QHostAddress> systemNameServers();
