#pragma once
// One RDAP look-up of a domain name: find its service in the bootstrap file
// (kept for a day), ask it over HTTPS, show the answer, and follow the
// answer's link to the registrar's own record once.
//
// Everything is reported through signals, in this order: statusLine for
// each step, answerLines for each record shown (the registrar's record comes
// after an empty line and a "--- HOST ---" line), errorLine for the one line
// that says why the look-up ended early, and done at the end, once. abort()
// and the destructor end the look-up without any further signal.
#include "HttpsFetch.h"
#include "RdapBootstrap.h"
#include "RdapBootstrapCache.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QStringList>
#include <QTimer>
#include <QUrl>

class RdapLookup : public QObject {
    Q_OBJECT
public:
    struct Options {
        QUrl bootstrapUrl = defaultBootstrapUrl();
        QString cacheFolder = RdapBootstrapCache::defaultFolder();
        // Authorities trusted besides the system's (a closed network's own).
        QList<QSslCertificate> extraCaCertificates;
        int connectTimeoutMs = 15000;
        int idleTimeoutMs = 60000; // a request that receives nothing this long once connected is ended
        // The whole look-up, redirects and the related link included: nothing runs after it.
        int lookUpTimeoutMs = 120000;
    };

    static QUrl defaultBootstrapUrl();
    // The errorLine for a name the registry does not know.
    static QString noMatchText(const QString &name);

    explicit RdapLookup(Options options, QObject *parent = nullptr);
    ~RdapLookup() override;

    // Looks up `name` as typed (an IDN goes out in its ASCII form). A look-up
    // still running is ended first, silently.
    void start(const QString &name);
    // Ends the running look-up; no signal follows.
    void abort();
    bool isRunning() const { return m_stage != Stage::Idle; }

signals:
    void statusLine(const QString &line);
    void answerLines(const QStringList &lines);
    void errorLine(const QString &line);
    void done();

private:
    enum class Stage { Idle, Bootstrap, Query, Related };

    // Asks `url`; `redirected` when a redirect of the previous request leads there.
    void get(const QUrl &url, const QByteArray &accept, bool redirected = false);
    void finished();
    void outOfTime();
    void arrived(const QString &failure, int httpStatus, const QByteArray &body);
    void bootstrapArrived(const QString &failure, const QByteArray &body);
    void askService(const RdapBootstrap &bootstrap);
    void answerArrived(const QString &failure, int httpStatus, const QByteArray &body);
    void fail(const QString &line);
    void finish();

    Options m_options;
    RdapBootstrapCache m_cache;
    HttpsFetch m_fetch;
    HttpsFetch::Request m_request;
    QTimer m_lookUpTimer;
    QDeadlineTimer m_deadline;

    Stage m_stage = Stage::Idle;
    QString m_name;  // as typed, for "No match for NAME."
    QString m_ascii; // what is asked
    bool m_fetching = false;
    QUrl m_url;
    int m_redirects = 0;
    quint64 m_run = 0; // which start() the replies and signals belong to
};
