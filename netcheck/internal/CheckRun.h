#pragma once
// What the modules of one network check share: the request, the DNS asker,
// the name servers as they come to be known, the questions still open, and
// where messages go. The runner in NetworkCheck owns it.
#include "DnsAsker.h"
#include "NetworkCheckRequest.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

class CheckModule;

// One address of a name server and its three answers.
struct ServerAddress {
    QHostAddress address;
    int done = 0; // of the three questions asked there
    std::optional<DnsExchange::Result> soa, ns, tcp;
    bool serves = false; // answered both with authority over UDP
};

// A name server of the record as the check follows it.
struct CheckedServer {
    NetworkCheckRequest::NameServer entry;
    QString ascii;
    std::vector<ServerAddress> at; // every address asked, in the order asked
    const ServerAddress *serving() const;
};

class CheckRun {
public:
    struct Message {
        const CheckModule *module;
        int subject; // what it concerns: -1 the name, a server's index, then the whole set
        int tag;
        QString field;
        QStringList args;
        bool unchecked; // a question left without an answer
    };

    CheckRun(const NetworkCheckRequest &request, DnsAsker &dns, NetworkCheckLimits limits);

    const NetworkCheckRequest request;
    const QString ascii; // the record's name as DNS carries it; empty when it cannot
    const QString shown; // the record's name as shown
    DnsAsker &dns;
    const NetworkCheckLimits limits;
    std::vector<CheckedServer> servers;
    std::vector<Message> messages;
    bool askedNetwork = false;   // besides DNS
    bool reachedNetwork = false; // besides DNS

    // Set by the runner: says what is waited on; passes a server's address to every module; ends the run when all is in.
    std::function<void(const QString &)> say;
    std::function<void(size_t, const QHostAddress &)> addressFound;
    std::function<void()> settle;

    void report(const CheckModule *module, int subject, int tag, const QString &field, const QStringList &args,
                bool unchecked = false);

    // A DNS question, as what its answer will tell ("ns1.example.net has
    // address 192.0.2.1"): open until `answered`; one left open when the
    // limit ends the run is reported as not checked.
    struct Open {
        int subject;
        QString field;
        QString what;
    };
    int ask(int subject, const QString &field, const QString &what);
    void answered(int question);
    const std::map<int, Open> &open() const { return m_open; }
    bool askedAny() const { return m_asked > 0; }
    void sayWaiting(const QString &otherwise = {});

private:
    std::map<int, Open> m_open;
    int m_asked = 0;
};

// The name as DNS carries it: ASCII form, lower case, no final dot; empty
// for one it cannot carry, which the offline check already names.
QString asciiOf(const QString &typed);
// As typed, without a final dot.
QString shownName(const QString &typed);
QString addressList(const QList<QHostAddress> &addresses);
// A reply with authority and the data asked for.
bool authoritative(const DnsExchange::Result &r, DnsType type);
// `format` with %1, %2, ... replaced in one pass, so that an argument's own "%1" stays as it is.
QString fillIn(const QString &format, const QStringList &args);
