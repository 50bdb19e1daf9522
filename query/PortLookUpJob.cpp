#include "PortLookUpJob.h"

#include "EIPPort.h"
#include "LookUpText.h"
#include "TIPPort.h"

PortLookUpJob::PortLookUpJob(const QString &portName, const LookUpOptions &options, QObject *parent)
    : QObject(parent), m_port(new TIPPort(this)), m_options(options)
{
    m_port->setObjectName(portName);
    m_port->OnConnected = [this](QObject *, int c, const QString &d) { connected(c, d); };
    m_port->OnDataIn = [this](QObject *, const QByteArray &t, bool e) { dataIn(t, e); };
    m_port->OnDisconnected = [this](QObject *, int c, const QString &d) { disconnected(c, d); };
    m_port->OnError = [this](QObject *, int c, const QString &d) { emit portError(c, d); };

    m_connectWait.setSingleShot(true);
    m_connectWait.setTimerType(Qt::PreciseTimer);
    connect(&m_connectWait, &QTimer::timeout, this, [this] {
        if (m_running)
            connectWaitOver();
    });
    m_lookUpWait.setSingleShot(true);
    connect(&m_lookUpWait, &QTimer::timeout, this, [this] {
        if (m_running)
            endFailed(LookUpOutcome::Kind::CutShort, tooLongText(m_options.lookUpWaitMs));
    });
    m_idleWait.setSingleShot(true);
    connect(&m_idleWait, &QTimer::timeout, this, &PortLookUpJob::idleCheck);
}

PortLookUpJob::~PortLookUpJob() = default;

QString PortLookUpJob::noAnswerText()
{
    return QStringLiteral("The server did not answer in time; the connection was closed.");
}

QString PortLookUpJob::tooLongText(int ms)
{
    return QStringLiteral("The look-up took longer than %1; it was ended.").arg(secondsText(ms));
}

QString PortLookUpJob::nothingSentText()
{
    return QStringLiteral("The server sent nothing.");
}

QString PortLookUpJob::brokenAnswer(const QString &description)
{
    return QStringLiteral("Winsock error in recv() ") + description;
}

QString PortLookUpJob::portErrorText(int errorCode, const QString &description)
{
    return QStringLiteral("IPPort error: ") + QString::number(errorCode) + description;
}

quint64 PortLookUpJob::begin(bool timed)
{
    abort();
    m_running = true;
    m_limit.restart();
    m_answered = false;
    // A look-up that keeps to its own time limit (RDAP) needs none here.
    if (timed)
        m_lookUpWait.start(m_options.lookUpWaitMs);
    return ++m_run;
}

void PortLookUpJob::finish()
{
    m_running = false;
    m_connectWait.stop();
    m_idleWait.stop();
    m_lookUpWait.stop();
}

void PortLookUpJob::abort()
{
    // Not running first: events the closing fires belong to no look-up.
    finish();
    closePort();
    abortTransport();
}

void PortLookUpJob::closePort()
{
    try {
        m_port->SetConnected(false);
    } catch (const EIPPort &) {
        // A socket that fails to close is gone all the same.
    }
}

void PortLookUpJob::fail(quint64 run, const QString &line)
{
    if (isCurrent(run))
        endFailed(LookUpOutcome::Kind::TransportFailure, line, false);
}

LookUpOutcome PortLookUpJob::completed() const
{
    LookUpOutcome o;
    o.kind = LookUpOutcome::Kind::Answered;
    return o;
}

LookUpOutcome PortLookUpJob::failedWith(LookUpOutcome::Kind kind, const QString &reason) const
{
    return LookUpOutcome::failure(kind, reason);
}

bool PortLookUpJob::resolve(quint64 run, const QString &host, quint16 remotePort)
{
    // "[::1]" as Finger's "user@[::1]" gives it: the brackets only set the address apart.
    const bool bracketed = host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'));
    // The resolve lets events run; a newer look-up may start and end this one there.
    m_port->SetRemoteHost(aceName(bracketed ? host.mid(1, host.size() - 2) : host));
    if (!isCurrent(run))
        return false;
    m_port->SetRemotePort(remotePort);
    return true;
}

void PortLookUpJob::connectNow()
{
    m_port->SetConnected(true);
    m_connectWait.start(m_options.connectWaitMs);
}

void PortLookUpJob::send(const QByteArray &bytes)
{
    m_port->SetDataToSend(bytes);
}

void PortLookUpJob::startAnswer()
{
    m_connectWait.stop();
    m_limit.restart();
    m_answered = false;
    m_sinceByte.start();
    m_idleWait.start(m_options.idleWaitMs);
}

void PortLookUpJob::idleCheck()
{
    if (!m_running)
        return;
    const qint64 left = m_options.idleWaitMs - m_sinceByte.elapsed();
    if (left > 0) {
        m_idleWait.start(int(left));
        return;
    }
    endFailed(m_answered ? LookUpOutcome::Kind::CutShort : LookUpOutcome::Kind::TransportFailure, noAnswerText());
}

bool PortLookUpJob::admit(qsizetype bytes)
{
    m_sinceByte.restart();
    m_answered = true;
    if (m_limit.exceeded())
        return false;
    if (m_limit.admit(bytes))
        return true;
    endFailed(LookUpOutcome::Kind::CutShort, ReplyLimit::cutText());
    return false;
}

void PortLookUpJob::answerEnded()
{
    if (!m_answered)
        emit statusLine(nothingSentText());
}
