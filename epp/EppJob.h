#pragma once
// EppJob: one session with the registry. It connects, reads the greeting,
// logs in, runs its commands (the subclass's), logs out and finishes once
// with an outcome. Nothing blocks: the caller's event loop runs it.
//
//   auto *job = new EppSendJob(settings, record);
//   connect(job, &EppJob::step, ...);      // each step, as it starts
//   connect(job, &EppJob::finished, ...);  // once; then deleteLater() the job
//   job->start();
//
// cancel() finishes at once with Cancelled; a logged-in session is sent a
// logout on the way out, without waiting for its answer.
#include "EppOutcome.h"
#include "EppSettings.h"
#include "EppStep.h"

#include <QObject>
#include <functional>
#include <memory>

class EppSession;
class EppResponse;

class EppJob : public QObject {
    Q_OBJECT
public:
    explicit EppJob(EppSettings settings, QObject *parent = nullptr);
    ~EppJob() override;

    // The session transcript is appended to `path` (made owner-only), every
    // password shown as ********. Empty: none kept.
    void setTranscript(const QString &path) { m_transcriptPath = path; }
    // Starts the session; steps and the outcome come later, never from inside start().
    void start();
    void cancel();
    bool isRunning() const { return m_running; }

signals:
    void step(const EppStep &step);
    void finished(const EppOutcome &outcome);

protected:
    using Answer = std::function<void(const EppResponse &)>;
    // Run after the login succeeded; ends with finishSession().
    virtual void loggedIn() = 0;
    // Checks before anything connects: an outcome with Problems (or a
    // Failure) stops the job there.
    virtual void prepare(EppOutcome &) {}

    // Sends one command; `answer` runs for a 1xxx answer, a 2xxx ends the
    // job as Refused with `stepDone` named, unless `refusalToo` takes it.
    void command(const EppStep &stepDone, const QByteArray &frame, Answer answer, bool refusalToo = false);
    // Logs out and finishes with Success.
    void finishSession();
    // Ends the job as Refused by `response`.
    void refuse(const EppStep &stepDone, const EppResponse &response);
    void reportStep(const EppStep &s);

    EppOutcome m_outcome; // filled as the job goes
    const EppSettings &settings() const { return m_settings; }
    QString nextClTrid();

private:
    void connected();
    void frameArrived(const QByteArray &frame);
    void transportFailed(EppOutcome::Failure failure, const QString &detail);
    void login();
    void send(const QByteArray &frame, const QString &clTrid);
    void finish(); // once
    void writeTranscript();

    EppSettings m_settings;
    std::unique_ptr<EppSession> m_session;
    QString m_transcriptPath;
    QByteArray m_transcript;
    QString m_trIdPrefix;
    quint64 m_trIdCounter = 0;
    // The command awaiting its answer.
    QString m_pendingTrId;
    EppStep m_pendingStep;
    Answer m_pendingAnswer;
    bool m_pendingRefusalToo = false;
    bool m_greeted = false;
    bool m_loggedIn = false;
    bool m_loggingOut = false;
    bool m_running = false;
    bool m_finished = false;
};
