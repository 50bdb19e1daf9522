#include "WhoisAvailability.h"

#include "RegistrarLine.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

LookUpSettings overWhois()
{
    LookUpSettings s;
    s.protocol = LookUpSettings::Protocol::Whois;
    return s;
}

} // namespace

WhoisAvailability::WhoisAvailability(const QString &server, const LookUpOptions &options, QObject *parent)
    : RegistrationLookup(parent), m_job(server, overWhois(), options)
{
    connect(&m_job, &WhoisJob::cleared, this, [this] { m_answer.clear(); });
    connect(&m_job, &WhoisJob::answerLines, this, [this](const QStringList &lines) { m_answer += lines; });
    connect(&m_job, &WhoisJob::errorLine, this, [this](const QString &line) { m_failure = line; });
    connect(&m_job, &WhoisJob::connectTimedOut, this, [this] { m_failure = WhoisJob::timedOutText(); });
    connect(&m_job, &WhoisJob::portError, this, [this](int code, const QString &description) {
        m_failure = WhoisJob::portErrorText(code, description);
    });
    connect(&m_job, &WhoisJob::done, this, &WhoisAvailability::ended);
}

void WhoisAvailability::start(const QString &asciiName)
{
    m_answer.clear();
    m_failure.clear();
    m_job.start(asciiName);
}

void WhoisAvailability::cancel()
{
    m_job.abort();
}

void WhoisAvailability::ended()
{
    // A referral that failed after the registry answered still leaves an answer to read.
    const bool heard = std::any_of(m_answer.cbegin(), m_answer.cend(), [](const QString &l) { return !l.trimmed().isEmpty(); });
    if (!heard) {
        emit failed(m_failure.isEmpty() ? WhoisJob::nothingSentText() : m_failure);
        return;
    }
    if (saysNoMatch(m_answer))
        emit answered(false, {});
    else
        emit answered(true, registrarNamed(m_answer));
}

bool WhoisAvailability::saysNoMatch(const QStringList &answer)
{
    // The wordings registries' WHOIS servers use for a name they do not hold.
    static const QRegularExpression noMatch(
        QStringLiteral("^[\\s%#]*(no match( for)?\\b|not found\\b|no entries found|no data found|"
                       "no object found|domain not found|no information available|the queried object does not exist|"
                       "status:\\s*(free|available)\\b|.*\\bis (available|free)( for registration)?\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return std::any_of(answer.cbegin(), answer.cend(), [](const QString &l) { return noMatch.match(l).hasMatch(); });
}
