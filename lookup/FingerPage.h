#pragma once
// The Finger page: its FingerJob asks any host's Finger service about a user
// or about its users; the answers gather in a list, and a double-click on a
// user in it fingers that user.
#include "FingerJob.h"
#include "LookUpPage.h"

class QListWidget;
class TIPPort;

class FingerPage : public LookUpPage {
    Q_OBJECT
public:
    // The list keeps the newest entries up to this many.
    static constexpr int MaxItems = 20000;

    FingerPage(IPrompter &prompter, const LookUpOptions &options = {}, QWidget *parent = nullptr);

    TIPPort *IPPort2 = nullptr;
    QLineEdit *tHost = nullptr;
    QPushButton *fingerlookup = nullptr;
    QListWidget *lResponse = nullptr;

    void fingerlookupClick();
    // Enter (13) clicks the page's button and is swallowed: `key` becomes 0.
    void tHostKeyPress(QObject *sender, char &key);
    void IPPort2Connected(QObject *sender, int statusCode, const QString &description);
    void IPPort2DataIn(QObject *sender, const QByteArray &text, bool eol);
    void IPPort2Error(QObject *sender, int errorCode, const QString &description);
    void IPPort2Disconnected(QObject *sender, int statusCode, const QString &description);
    // Fingers the user on the selected line at the last host.
    void lResponseDblClick();
    // Asks the host in the edit for its list of users.
    void tHostDblClick();

protected:
    void editKeyPress(char &key) override;
    void editDblClick() override { tHostDblClick(); }
    void showLines(const QStringList &lines) override;
    void clearShown() override;

private:
    FingerPage(IPrompter &prompter, FingerJob *job, QWidget *parent);

    FingerJob *m_job;
    // What the running look-up asks for.
    QString m_typed;
};
