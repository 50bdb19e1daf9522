#pragma once
// One look-up at a time over its own TCP line client: the wait for a
// connection, for the next byte and for the whole look-up, the bound on an
// answer, and the run that is current (a newer start or abort() ends the
// older run, and nothing of it is reported again).
//
// Reports, in this order: statusLine for each step, answerLines for the
// answer's lines, then at most one failure, then done with the outcome once
// (not after abort(), nor when a newer run started while the failure was
// reported). A failure is errorLine (one line that says why the look-up ended early),
// connectTimedOut (no connection within the wait; a page shows a box), or
// portError (a close that broke the answer; a page shows a box). portError
// also passes on the port's own errors, which end nothing by themselves.
// cleared says that what was reported so far is replaced.
//
// The port's events reach connected(), dataIn(), disconnected() and
// portError; an owner may route them through handlers of its own instead.
#include "LookUpOptions.h"
#include "LookUpOutcome.h"
#include "ReplyLimit.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class TIPPort;

class PortLookUpJob : public QObject {
    Q_OBJECT
public:
    ~PortLookUpJob() override;

    TIPPort *port() const { return m_port; }
    const LookUpOptions &options() const { return m_options; }
    bool isRunning() const { return m_running; }
    // Counts the starts: a page tells by it whether a newer look-up began.
    quint64 currentRun() const { return m_run; }
    // Ends the running look-up; no signal follows.
    void abort();

    virtual void connected(int statusCode, const QString &description) = 0;
    virtual void dataIn(const QByteArray &text, bool eol) = 0;
    virtual void disconnected(int statusCode, const QString &description) = 0;

    static QString noAnswerText();
    static QString nothingSentText();
    static QString tooLongText(int ms);
    static QString exceptionText(const QString &message) { return QStringLiteral("Exception: ") + message; }
    // A close with a non-zero reason is the receive error that broke the answer.
    static QString brokenAnswer(const QString &description);
    // What is said of connectTimedOut and portError.
    static QString timedOutText() { return QStringLiteral("Connection timed out."); }
    static QString portErrorText(int errorCode, const QString &description);

signals:
    void cleared();
    void statusLine(const QString &line);
    void answerLines(const QStringList &lines);
    void errorLine(const QString &line);
    void connectTimedOut();
    void portError(int errorCode, const QString &description);
    void done(const LookUpOutcome &outcome);

protected:
    PortLookUpJob(const QString &portName, const LookUpOptions &options, QObject *parent);

    // A new run: the one running ends first, silently. Returns its number.
    quint64 begin(bool timed = true);
    bool isCurrent(quint64 run) const { return m_running && run == m_run; }
    // The run is over, without a word.
    void finish();
    // Ends the running look-up with `report` (closing its connection unless
    // the server has), then done with `outcome` unless a newer run started meanwhile.
    template <typename Report>
    void end(Report report, const LookUpOutcome &outcome, bool close = true)
    {
        const quint64 run = m_run;
        if (close)
            abort();
        else
            finish();
        report();
        if (run == m_run)
            emit done(outcome);
    }
    // Ends the look-up with the failure `line` says.
    void endFailed(LookUpOutcome::Kind kind, const QString &line, bool close = true)
    {
        end([&] { emit errorLine(line); }, failedWith(kind, line), close);
    }
    // The look-up is over: its answer stays, done follows.
    void complete() { end([] {}, completed(), false); }
    // Ends `run`, if it is still current, with `line` as its last word.
    void fail(quint64 run, const QString &line);
    // The outcome of a whole answer; by default, that it came.
    virtual LookUpOutcome completed() const;
    // The outcome of a look-up that failed for `reason`; a job whose answer
    // already holds what it was after may keep that instead.
    virtual LookUpOutcome failedWith(LookUpOutcome::Kind kind, const QString &reason) const;
    // Ends whatever else carries a look-up; the port is closed besides.
    virtual void abortTransport() {}

    // Resolves `host` (a name in any script) and sets the port; false when a
    // newer run or an abort ended `run` meanwhile. Raises EIPPort.
    bool resolve(quint64 run, const QString &host, quint16 remotePort);
    // Starts the connection attempt and its wait. Raises EIPPort.
    void connectNow();
    void stopConnectWait() { m_connectWait.stop(); }
    virtual void connectWaitOver() = 0;
    void send(const QByteArray &bytes);
    // The answer's server is connected: the wait for its bytes begins.
    void startAnswer();
    // Counts one received piece against the bound: true when it is to be
    // reported. The first piece past the bound ends the look-up.
    bool admit(qsizetype bytes);
    // The server closed: says so when it sent not one line.
    void answerEnded();
    void answer(const QString &line) { emit answerLines(QStringList{line}); }

private:
    void closePort();
    void idleCheck();

    TIPPort *m_port;
    LookUpOptions m_options;
    quint64 m_run = 0;
    bool m_running = false;
    QTimer m_connectWait;
    QTimer m_idleWait;
    QTimer m_lookUpWait;
    QElapsedTimer m_sinceByte;
    ReplyLimit m_limit;
    bool m_answered = false;
};
