#include "EppJob.h"

#include "EppFrames.h"
#include "EppResponse.h"
#include "EppSession.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList kOurObjects{EppNs::Domain, EppNs::Host, EppNs::Contact};

} // namespace

EppJob::EppJob(EppSettings settings, QObject *parent) : QObject(parent), m_settings(std::move(settings))
{
    m_trIdPrefix = QStringLiteral("ZAN-%1-").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

EppJob::~EppJob() = default;

QString EppJob::nextClTrid()
{
    return m_trIdPrefix + QString::number(++m_trIdCounter);
}

void EppJob::start()
{
    if (m_running || m_finished)
        return;
    m_running = true;
    QTimer::singleShot(0, this, [this] {
        if (m_finished)
            return;
        prepare(m_outcome);
        if (m_outcome.result != EppOutcome::Result::Success)
            return finish();
        if (const QString problem = EppSession::settingsProblem(m_settings); !problem.isEmpty()) {
            m_outcome.result = EppOutcome::Result::Failed;
            m_outcome.failure = EppOutcome::Failure::Settings;
            m_outcome.detail = problem;
            return finish();
        }
        m_session = std::make_unique<EppSession>(
            m_settings, [this] { connected(); }, [this](const QByteArray &f) { frameArrived(f); },
            [this](EppOutcome::Failure failure, const QString &detail) { transportFailed(failure, detail); });
        reportStep({EppStep::Stage::Connecting, EppObject::None, m_settings.server, {}, {}, {}});
        if (m_finished) // cancelled from the step's handler
            return;
        m_session->open();
        // The connection and the greeting share one command's limit.
        QTimer::singleShot(m_settings.commandTimeoutMs, this, [this, counter = m_trIdCounter] {
            if (!m_greeted && counter == m_trIdCounter && !m_finished)
                transportFailed(EppOutcome::Failure::Timeout, QStringLiteral("no greeting within %1 s").arg(m_settings.commandTimeoutMs / 1000));
        });
    });
}

void EppJob::cancel()
{
    if (m_finished)
        return;
    if (m_session)
        m_session->close(m_loggedIn && !m_loggingOut ? EppFrames::logout(nextClTrid()) : QByteArray());
    m_outcome.result = EppOutcome::Result::Cancelled;
    finish();
}

void EppJob::reportStep(const EppStep &s)
{
    m_transcript += "# " + s.text().toUtf8() + '\n';
    emit step(s);
}

void EppJob::connected()
{
    m_transcript += "# TLS connection up\n";
}

void EppJob::transportFailed(EppOutcome::Failure failure, const QString &detail)
{
    if (m_finished)
        return;
    if (m_session)
        m_session->close();
    m_outcome.result = EppOutcome::Result::Failed;
    m_outcome.failure = failure;
    m_outcome.detail = detail;
    finish();
}

void EppJob::frameArrived(const QByteArray &frame)
{
    if (m_finished)
        return;
    m_transcript += "S: " + EppFrames::masked(frame) + '\n';
    const EppResponse r = EppResponse::parse(frame);
    if (!r.error.isEmpty())
        return transportFailed(EppOutcome::Failure::Framing, r.error);
    if (!m_greeted) {
        if (!r.isGreeting)
            return transportFailed(EppOutcome::Failure::OutOfStep, QStringLiteral("the server's first frame is no greeting"));
        m_greeted = true;
        m_outcome.greeting = r.greeting;
        return login();
    }
    if (r.isGreeting || m_pendingTrId.isEmpty())
        return transportFailed(EppOutcome::Failure::OutOfStep, QStringLiteral("a frame nobody asked for"));
    if (r.clTrid != m_pendingTrId)
        return transportFailed(EppOutcome::Failure::OutOfStep,
                               QStringLiteral("the answer to %1 came for %2").arg(r.clTrid.isEmpty() ? QStringLiteral("no command") : r.clTrid, m_pendingTrId));
    m_pendingTrId.clear();
    if (!m_loggingOut) {
        m_outcome.svTrid = r.svTrid;
        m_outcome.code = r.code;
        m_outcome.message = r.message;
    }
    const Answer answer = std::move(m_pendingAnswer);
    const EppStep stepDone = m_pendingStep;
    if (r.code == 1500 && !m_loggingOut) {
        m_outcome.code = r.code;
        m_outcome.message = r.message;
        return transportFailed(EppOutcome::Failure::Closed, QStringLiteral("%1 %2, in answer to: %3").arg(r.code).arg(r.message, stepDone.text()));
    }
    if (!r.succeeded() && !m_pendingRefusalToo)
        return refuse(stepDone, r);
    answer(r);
}

void EppJob::login()
{
    QStringList objects;
    for (const QString &uri : kOurObjects)
        if (m_outcome.greeting.objects.contains(uri))
            objects << uri;
    if (objects.isEmpty())
        return transportFailed(EppOutcome::Failure::OutOfStep, QStringLiteral("the registry speaks none of domain, host and contact"));
    if (!m_outcome.greeting.versions.contains(QLatin1String("1.0")))
        return transportFailed(EppOutcome::Failure::OutOfStep, QStringLiteral("the registry does not speak EPP 1.0"));
    const QString trId = nextClTrid();
    command({EppStep::Stage::LoggingIn, EppObject::None, {}, {}, {}, {}},
            EppFrames::login(m_settings.clientId, m_settings.password, objects, trId), [this](const EppResponse &) {
                m_loggedIn = true;
                loggedIn();
            });
}

void EppJob::command(const EppStep &stepDone, const QByteArray &frame, Answer answer, bool refusalToo)
{
    if (m_finished)
        return;
    // The frame carries the clTRID nextClTrid() gave last.
    m_pendingTrId = m_trIdPrefix + QString::number(m_trIdCounter);
    m_pendingStep = stepDone;
    m_pendingAnswer = std::move(answer);
    m_pendingRefusalToo = refusalToo;
    reportStep(stepDone);
    m_transcript += "C: " + EppFrames::masked(frame) + '\n';
    m_session->send(frame);
    QTimer::singleShot(m_settings.commandTimeoutMs, this, [this, trId = m_pendingTrId] {
        if (!m_finished && m_pendingTrId == trId)
            transportFailed(EppOutcome::Failure::Timeout,
                            QStringLiteral("no answer within %1 s to: %2").arg(m_settings.commandTimeoutMs / 1000).arg(m_pendingStep.text()));
    });
}

void EppJob::finishSession()
{
    // The outcome keeps the last real command's answer, not the logout's.
    m_loggingOut = true;
    command({EppStep::Stage::LoggingOut, EppObject::None, {}, {}, {}, {}}, EppFrames::logout(nextClTrid()),
            [this](const EppResponse &) {
                m_session->close();
                finish();
            }, true);
}

void EppJob::refuse(const EppStep &stepDone, const EppResponse &response)
{
    m_outcome.result = EppOutcome::Result::Refused;
    m_outcome.code = response.code;
    m_outcome.message = response.message;
    m_outcome.reasons = response.reasons;
    m_outcome.svTrid = response.svTrid;
    m_outcome.refusedStep = stepDone;
    if (m_loggedIn && m_session) {
        // Log out politely; the refusal is the outcome whatever the logout gets.
        m_session->close(EppFrames::logout(nextClTrid()));
    } else if (m_session) {
        m_session->close();
    }
    finish();
}

void EppJob::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_running = false;
    m_transcript += "# " + m_outcome.text().toUtf8() + '\n';
    writeTranscript();
    emit finished(m_outcome);
}

void EppJob::writeTranscript()
{
    if (m_transcriptPath.isEmpty())
        return;
    // Appended per session; O_NOFOLLOW so a link planted there is not written through.
    const QByteArray path = QFile::encodeName(m_transcriptPath);
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    ::fchmod(fd, 0600);
    const QByteArray text = "=== " + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + ' '
                            + m_settings.server.toUtf8() + '\n' + m_transcript;
    qsizetype at = 0;
    while (at < text.size()) {
        const ssize_t n = ::write(fd, text.constData() + at, size_t(text.size() - at));
        if (n <= 0)
            break;
        at += n;
    }
    ::close(fd);
}
