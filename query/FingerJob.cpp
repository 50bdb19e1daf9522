#include "FingerJob.h"

#include "EIPPort.h"
#include "LookUpText.h"
#include "TIPPort.h"

#include <QCoreApplication>

FingerJob::FingerJob(const LookUpOptions &options, QObject *parent)
    : PortLookUpJob(QStringLiteral("IPPort2"), options, parent)
{
}

void FingerJob::start(const QString &typed)
{
    const quint64 run = begin();
    try {
        port()->SetWinsockLoaded(true);
        // Lines end at LF; a CR before it is dropped when shown.
        port()->SetEOL(QByteArrayLiteral("\n"));
        const qsizetype at = typed.indexOf(QLatin1Char('@'));
        m_user = at < 0 ? QString() : typed.left(at);
        m_host = (at < 0 ? typed : typed.mid(at + 1)).left(MaxHostLength);
        emit statusLine(QStringLiteral("Requesting ") + m_host + QStringLiteral("..."));
        QCoreApplication::processEvents();
        if (!isCurrent(run) || !resolve(run, m_host, options().fingerPort))
            return;
        // The announced time is the wait this look-up really has.
        emit statusLine(QStringLiteral("Connecting to %1...   Will time out in %2 seconds")
                            .arg(port()->RemoteHost())
                            .arg((options().connectWaitMs + 999) / 1000));
        connectNow();
    } catch (const EIPPort &e) {
        fail(run, exceptionText(e.Message()));
    }
}

void FingerJob::connectWaitOver()
{
    end([this] { emit connectTimedOut(); }, failedWith(LookUpOutcome::Kind::TransportFailure, timedOutText()));
}

void FingerJob::connected(int statusCode, const QString &description)
{
    if (!isRunning())
        return;
    stopConnectWait();
    if (statusCode != 0) {
        endFailed(LookUpOutcome::Kind::TransportFailure, QStringLiteral("Connection failed: ") + description, false);
        return;
    }
    startAnswer();
    // An empty user asks for the host's list of users.
    send(queryLine(m_user, false));
}

void FingerJob::dataIn(const QByteArray &text, bool)
{
    if (!isRunning() || !admit(text.size()))
        return;
    answer(shownLine(text));
}

void FingerJob::disconnected(int statusCode, const QString &description)
{
    if (!isRunning())
        return;
    if (statusCode != 0) {
        end([&] { emit portError(statusCode, brokenAnswer(description)); },
            failedWith(LookUpOutcome::Kind::TransportFailure, portErrorText(statusCode, brokenAnswer(description))), false);
        return;
    }
    end([this] { answerEnded(); }, completed(), false);
}
