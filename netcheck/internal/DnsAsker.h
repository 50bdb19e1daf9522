#pragma once
// The questions of one network check: to a given server, or through the
// system's resolvers (each in turn until one answers). Counts what is still
// outstanding and says when nothing is; after stop() no answer arrives.
#include "DnsExchange.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <functional>

class DnsAsker : public QObject {
    Q_OBJECT
public:
    // What a resolution came to: the addresses or names found, or why none could be had.
    struct Resolution {
        bool answered = false;
        QList<QHostAddress> addresses; // A and AAAA records
        QStringList names;             // MX targets
        bool alias = false;            // the name is a CNAME
        bool nullMx = false;           // the domain takes no mail (RFC 7505)
        QString failure;               // when not answered
    };
    using Answer = std::function<void(const DnsExchange::Result &)>;
    using Resolved = std::function<void(const Resolution &)>;

    explicit DnsAsker(int queryMs, QObject *parent = nullptr);

    // Starts a round: the resolvers are read again, nothing has answered yet.
    void begin();
    void stop();
    int outstanding() const { return m_outstanding; }
    // Whether anything answered at all this round.
    bool reached() const { return m_reached; }

    void ask(const QHostAddress &server, const QString &asciiName, DnsType type, DnsExchange::Transport transport,
             bool recursion, Answer then);
    void resolve(const QString &asciiName, DnsType type, Resolved then);
    // IPv4 and IPv6 addresses together.
    void resolveAddresses(const QString &asciiName, Resolved then);

signals:
    // After an answer's `then` has run and nothing is outstanding any more.
    void settled();

private:
    void resolveFrom(int next, const QString &asciiName, DnsType type, Resolved then);

    int m_queryMs;
    QPointer<QObject> m_round; // parent of this round's exchanges
    quint64 m_run = 0;
    int m_outstanding = 0;
    bool m_reached = false;
    QList<QHostAddress> m_resolvers;
};
