#include "HttpsFetch.h"

#include "LookUpText.h"

#include <QFile>
#include <QSocketNotifier>

#include <curl/curl.h>
#include <openssl/x509_vfy.h> // the verify results' names only

#include <cstring>
#include <mutex>

namespace {

// A system bundle larger than this is no bundle.
constexpr qint64 MaxBundleBytes = 16 * 1024 * 1024;

// Where the system keeps its authorities: where OpenSSL's variables say, as
// for every other program, or where libcurl was built to look. The folder
// alone serves when there is one: it is read certificate by certificate as a
// chain needs them, where the bundle would be parsed whole for each request.
QByteArray systemCaFolder()
{
    if (const QByteArray folder = qgetenv("SSL_CERT_DIR"); !folder.isEmpty())
        return folder;
    const char *built = curl_version_info(CURLVERSION_NOW)->capath;
    return built ? QByteArray(built) : QByteArray();
}

QByteArray systemCaFile()
{
    if (const QByteArray file = qgetenv("SSL_CERT_FILE"); !file.isEmpty())
        return file;
    const char *built = curl_version_info(CURLVERSION_NOW)->cainfo;
    return built && systemCaFolder().isEmpty() ? QByteArray(built) : QByteArray();
}

// A proxy only when the user's environment asks for one for https.
QByteArray proxyFromEnvironment()
{
    const QByteArray lower = qgetenv("https_proxy");
    return lower.isEmpty() ? qgetenv("HTTPS_PROXY") : lower;
}

QByteArray noProxyFromEnvironment()
{
    const QByteArray lower = qgetenv("no_proxy");
    return lower.isEmpty() ? qgetenv("NO_PROXY") : lower;
}

QString certificateFault(long verifyResult, const QString &host, const QString &curlWords)
{
    switch (verifyResult) {
    // The chain passed (libcurl checks the name after it, leaving the result
    // OK or still at its "unspecified" start) and the name did not.
    case X509_V_OK:
    case X509_V_ERR_UNSPECIFIED:
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return QStringLiteral("it is not issued for %1").arg(host);
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QStringLiteral("it has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QStringLiteral("it is not valid yet");
    case X509_V_ERR_CERT_REVOKED:
        return QStringLiteral("it has been revoked");
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
        return QStringLiteral("it is not signed by a trusted authority");
    default:
        return curlWords;
    }
}

QByteArray valueOf(QByteArrayView field, QByteArrayView name)
{
    if (field.size() <= name.size() || field[name.size()] != ':' ||
        QByteArrayView(field).first(name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return {};
    return field.sliced(name.size() + 1).trimmed().toByteArray();
}

} // namespace

HttpsFetch::HttpsFetch(QObject *parent) : QObject(parent)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_curlTimer.setSingleShot(true);
    m_idleTimer.setSingleShot(true);
    connect(&m_curlTimer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        stop(Fault::Idle);
        ended(CURLE_OK);
    });
}

HttpsFetch::~HttpsFetch()
{
    abort();
}

void HttpsFetch::start(const Request &request)
{
    abort();
    m_request = request;
    m_result = {};
    m_error = QByteArray(CURL_ERROR_SIZE, '\0');
    m_headerBytes = 0;
    m_connected = m_inBody = m_skipBody = false;
    m_fields.clear();

    QUrl url = request.url;
    url.setUserInfo({}); // never sent as a login
    const qint64 left = std::max<qint64>(1, request.deadline.remainingTime());

    // A multi handle per fetch: once it ends, no connection of it stays open.
    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &HttpsFetch::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &HttpsFetch::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    CURL *easy = curl_easy_init();
    m_easy = easy;
    curl_easy_setopt(easy, CURLOPT_URL, url.toEncoded().constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    // One framing to read, the one this program's bounds are made for.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A name still being resolved is left to its thread, not waited for.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_error.data());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(request.connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(std::min<qint64>(left, LONG_MAX)));
    curl_easy_setopt(easy, CURLOPT_HAPPY_EYEBALLS_TIMEOUT_MS, 250L);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.maxBodyBytes));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Zandolet");
    const QByteArray proxy = proxyFromEnvironment();
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData()); // "" is no proxy at all
    if (!proxy.isEmpty())
        curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxyFromEnvironment().constData());

    const QByteArray caFile = systemCaFile();
    const QByteArray caFolder = systemCaFolder();
    QByteArray pem;
    for (const QSslCertificate &c : request.extraCaCertificates)
        pem += c.toPem();
    if (!pem.isEmpty()) {
        // Given in memory the file would replace the system's bundle, so a bundle comes along.
        if (QFile bundle(QString::fromLocal8Bit(caFile)); !caFile.isEmpty() && bundle.open(QIODevice::ReadOnly) &&
                                                           bundle.size() < MaxBundleBytes)
            pem += '\n' + bundle.readAll();
        curl_blob blob{pem.data(), size_t(pem.size()), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    } else {
        curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.isEmpty() ? nullptr : caFile.constData());
    }
    curl_easy_setopt(easy, CURLOPT_CAPATH, caFolder.isEmpty() ? nullptr : caFolder.constData());

    m_headers = curl_slist_append(nullptr, ("Accept: " + request.accept).constData());
    m_headers = curl_slist_append(m_headers, "Accept-Encoding: identity");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_headers);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpsFetch::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpsFetch::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &HttpsFetch::onConnected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    curl_multi_add_handle(m_multi, easy);
}

