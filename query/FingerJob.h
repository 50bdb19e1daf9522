#pragma once
// A Finger look-up: asks a host's Finger service about a user, or about its
// users when no user is named.
//
// Steps: "Requesting HOST..." (then events run once, so that it shows), and
// "Connecting to ADDRESS...   Will time out in N seconds"; then the answer.
// A failed connection is the errorLine "Connection failed: ...".
#include "PortLookUpJob.h"

class FingerJob : public PortLookUpJob {
    Q_OBJECT
public:
    explicit FingerJob(const LookUpOptions &options, QObject *parent = nullptr);

    // Asks as "USER@HOST" says, split at its first "@": a text without one
    // (or with nothing before it) asks HOST for its users.
    void start(const QString &typed);
    // The host of the last start, kept between look-ups: a user named in an
    // answer is asked there.
    QString host() const { return m_host; }

    void connected(int statusCode, const QString &description) override;
    void dataIn(const QByteArray &text, bool eol) override;
    void disconnected(int statusCode, const QString &description) override;

    static constexpr int MaxHostLength = 255;

protected:
    void connectWaitOver() override;

private:
    QString m_user;
    QString m_host;
};
