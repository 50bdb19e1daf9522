#include "RdapLookup.h"

#include "RdapAnswerFormatter.h"
#include "ReplyLimit.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace {

constexpr int MaxRedirects = 5;
const QByteArray kRdapJson = QByteArrayLiteral("application/rdap+json");

// The name as asked: ASCII form, lower case, no final dot; empty when it is
// not a domain name (nothing else may reach the query's path).
QString asciiName(QString name)
{
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.isEmpty() || name.size() > 253)
        return {};
    const QString ace = QString::fromLatin1(QUrl::toAce(name)).toLower();
    if (ace.isEmpty() || ace.size() > 253)
        return {};
    for (const QStringView label : QStringView(ace).split(QLatin1Char('.'))) {
        if (label.isEmpty() || label.size() > 63)
            return {};
        for (const QChar c : label)
            if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')) &&
                c != QLatin1Char('-') && c != QLatin1Char('_'))
                return {};
    }
    return ace;
}

QString seconds(int ms)
{
    const int s = (ms + 999) / 1000;
    return s == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(s);
}

bool isHttps(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// A certificate fault as the user should read it.
QString certificateFault(const QSslError &error, const QString &host)
{
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::InvalidCaCertificate:
        return QStringLiteral("it is not signed by a trusted authority");
    case QSslError::HostNameMismatch:
        return QStringLiteral("it is not issued for %1").arg(host);
    case QSslError::CertificateExpired:
        return QStringLiteral("it has expired");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("it is not valid yet");
    case QSslError::CertificateRevoked:
        return QStringLiteral("it has been revoked");
    default:
        return error.errorString();
    }
}

// The peer's reason phrase, on one line.
QString phrase(const QVariant &value)
{
    QString text = QString::fromLatin1(value.toByteArray().left(80));
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    return text.trimmed();
}

} // namespace

QUrl RdapLookup::defaultBootstrapUrl()
{
    return QUrl(QStringLiteral("https://data.iana.org/rdap/dns.json"));
}

RdapLookup::RdapLookup(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_cache(m_options.cacheFolder, m_options.bootstrapUrl),
      m_ssl(QSslConfiguration::defaultConfiguration())
{
    if (!m_options.extraCaCertificates.isEmpty())
        m_ssl.addCaCertificates(m_options.extraCaCertificates);
    m_network.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    m_connectTimer.setSingleShot(true);
    m_totalTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        stopRequest(QStringLiteral("%1 did not answer within %2.").arg(m_url.host(), seconds(m_options.connectTimeoutMs)));
    });
    connect(&m_totalTimer, &QTimer::timeout, this, [this] {
        stopRequest(
            QStringLiteral("%1 did not send its answer within %2.").arg(m_url.host(), seconds(m_options.totalTimeoutMs)));
    });
}

RdapLookup::~RdapLookup()
{
    abort();
}

void RdapLookup::start(const QString &typed)
{
    abort();
    const quint64 run = m_run;
    m_name = typed.trimmed();
    m_ascii = asciiName(m_name);
    m_stage = Stage::Bootstrap;
    if (m_ascii.isEmpty())
        return fail(QStringLiteral("%1 is not a domain name.").arg(m_name));
    emit statusLine(QStringLiteral("Looking up the RDAP service for .%1...").arg(m_ascii.section(QLatin1Char('.'), -1)));
    if (m_run != run)
        return;
    if (const auto copy = m_cache.load(); copy && copy->isFresh(QDateTime::currentDateTimeUtc()))
        if (const auto bootstrap = RdapBootstrap::parse(copy->bytes, nullptr))
            return askService(*bootstrap);
    if (!isHttps(m_options.bootstrapUrl)) {
        m_url = m_options.bootstrapUrl;
        return bootstrapArrived(QStringLiteral("Its address %1 does not begin with https://.")
                                    .arg(m_options.bootstrapUrl.toDisplayString()),
                                {});
    }
    get(m_options.bootstrapUrl, QByteArrayLiteral("application/json"));
}