void HttpsFetch::abort()
{
    ++m_run;
    m_idleTimer.stop();
    release();
}

void HttpsFetch::release()
{
    if (CURL *easy = std::exchange(m_easy, nullptr)) {
        curl_multi_remove_handle(m_multi, easy);
        curl_easy_cleanup(easy);
    }
    if (CURLM *multi = std::exchange(m_multi, nullptr))
        curl_multi_cleanup(multi);
    curl_slist_free_all(std::exchange(m_headers, nullptr));
    m_curlTimer.stop();
    // Safe within a notifier's own signal: Qt checks it is still there.
    for (auto &[fd, w] : m_watches) {
        delete w.read;
        delete w.write;
    }
    m_watches.clear();
}

int HttpsFetch::onSocket(void *, int fd, int what, void *self, void *)
{
    static_cast<HttpsFetch *>(self)->watch(fd, what);
    return 0;
}

void HttpsFetch::watch(int fd, int what)
{
    Watch &w = m_watches[fd];
    const auto want = [&](QSocketNotifier *&notifier, QSocketNotifier::Type type, bool on, int event) {
        if (!on) {
            delete std::exchange(notifier, nullptr);
            return;
        }
        if (!notifier) {
            notifier = new QSocketNotifier(fd, type);
            connect(notifier, &QSocketNotifier::activated, this, [this, fd, event] { act(fd, event); });
        }
    };
    want(w.read, QSocketNotifier::Read, what == CURL_POLL_IN || what == CURL_POLL_INOUT, CURL_CSELECT_IN);
    want(w.write, QSocketNotifier::Write, what == CURL_POLL_OUT || what == CURL_POLL_INOUT, CURL_CSELECT_OUT);
    if (!w.read && !w.write)
        m_watches.erase(fd);
}

int HttpsFetch::onTimer(void *, long timeoutMs, void *self)
{
    auto *fetch = static_cast<HttpsFetch *>(self);
    if (timeoutMs < 0)
        fetch->m_curlTimer.stop();
    else
        fetch->m_curlTimer.start(int(std::min<long>(timeoutMs, INT_MAX)));
    return 0;
}

void HttpsFetch::act(int fd, int events)
{
    if (!m_multi)
        return;
    int running = 0;
    curl_multi_socket_action(m_multi, fd, events, &running);
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left))
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy)
            return ended(message->data.result);
}

int HttpsFetch::onConnected(void *self, char *, char *, int, int)
{
    auto *fetch = static_cast<HttpsFetch *>(self);
    fetch->m_connected = true;
    fetch->m_idleTimer.start(fetch->m_request.idleTimeoutMs);
    return CURL_PREREQFUNC_OK;
}

