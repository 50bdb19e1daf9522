#pragma once
// The main window: five pages of record fields and look-ups, built from the
// field catalogue. It runs the menus, the record pages' editing rules and the
// settings; the review pages and the mail workflow are units of their own,
// handed what they need.
#include "ControlFields.h"
#include "RecordKind.h"
#include "ReplyLimit.h"
#include "SetupSettings.h"
#include "WhoisReferral.h"
#include "TGradientForm.h"

#include <QHash>
#include <QPointer>
#include <functional>
#include <memory>

class IPrompter;
class QComboBox;
class QTabWidget;
class RecordStore;
class HelpWindow;
class TMailWorkflow;
class TIPPort;
class TReviewPages;

class TForm1 : public TGradientForm, public ControlFields {
    Q_OBJECT
public:
    // `settingsPath`: the settings file; `prompter`: where boxes go (not owned).
    TForm1(QString settingsPath, IPrompter *prompter, QWidget *parent = nullptr);
    ~TForm1() override;

    // The settings file path of the running program (see SettingsLocation).
    static QString defaultSettingsPath();

    // Defined with the look-up pages; the settings keep the server in use.
    static QString defaultWhoisServer();

    // The fields' enabled states, not the window's.
    using ControlFields::isEnabled;
    using ControlFields::setEnabled;

    // Runs an event handler: an error that reaches it is shown in an error box.
    void guarded(const std::function<void()> &handler);

    // Menu handlers.
    void Setup2Click();
    void Exit1Click();
    void Help2Click();
    void About1Click();
    // Opens the help topic of a context number (0: contents); `over`: the
    // modal window it was asked from, if any.
    void showHelp(int context, QWidget *over = nullptr);

    // The look-up pages: WHOIS through IPPort1, Finger through IPPort2.
    TIPPort *IPPort1 = nullptr;
    TIPPort *IPPort2 = nullptr;
    void bLookUpClick();
    // Enter (13) clicks the page's button and is swallowed: `key` becomes 0.
    void tDomainKeyPress(QObject *sender, char &key);
    void IPPort1Connected(QObject *sender, int statusCode, const QString &description);
    void IPPort1DataIn(QObject *sender, const QByteArray &text, bool eol);
    void IPPort1Error(QObject *sender, int errorCode, const QString &description);
    // The WHOIS answer has ended: follows its referral, if any.
    void IPPort1Disconnected(QObject *sender, int statusCode, const QString &description);
    void fingerlookupClick();
    void tHostKeyPress(QObject *sender, char &key);
    void IPPort2Connected(QObject *sender, int statusCode, const QString &description);
    void IPPort2DataIn(QObject *sender, const QByteArray &text, bool eol);
    void IPPort2Error(QObject *sender, int errorCode, const QString &description);
    void IPPort2Disconnected(QObject *sender, int statusCode, const QString &description);
    void lResponseDblClick();
    void tHostDblClick();

    // Where the look-ups connect and how long they wait for it; the program
    // keeps these values, tests point the pages at loopback peers.
    struct LookUpPorts {
        quint16 whois = 43;
        quint16 finger = 79;
        int waitMs = 15000;
    } lookUpPorts;

    // Start-up load and close.
    void FormCreate();
    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    QWidget *buildRecordPages(RecordKind kind);
    QWidget *buildInnerPage(RecordKind kind, const QString &caption);
    QWidget *buildLookUpPage(bool whois);
    void connectRecordHandlers();
    void createLookUpComponents();
    void connectLookUpHandlers();
    void updateLookUpHint();
    // Ends every look-up wait and closes both connections (window closing).
    void endLookUps();

    // One page's look-up: a newer one, or the window closing, ends the wait
    // of an older one that is still running further down the stack.
    struct LookUpRun {
        quint64 generation = 0;
        bool failed = false;     // OnConnected reported a failure
        ReplyLimit limit;
    };
    enum class WaitResult { Connected, Failed, TimedOut, Superseded };
    WaitResult waitForConnection(TIPPort &port, LookUpRun &run);
    void addResponseLine(const QString &line);
    void addFingerItem(const QString &item);
    void followReferral(quint64 generation);

    void connectCombo(QComboBox *combo, const std::function<void()> &onUserChange);
    // The control under the keyboard focus' help context number, or 0.
    int focusedHelpContext() const;

    QString m_settingsPath;
    IPrompter *m_prompter;
    SetupSettings m_setup;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<TReviewPages> m_review;
    std::unique_ptr<TMailWorkflow> m_mail;
    QTabWidget *m_pages = nullptr;
    QPointer<HelpWindow> m_help;

    // The WhoIs page's copy of the server, following the settings.
    QString m_whoisServer;

    LookUpRun m_whoisRun;
    LookUpRun m_fingerRun;
    // The WHOIS query, for its referral: the text asked, the first server, the
    // server its answer names, and whether the referral is under way or done.
    struct WhoisQuery {
        QByteArray text;
        QString server;
        QString address;
        std::optional<WhoisServer> referral;
        bool referring = false;
        bool referralDone = false;
    } m_whoisQuery;
    QString m_fingerUser;
    QString m_fingerHost;
    bool m_closing = false;
};