void RdapLookup::abort()
{
    ++m_run;
    m_stage = Stage::Idle;
    m_connectTimer.stop();
    m_totalTimer.stop();
    if (QNetworkReply *reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void RdapLookup::get(const QUrl &url, const QByteArray &accept)
{
    m_url = url;
    m_body.clear();
    m_stopReason.clear();
    m_tlsErrors.clear();
    QNetworkRequest request(url);
    request.setRawHeader("Accept", accept);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setSslConfiguration(m_ssl);
    QNetworkReply *reply = m_network.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &to) {
        if (!isHttps(to))
            return stopRequest(QStringLiteral("%1 redirected the query to plain HTTP; not followed.").arg(m_url.host()));
        m_url = to;
        emit reply->redirectAllowed();
    });
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            if (const QString fault = certificateFault(e, m_url.host()); !m_tlsErrors.contains(fault))
                m_tlsErrors << fault;
    });
    const auto connected = [this] { m_connectTimer.stop(); };
    connect(reply, &QNetworkReply::encrypted, this, connected);
    connect(reply, &QNetworkReply::requestSent, this, connected);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        m_connectTimer.stop();
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > ReplyLimit::MaxBytes)
            stopRequest(QStringLiteral("The answer from %1 is larger than %2 KB; refused.")
                            .arg(m_url.host())
                            .arg(ReplyLimit::MaxBytes / 1024));
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_connectTimer.stop();
        m_body += reply->read(ReplyLimit::MaxBytes + 1 - m_body.size());
        if (m_body.size() > ReplyLimit::MaxBytes)
            stopRequest(QStringLiteral("The answer from %1 is larger than %2 KB; refused.")
                            .arg(m_url.host())
                            .arg(ReplyLimit::MaxBytes / 1024));
    });
    connect(reply, &QNetworkReply::finished, this, &RdapLookup::finished);
    m_connectTimer.start(m_options.connectTimeoutMs);
    m_totalTimer.start(m_options.totalTimeoutMs);
}

void RdapLookup::stopRequest(const QString &reason)
{
    if (!m_reply)
        return;
    m_stopReason = reason;
    m_reply->abort(); // finishes the reply at once
}

void RdapLookup::finished()
{
    QNetworkReply *reply = m_reply;
    if (!reply || sender() != reply)
        return;
    m_reply = nullptr;
    m_connectTimer.stop();
    m_totalTimer.stop();
    reply->disconnect(this);
    reply->deleteLater();
    if (m_stopReason.isEmpty()) {
        m_body += reply->read(ReplyLimit::MaxBytes + 1 - m_body.size());
        if (m_body.size() > ReplyLimit::MaxBytes)
            m_stopReason = QStringLiteral("The answer from %1 is larger than %2 KB; refused.")
                               .arg(m_url.host())
                               .arg(ReplyLimit::MaxBytes / 1024);
    }
    int status = 0;
    const QString why = failure(reply, &status);
    const QByteArray body = std::exchange(m_body, {});
    if (m_stage == Stage::Bootstrap)
        bootstrapArrived(why, body);
    else if (m_stage != Stage::Idle)
        answerArrived(why, status, body);
}

QString RdapLookup::failure(QNetworkReply *reply, int *httpStatus) const
{
    const QString host = m_url.host();
    if (!m_stopReason.isEmpty())
        return m_stopReason;
    if (reply->error() == QNetworkReply::SslHandshakeFailedError) {
        if (!m_tlsErrors.isEmpty())
            return QStringLiteral("The certificate of %1 was refused: %2.").arg(host, m_tlsErrors.join(QLatin1String("; ")));
        return QStringLiteral("TLS handshake with %1 failed: %2.").arg(host, reply->errorString());
    }
    if (reply->error() == QNetworkReply::TooManyRedirectsError)
        return QStringLiteral("%1 redirected the query more than %2 times.").arg(host).arg(MaxRedirects);
    const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (code.isValid()) {
        *httpStatus = code.toInt();
        if (*httpStatus >= 200 && *httpStatus < 300)
            return {};
        const QString reason = phrase(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute));
        return QStringLiteral("%1 answered HTTP %2%3.").arg(host).arg(*httpStatus).arg(reason.isEmpty() ? QString() : QLatin1Char(' ') + reason);
    }
    if (reply->error() != QNetworkReply::NoError)
        return QStringLiteral("Asking %1 failed: %2.").arg(host, reply->errorString());
    return {};
}