size_t HttpsFetch::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *fetch = static_cast<HttpsFetch *>(self);
    return fetch->header(QByteArrayView(data, qsizetype(size * count))) ? size * count : 0;
}

bool HttpsFetch::header(QByteArrayView line)
{
    m_idleTimer.start(m_request.idleTimeoutMs);
    m_headerBytes += line.size();
    if (m_headerBytes > MaxHeaderBytes) {
        stop(Fault::HeadersTooLarge);
        return false;
    }
    if (m_inBody) // a trailer: counted, not read
        return true;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith("HTTP/")) {
        // Each answer, interim ones too, begins with its status line.
        const QList<QByteArray> parts = line.toByteArray().split(' ');
        m_result.status = parts.size() >= 2 ? parts[1].toInt() : 0;
        const qsizetype space = line.indexOf(' ', line.indexOf(' ') + 1);
        m_result.reason = space < 0 ? QByteArray() : line.sliced(space + 1).trimmed().toByteArray();
        m_fields.clear();
        return true;
    }
    if (line.isEmpty())
        return m_result.status < 200 || headersEnded();
    if ((line.front() == ' ' || line.front() == '\t') && !m_fields.isEmpty())
        m_fields.last() += ' ' + line.trimmed().toByteArray(); // a folded line goes on the one before
    else
        m_fields << line.toByteArray();
    return true;
}

bool HttpsFetch::headersEnded()
{
    m_inBody = true;
    if (m_result.status < 200 || m_result.status >= 300) {
        m_skipBody = true;
        return true;
    }
    QByteArray length;
    for (const QByteArray &field : std::as_const(m_fields)) {
        const QByteArray coding = valueOf(field, "Content-Encoding");
        if (!coding.isEmpty() && coding.compare("identity", Qt::CaseInsensitive) != 0) {
            stop(Fault::Compressed);
            return false;
        }
        const QByteArray transfer = valueOf(field, "Transfer-Encoding");
        if (!transfer.isEmpty() && transfer.compare("chunked", Qt::CaseInsensitive) != 0) {
            stop(Fault::TransferCoding, shownPhrase(transfer));
            return false;
        }
        const QByteArray value = valueOf(field, "Content-Length");
        if (value.isEmpty())
            continue;
        // "5, 5" or twice "5" is one length; any other pair is no length at all.
        for (const QByteArray &one : value.split(',')) {
            if (!length.isEmpty() && one.trimmed() != length) {
                stop(Fault::UnclearLength);
                return false;
            }
            length = one.trimmed();
        }
    }
    if (!length.isEmpty() && length.toLongLong() > m_request.maxBodyBytes) {
        stop(Fault::BodyTooLarge);
        return false;
    }
    return true;
}

size_t HttpsFetch::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *fetch = static_cast<HttpsFetch *>(self);
    const qsizetype n = qsizetype(size * count);
    fetch->m_idleTimer.start(fetch->m_request.idleTimeoutMs);
    if (fetch->m_skipBody)
        return 0; // ends the transfer; the answer is whole enough
    if (fetch->m_result.body.size() + n > fetch->m_request.maxBodyBytes) {
        fetch->stop(Fault::BodyTooLarge);
        return 0;
    }
    fetch->m_result.body.append(data, n);
    return size * count;
}

void HttpsFetch::stop(Fault fault, const QString &detail)
{
    m_result.fault = fault;
    m_result.detail = detail;
    m_result.body.clear();
}

