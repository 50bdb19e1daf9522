#pragma once
// The WhoIs page: asks the WHOIS server for the typed name and follows up to
// two referrals in the answers, never back to a server already asked; or,
// when the settings say so, asks the name's RDAP service.
#include "LookUpSettings.h"
#include "PortLookUpPage.h"
#include "WhoisReferral.h"

#include <optional>

class QPlainTextEdit;
class RdapLookup;
class TIPPort;

class WhoisPage : public PortLookUpPage {
    Q_OBJECT
public:
    static constexpr int MaxReferrals = 2;

    WhoisPage(IPrompter &prompter, const LookUpOptions &options = {}, QWidget *parent = nullptr);

    // The server asked first, "NAME" or "NAME:PORT"; the button's hint names it.
    void setServer(const QString &server);
    QString server() const { return m_server; }
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
    // An answer has ended: follows its referral, if any.
    void IPPort1Disconnected(QObject *sender, int statusCode, const QString &description);

protected:
    void editKeyPress(char &key) override;
    void abortTransport() override;
    void connectTimedOut() override;
    void showLines(const QStringList &lines) override;
    void clearShown() override;

private:
    void updateHint();
    void rdapLookUp(const QString &typed);
    void followReferral(quint64 run, const WhoisServer &to);
    void askReferral(quint64 run, const WhoisServer &to);

    QString m_server;
    LookUpSettings m_lookUp;
    // The RDAP look-up under way or last done, a child of the page.
    RdapLookup *m_rdap = nullptr;
    bool m_rdapAnswered = false;
    // The running query: what was typed and is sent, the servers asked in
    // order, and the referral the current answer names.
    QString m_typed;
    QByteArray m_query;
    QList<WhoisServer> m_asked;
    std::optional<WhoisServer> m_referral;
    // The last piece received ended mid-line: what follows is no line of its own.
    bool m_midLine = false;
};
