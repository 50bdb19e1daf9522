#pragma once
// One RDAP look-up of a domain name: find its service in the bootstrap file
// (kept for a day), ask it over HTTPS, show the answer, and follow the
// answer's link to the registrar's own record once.
//
// Everything is reported through signals, in this order: statusLine for
// each step, answerLines for each record shown (the registrar's record comes
// after an empty line and a "--- HOST ---" line), errorLine for the one line
// that says why the look-up ended early or why the registrar's record is
// missing, and done with the outcome at the end, once. abort() and the
// destructor end the look-up without any further signal.
//
// The outcome is the registry's: a 404 from it is NotFound, its record is
// Found, whatever becomes of the registrar's record after it.
#include "HttpsFetch.h"
#include "LookUpOutcome.h"
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
        // Whether the registrar's record the registry's links to is fetched too.
        bool followRelated = true;
    };

    static QUrl defaultBootstrapUrl();

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
    // Each record as received, before its lines: the registry's, then the registrar's.
    void recordReceived(const QByteArray &json, bool registrar);
    void errorLine(const QString &line);
    void done(const LookUpOutcome &outcome);

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
    void relatedArrived(const QString &failure, int httpStatus, const QByteArray &body);
    static LookUpOutcome::Kind failureKind(const HttpsFetch::Result &r);
    void fail(LookUpOutcome::Kind kind, const QString &line);
    // Ends the look-up with `outcome`, saying its line first.
    void end(const LookUpOutcome &outcome);
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
    LookUpOutcome m_outcome;
    QString m_relatedHost; // whose record the second request asks for
    // What a failure of the request under way counts as.
    LookUpOutcome::Kind m_failureKind = LookUpOutcome::Kind::TransportFailure;
    QUrl m_url;
    int m_redirects = 0;
    quint64 m_run = 0; // which start() the replies and signals belong to
};
