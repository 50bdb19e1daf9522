#pragma once
// One HTTPS GET through libcurl's multi interface, driven by this thread's
// event loop (QSocketNotifier and QTimer): no thread of its own, no nested
// loop, and abort() ends it at once. Redirects are the caller's to follow.
//
// Nothing a server sends is taken in beyond its bounds: headers (interim
// answers and trailers included) at most MaxHeaderBytes, the body at most
// the size asked for, counted as it arrives. The body is asked for as it is
// and refused when the server encodes it anyway, so that what is counted is
// what is kept. Only a 2xx answer's body is read.
//
// finished() comes once a start() is over, queued, so that its receiver may
// start again, abort or delete the fetch; abort() and the destructor end a
// fetch without it.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QTimer>
#include <QUrl>

#include <map>

class QSocketNotifier;
struct curl_slist;

class HttpsFetch : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype MaxHeaderBytes = 64 * 1024;

    struct Request {
        QUrl url;
        QByteArray accept;
        // Authorities trusted besides the system's.
        QList<QSslCertificate> extraCaCertificates;
        qsizetype maxBodyBytes = 1024 * 1024;
        int connectTimeoutMs = 15000; // TCP and TLS
        int idleTimeoutMs = 60000;    // with nothing received once connected
        QDeadlineTimer deadline;      // the whole look-up's
    };

    enum class Fault {
        None,
        NoConnection,    // nothing connected within connectTimeoutMs
        Idle,            // nothing received for idleTimeoutMs
        OutOfTime,       // the deadline passed
        Certificate,     // detail says why
        Tls,             // detail: curl's words
        HeadersTooLarge,
        NotHttp,
        Compressed,      // a Content-Encoding
        TransferCoding,  // a Transfer-Encoding but chunked; detail: which
        BodyTooLarge,
        UnclearLength,   // two different Content-Lengths
        CutShort,
        NothingSent,
        Failed,          // detail: the system's or curl's words
    };

    struct Result {
        Fault fault = Fault::None;
        QString detail;
        int status = 0;
        QByteArray reason;      // the status line's phrase, as sent
        QByteArray redirectUrl; // a 3xx answer's Location, made absolute
        QByteArray body;        // a 2xx answer's
    };

    explicit HttpsFetch(QObject *parent = nullptr);
    ~HttpsFetch() override;

    // Ends a fetch still running, silently, and starts this one.
    void start(const Request &request);
    void abort();
    const Result &result() const { return m_result; }
    // Why the fetch failed, as one sentence about `host`; empty when it did not.
    static QString failureText(const Result &result, const QString &host, const Request &request);
    // A server's words on one line, at most 80 characters, control
    // characters escaped ("\x1B") and bidi controls too.
    static QString shownPhrase(QByteArrayView words);

signals:
    void finished();

private:
    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    static int onSocket(void *easy, int fd, int what, void *self, void *socketData);
    static int onTimer(void *multi, long timeoutMs, void *self);
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static int onConnected(void *self, char *, char *, int, int);

    void watch(int fd, int what);
    void act(int fd, int events);
    bool header(QByteArrayView line);
    bool headersEnded();
    void stop(Fault fault, const QString &detail = {});
    void ended(int code);
    void release();

    void *m_multi = nullptr;
    void *m_easy = nullptr;
    curl_slist *m_headers = nullptr;
    std::map<int, Watch> m_watches;
    QTimer m_curlTimer;
    QTimer m_idleTimer;
    Request m_request;
    Result m_result;
    QByteArray m_error;           // curl's error buffer
    qsizetype m_headerBytes = 0;
    bool m_connected = false;
    bool m_inBody = false;        // the final answer's headers are over
    bool m_skipBody = false;      // not 2xx: the headers are all that is wanted
    QList<QByteArray> m_fields;   // the current answer's "name: value", folded lines joined
    quint64 m_run = 0;
};
