#include "RdapLookup.h"

#include "LookUpText.h"
#include "RdapAnswerFormatter.h"
#include "RedirectTarget.h"
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

} // namespace

QUrl RdapLookup::defaultBootstrapUrl()
{
    return QUrl(QStringLiteral("https://data.iana.org/rdap/dns.json"));
}

RdapLookup::RdapLookup(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_cache(m_options.cacheFolder, m_options.bootstrapUrl)
{
    m_request.extraCaCertificates = m_options.extraCaCertificates;
    m_request.maxBodyBytes = ReplyLimit::MaxBytes;
    m_request.connectTimeoutMs = m_options.connectTimeoutMs;
    m_request.idleTimeoutMs = m_options.idleTimeoutMs;
    m_lookUpTimer.setSingleShot(true);
    m_lookUpTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_lookUpTimer, &QTimer::timeout, this, &RdapLookup::outOfTime);
    connect(&m_fetch, &HttpsFetch::finished, this, &RdapLookup::finished);
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
    m_outcome = {};
    m_outcome.name = m_name;
    m_deadline = QDeadlineTimer(m_options.lookUpTimeoutMs, Qt::PreciseTimer);
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
    m_lookUpTimer.stop();
    m_fetching = false;
    m_fetch.abort();
}

void RdapLookup::get(const QUrl &url, const QByteArray &accept, bool redirected)
{
    m_url = url;
    if (!redirected)
        m_redirects = 0;
    m_request.url = url;
    m_request.accept = accept;
    m_request.deadline = m_deadline;
    m_fetching = true;
    m_fetch.start(m_request);
}

// The limit ends the look-up wherever it is: no kept copy, no next request.
void RdapLookup::outOfTime()
{
    abort();
    fail(LookUpOutcome::Kind::CutShort,
         QStringLiteral("The look-up of %1 took longer than %2; it was ended.").arg(m_name, secondsText(m_options.lookUpTimeoutMs)));
}

void RdapLookup::finished()
{
    if (!std::exchange(m_fetching, false))
        return;
    const HttpsFetch::Result &r = m_fetch.result();
    const QString host = m_url.host();
    if (r.fault == HttpsFetch::Fault::OutOfTime)
        return outOfTime();
    if (r.fault != HttpsFetch::Fault::None) {
        m_failureKind = failureKind(r);
        return arrived(HttpsFetch::failureText(r, host, m_request), r.status, {});
    }
    m_failureKind = LookUpOutcome::Kind::Refused;
    const int status = r.status;
    if (status >= 200 && status < 300)
        return arrived({}, status, r.body);
    const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    if (redirect && !r.redirectUrl.isEmpty()) {
        const RedirectTarget to = RedirectTarget::read(r.redirectUrl);
        const auto refused = [&](const QString &where) {
            arrived(QStringLiteral("%1 redirected the query to %2; not followed.").arg(host, where), status, {});
        };
        switch (to.kind) {
        case RedirectTarget::Kind::Https:
            break;
        case RedirectTarget::Kind::PlainHttp:
            return refused(QStringLiteral("plain HTTP"));
        case RedirectTarget::Kind::OtherScheme:
            return refused(to.shown);
        case RedirectTarget::Kind::PortOutOfRange:
            return refused(QStringLiteral("a port out of range (%1)").arg(to.shown));
        case RedirectTarget::Kind::NoHost:
            return refused(QStringLiteral("an address without a host (%1)").arg(to.shown));
        case RedirectTarget::Kind::NotAnAddress:
            return refused(QStringLiteral("something that is no address (%1)").arg(to.shown));
        }
        if (++m_redirects > MaxRedirects)
            return arrived(QStringLiteral("%1 redirected the query too often (more than %2 times).").arg(host).arg(MaxRedirects),
                           status, {});
        return get(to.url, m_request.accept, true);
    }
    const QString reason = HttpsFetch::shownPhrase(r.reason);
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

// A time limit that ended the request cut the look-up short; no connection,
// no TLS or nothing sent is no answer; anything else came from the server
// and was not taken.
LookUpOutcome::Kind RdapLookup::failureKind(const HttpsFetch::Result &r)
{
    using F = HttpsFetch::Fault;
    switch (r.fault) {
    case F::Idle:
    case F::OutOfTime:
        return LookUpOutcome::Kind::CutShort;
    case F::NoConnection:
    case F::Certificate:
    case F::Tls:
    case F::NothingSent:
    case F::Failed:
        return r.status != 0 ? LookUpOutcome::Kind::Refused : LookUpOutcome::Kind::TransportFailure;
    default:
        return LookUpOutcome::Kind::Refused;
    }
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
    fail(failure.isEmpty() ? LookUpOutcome::Kind::Refused : m_failureKind,
         QStringLiteral("The RDAP bootstrap file could not be read. ") + problem);
}

void RdapLookup::askService(const RdapBootstrap &bootstrap)
{
    const auto service = bootstrap.serviceFor(m_ascii);
    if (!service)
        return fail(LookUpOutcome::Kind::Refused, QStringLiteral("No RDAP service is known for .%1.").arg(m_ascii.section(QLatin1Char('.'), -1)));
    if (!isHttps(service->base))
        return fail(LookUpOutcome::Kind::Refused, QStringLiteral("The RDAP service for .%1 is offered over plain HTTP only; it was not asked.").arg(service->label));
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
        return fail(m_failureKind, failure);
    const RdapAnswer answer = RdapAnswerFormatter::format(body);
    if (!answer.refusal.isEmpty())
        return fail(LookUpOutcome::Kind::Refused,
                    QStringLiteral("The answer from %1 is not an RDAP domain record: %2.").arg(m_url.host(), answer.refusal));
    m_outcome.kind = LookUpOutcome::Kind::Found;
    m_outcome.registrar = answer.registrar;
    const quint64 run = m_run;
    emit recordReceived(body, false);
    if (m_run != run)
        return;
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
            emit recordReceived(body, true);
            if (m_run != run)
                return;
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
