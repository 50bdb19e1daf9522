#include "RdapLookup.h"

#include "HttpsGet.h"
#include "LookUpText.h"
#include "RdapAnswerFormatter.h"
#include "ReplyLimit.h"

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

bool isHttps(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// The peer's reason phrase, on one line.
QString phrase(const QByteArray &value)
{
    QString text = QString::fromLatin1(value.left(80));
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
    m_connectTimer.setSingleShot(true);
    m_totalTimer.setSingleShot(true);
    m_lookUpTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        m_stopped = LookUpOutcome::Kind::TransportFailure;
        stopRequest(QStringLiteral("%1 did not answer within %2.").arg(m_url.host(), secondsText(m_options.connectTimeoutMs)));
    });
    connect(&m_totalTimer, &QTimer::timeout, this, [this] {
        m_stopped = LookUpOutcome::Kind::CutShort;
        stopRequest(
            QStringLiteral("%1 did not send its answer within %2.").arg(m_url.host(), secondsText(m_options.totalTimeoutMs)));
    });
    connect(&m_lookUpTimer, &QTimer::timeout, this, [this] {
        const QString line =
            QStringLiteral("The look-up of %1 took longer than %2; it was ended.").arg(m_name, secondsText(m_options.lookUpTimeoutMs));
        m_stopped = LookUpOutcome::Kind::CutShort;
        if (m_get)
            return stopRequest(line);
        fail(LookUpOutcome::Kind::CutShort, line);
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
    m_outcome = {};
    m_outcome.name = m_name;
    m_stage = Stage::Bootstrap;
    m_lookUpTimer.start(m_options.lookUpTimeoutMs);
    if (m_ascii.isEmpty())
        return fail(LookUpOutcome::Kind::Refused, QStringLiteral("%1 is not a domain name.").arg(m_name));
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
    m_lookUpTimer.stop();
    if (HttpsGet *get = std::exchange(m_get, nullptr)) {
        get->disconnect(this);
        get->abort();
        get->deleteLater();
    }
}

void RdapLookup::get(const QUrl &url, const QByteArray &accept, bool redirected)
{
    m_url = url;
    m_accept = accept;
    if (!redirected)
        m_redirects = 0;
    m_stopped.reset();
    m_get = new HttpsGet(m_ssl, ReplyLimit::MaxBytes, this);
    connect(m_get, &HttpsGet::encrypted, &m_connectTimer, &QTimer::stop);
    connect(m_get, &HttpsGet::finished, this, &RdapLookup::finished);
    m_connectTimer.start(m_options.connectTimeoutMs);
    m_totalTimer.start(m_options.totalTimeoutMs);
    m_get->start(url, accept);
}

void RdapLookup::stopRequest(const QString &reason)
{
    if (!m_get)
        return;
    finished(reason);
}

void RdapLookup::finished(const QString &transportFailure)
{
    HttpsGet *request = std::exchange(m_get, nullptr);
    if (!request)
        return;
    m_connectTimer.stop();
    m_totalTimer.stop();
    request->disconnect(this);
    request->abort();
    request->deleteLater();
    const HttpResponseReader &response = request->response();
    if (!transportFailure.isEmpty())
        return arrived(transportFailure, response.status(), {});
    const int status = response.status();
    const QString host = m_url.host();
    if (status >= 200 && status < 300)
        return arrived({}, status, response.body());
    const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    if (redirect && !response.header("Location").isEmpty()) {
        const QUrl to = m_url.resolved(QUrl::fromEncoded(response.header("Location")));
        if (!isHttps(to) || !to.isValid())
            return arrived(QStringLiteral("%1 redirected the query to plain HTTP; not followed.").arg(host), status, {});
        if (++m_redirects > MaxRedirects)
            return arrived(QStringLiteral("%1 redirected the query too often (more than %2 times).").arg(host).arg(MaxRedirects),
                           status, {});
        return get(to, m_accept, true);
    }
    const QString reason = phrase(response.reason());
    arrived(QStringLiteral("%1 answered HTTP %2%3.").arg(host).arg(status).arg(reason.isEmpty() ? QString() : QLatin1Char(' ') + reason),
            status, {});
}

void RdapLookup::arrived(const QString &failure, int httpStatus, const QByteArray &body)
{
    if (m_stage == Stage::Bootstrap)
        bootstrapArrived(failure, body);
    else if (m_stage == Stage::Query)
        answerArrived(failure, httpStatus, body);
    else if (m_stage == Stage::Related)
        relatedArrived(failure, httpStatus, body);
}

LookUpOutcome::Kind RdapLookup::failureKind(int httpStatus) const
{
    if (m_stopped)
        return *m_stopped;
    return httpStatus != 0 ? LookUpOutcome::Kind::Refused : LookUpOutcome::Kind::TransportFailure;
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
    fail(failure.isEmpty() ? LookUpOutcome::Kind::Refused : failureKind(0),
         QStringLiteral("The RDAP bootstrap file could not be read. ") + problem);
}

void RdapLookup::askService(const RdapBootstrap &bootstrap)
{
    const auto service = bootstrap.serviceFor(m_ascii);
    if (!service)
        return fail(LookUpOutcome::Kind::Refused,
                    QStringLiteral("No RDAP service is known for .%1.").arg(m_ascii.section(QLatin1Char('.'), -1)));
    if (!isHttps(service->base))
        return fail(LookUpOutcome::Kind::Refused,
                    QStringLiteral("The RDAP service for .%1 is offered over plain HTTP only; it was not asked.").arg(service->label));
    m_stage = Stage::Query;
    const quint64 run = m_run;
    emit statusLine(QStringLiteral("Asking %1...").arg(service->base.host()));
    if (m_run == run)
        get(service->base.resolved(QUrl(QStringLiteral("domain/") + m_ascii)), kRdapJson);
}

void RdapLookup::answerArrived(const QString &failure, int httpStatus, const QByteArray &body)
{
    if (httpStatus == 404) {
        LookUpOutcome notFound = m_outcome;
        notFound.kind = LookUpOutcome::Kind::NotFound;
        return end(notFound);
    }
    if (!failure.isEmpty())
        return fail(failureKind(httpStatus), failure);
    const RdapAnswer answer = RdapAnswerFormatter::format(body);
    if (!answer.refusal.isEmpty())
        return fail(LookUpOutcome::Kind::Refused,
                    QStringLiteral("The answer from %1 is not an RDAP domain record: %2.").arg(m_url.host(), answer.refusal));
    m_outcome.kind = LookUpOutcome::Kind::Found;
    m_outcome.registrar = answer.registrar;
    const quint64 run = m_run;
    emit answerLines(answer.lines);
    if (m_run != run)
        return;
    // The registrar's record is asked once; its own links are not followed.
    if (!m_options.followRelated || answer.related.isEmpty())
        return finish();
    m_stage = Stage::Related;
    m_relatedHost = answer.related.host();
    get(answer.related, kRdapJson);
}

void RdapLookup::relatedArrived(const QString &failure, int httpStatus, const QByteArray &body)
{
    // The registry has answered: whatever happens here, the name is registered.
    LookUpOutcome found = m_outcome;
    if (failure.isEmpty()) {
        const RdapAnswer answer = RdapAnswerFormatter::format(body);
        if (answer.refusal.isEmpty()) {
            const quint64 run = m_run;
            emit answerLines(QStringList{QString(), QStringLiteral("--- %1 ---").arg(m_relatedHost)} + answer.lines);
            if (m_run == run)
                finish();
            return;
        }
        found.relatedFailure =
            QStringLiteral("the answer from %1 is not an RDAP domain record: %2.").arg(m_url.host(), answer.refusal);
    } else {
        found.relatedFailure = httpStatus >= 400 ? QString::number(httpStatus) : failure;
    }
    end(found);
}

void RdapLookup::fail(LookUpOutcome::Kind kind, const QString &line)
{
    LookUpOutcome failed = LookUpOutcome::failure(kind, line);
    failed.name = m_name;
    end(failed);
}

void RdapLookup::end(const LookUpOutcome &outcome)
{
    m_outcome = outcome;
    const quint64 run = m_run;
    if (const QString line = outcome.line(); !line.isEmpty())
        emit errorLine(line);
    if (m_run == run)
        finish();
}

void RdapLookup::finish()
{
    m_stage = Stage::Idle;
    m_lookUpTimer.stop();
    emit done(m_outcome);
}