void HttpsFetch::ended(int code)
{
    CURL *easy = m_easy;
    if (!easy)
        return;
    Result &r = m_result;
    const bool skipped = m_skipBody && code == CURLE_WRITE_ERROR;
    if (r.fault == Fault::None && code != CURLE_OK && !skipped) {
        long osErrno = 0;
        long verify = 0;
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
        curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verify);
        const QString words = QString::fromLatin1(m_error.constData()).trimmed();
        const QString said = words.isEmpty() ? QString::fromLatin1(curl_easy_strerror(CURLcode(code))) : words;
        switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            // Which limit: the deadline's, unless it is still ahead and no connection was made.
            stop(!m_connected && !m_request.deadline.hasExpired() ? Fault::NoConnection : Fault::OutOfTime);
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
            stop(Fault::Failed, QStringLiteral("Host not found"));
            break;
        case CURLE_COULDNT_CONNECT:
            stop(Fault::Failed, osErrno ? QString::fromLocal8Bit(std::strerror(int(osErrno))) : said);
            break;
        case CURLE_PEER_FAILED_VERIFICATION:
            stop(Fault::Certificate, certificateFault(verify, m_request.url.host(), shownPhrase(said.toUtf8())));
            break;
        case CURLE_SSL_CONNECT_ERROR:
            stop(Fault::Tls, shownPhrase(said.toUtf8()));
            break;
        case CURLE_GOT_NOTHING:
            stop(Fault::NothingSent);
            break;
        case CURLE_PARTIAL_FILE:
            stop(Fault::CutShort);
            break;
        case CURLE_FILESIZE_EXCEEDED:
            stop(Fault::BodyTooLarge);
            break;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
            stop(Fault::NotHttp);
            break;
        default:
            stop(Fault::Failed, shownPhrase(said.toUtf8()));
        }
    }
    if (r.fault == Fault::None) {
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        r.status = int(status);
        char *redirect = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &redirect) == CURLE_OK && redirect)
            r.redirectUrl = redirect;
    }
    m_idleTimer.stop();
    release();
    // Handed over from a fresh turn of the loop, never from within libcurl.
    const quint64 run = m_run;
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            if (m_run == run)
                emit finished();
        },
        Qt::QueuedConnection);
}

QString HttpsFetch::failureText(const Result &r, const QString &host, const Request &request)
{
    switch (r.fault) {
    case Fault::None:
        return {};
    case Fault::NoConnection:
        return QStringLiteral("%1 did not answer within %2.").arg(host, secondsText(request.connectTimeoutMs));
    case Fault::Idle:
        return QStringLiteral("%1 sent nothing for %2.").arg(host, secondsText(request.idleTimeoutMs));
    case Fault::OutOfTime:
        return QStringLiteral("%1 did not answer in the time the look-up had left.").arg(host);
    case Fault::Certificate:
        return QStringLiteral("The certificate of %1 was refused: %2.").arg(host, r.detail);
    case Fault::Tls:
        return QStringLiteral("TLS handshake with %1 failed: %2.").arg(host, r.detail);
    case Fault::HeadersTooLarge:
        return QStringLiteral("The headers from %1 are larger than %2 KB; refused.").arg(host).arg(MaxHeaderBytes / 1024);
    case Fault::NotHttp:
        return QStringLiteral("%1 did not answer in HTTP.").arg(host);
    case Fault::Compressed:
        return QStringLiteral("The answer from %1 came compressed; refused.").arg(host);
    case Fault::TransferCoding:
        return QStringLiteral("The answer from %1 came in a transfer coding other than chunked (%2); refused.").arg(host, r.detail);
    case Fault::BodyTooLarge:
        return QStringLiteral("The answer from %1 is larger than %2 KB; refused.").arg(host).arg(request.maxBodyBytes / 1024);
    case Fault::UnclearLength:
        return QStringLiteral("The answer from %1 gives two different lengths; refused.").arg(host);
    case Fault::CutShort:
        return QStringLiteral("The answer from %1 was cut short.").arg(host);
    case Fault::NothingSent:
        return QStringLiteral("%1 closed the connection without an answer.").arg(host);
    case Fault::Failed:
        return QStringLiteral("Asking %1 failed: %2.").arg(host, r.detail);
    }
    return {};
}

QString HttpsFetch::shownPhrase(QByteArrayView words)
{
    const QString text = shownLine(words.toByteArray().trimmed()).left(80);
    QString shown;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            shown += QStringLiteral("\\x") + QString::number(uint(u), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += c;
    }
    return visibleText(shown);
}