void RdapLookup::bootstrapArrived(const QString &failure, const QByteArray &body)
{
    QString problem = failure;
    if (problem.isEmpty()) {
        QString error;
        if (const auto fetched = RdapBootstrap::parse(body, &error)) {
            const quint64 run = m_run;
            if (!m_cache.store(body, &error))
                emit statusLine(QStringLiteral("The RDAP bootstrap file could not be kept: %1").arg(error));
            if (m_run == run)
                askService(*fetched);
            return;
        }
        problem = QStringLiteral("The RDAP bootstrap file from %1 is not usable: %2.").arg(m_url.host(), error);
    }
    // A failed refresh falls back on the copy, however old.
    if (const auto copy = m_cache.load()) {
        if (const auto kept = RdapBootstrap::parse(copy->bytes, nullptr)) {
            const quint64 run = m_run;
            emit statusLine(problem);
            if (m_run == run)
                emit statusLine(QStringLiteral("Using the RDAP bootstrap file kept since %1.")
                                    .arg(copy->saved.toUTC().toString(QStringLiteral("yyyy-MM-dd hh:mm 'UTC'"))));
            if (m_run == run)
                askService(*kept);
            return;
        }
    }
    fail(QStringLiteral("The RDAP bootstrap file could not be read. ") + problem);
}

void RdapLookup::askService(const RdapBootstrap &bootstrap)
{
    const auto service = bootstrap.serviceFor(m_ascii);
    if (!service)
        return fail(QStringLiteral("No RDAP service is known for .%1.").arg(m_ascii.section(QLatin1Char('.'), -1)));
    if (!isHttps(service->base))
        return fail(QStringLiteral("The RDAP service for .%1 is offered over plain HTTP only; it was not asked.").arg(service->label));
    m_stage = Stage::Query;
    const quint64 run = m_run;
    emit statusLine(QStringLiteral("Asking %1...").arg(service->base.host()));
    if (m_run == run)
        get(service->base.resolved(QUrl(QStringLiteral("domain/") + m_ascii)), kRdapJson);
}

void RdapLookup::answerArrived(const QString &failure, int httpStatus, const QByteArray &body)
{
    if (httpStatus == 404)
        return fail(QStringLiteral("No match for %1.").arg(m_name));
    if (!failure.isEmpty())
        return fail(failure);
    const RdapAnswer answer = RdapAnswerFormatter::format(body);
    if (!answer.refusal.isEmpty())
        return fail(QStringLiteral("The answer from %1 is not an RDAP domain record: %2.").arg(m_url.host(), answer.refusal));
    const quint64 run = m_run;
    emit answerLines(answer.lines);
    if (m_run != run)
        return;
    // The registrar's record is asked once; its own links are not followed.
    if (m_stage == Stage::Related || answer.related.isEmpty())
        return finish();
    m_stage = Stage::Related;
    emit answerLines({QString(), QStringLiteral("--- %1 ---").arg(answer.related.host())});
    if (m_run == run)
        get(answer.related, kRdapJson);
}

void RdapLookup::fail(const QString &line)
{
    const quint64 run = m_run;
    emit errorLine(line);
    if (m_run == run)
        finish();
}

void RdapLookup::finish()
{
    m_stage = Stage::Idle;
    emit done();
}
