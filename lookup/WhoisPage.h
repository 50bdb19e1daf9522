#pragma once
// The WhoIs page: its WhoisJob asks the WHOIS server for the typed name and
// follows referrals, or asks RDAP when the settings say so; the page shows
// what it reports.
#include "LookUpPage.h"
#include "LookUpSettings.h"
#include "WhoisJob.h"

class QPlainTextEdit;
class TIPPort;

class WhoisPage : public LookUpPage {
    Q_OBJECT
public:
    static constexpr int MaxReferrals = WhoisJob::MaxReferrals;

    WhoisPage(IPrompter &prompter, const LookUpOptions &options = {}, QWidget *parent = nullptr);

    // The server asked first, "NAME" or "NAME:PORT" (IPv6 also as "[ADDRESS]:PORT"); the button's hint names it.
    void setServer(const QString &server);
    QString server() const { return m_job->server(); }
    // WHOIS or RDAP, for the next look-up; the button's hint says which.
    void setLookUp(const LookUpSettings &settings);

    TIPPort *IPPort1 = nullptr;
    QLineEdit *tDomain = nullptr;
    QPushButton *bLookUp = nullptr;
    QPlainTextEdit *mResponse = nullptr;

    void bLookUpClick();
    // Enter (13) clicks the page's button and is swallowed: `key` becomes 0.
    void tDomainKeyPress(QObject *sender, char &key);
    void IPPort1Connected(QObject *sender, int statusCode, const QString &description);
    void IPPort1DataIn(QObject *sender, const QByteArray &text, bool eol);
    void IPPort1Error(QObject *sender, int errorCode, const QString &description);
    // An answer has ended: its referral, if any, is followed.
    void IPPort1Disconnected(QObject *sender, int statusCode, const QString &description);

protected:
    void editKeyPress(char &key) override;
    void showLines(const QStringList &lines) override;
    void clearShown() override;

private:
    WhoisPage(IPrompter &prompter, WhoisJob *job, QWidget *parent);
    void updateHint();

    WhoisJob *m_job;
    // What the running look-up asks for.
    QString m_typed;
};
