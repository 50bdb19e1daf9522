#pragma once
// What the WhoIs and Finger pages share: the look-up that runs (a newer one
// or a stop ends it, and nothing of an ended one reaches the page again), the
// wait for a connection and for the next byte, the bound on an answer, and
// the answer's lines added in batches, once per turn of the event loop.
// Subclasses say how a look-up is carried (a TCP line client, or anything
// else) and how lines are shown.
#include "LookUpOptions.h"
#include "ReplyLimit.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

class IPrompter;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class LookUpPage : public QWidget {
    Q_OBJECT
public:
    ~LookUpPage() override;

    bool running() const { return m_running; }
    // Ends the running look-up and says so on the page (Escape, a second click).
    void stop();
    // Ends the running look-up without a word (the window closing).
    void end();

    static QString stoppedText();
    static QString noAnswerText();
    static QString nothingSentText();
    static QString tooLongText(int ms);

protected:
    LookUpPage(IPrompter &prompter, const LookUpOptions &options, QWidget *parent);

    IPrompter &prompter() const { return m_prompter; }
    const LookUpOptions &options() const { return m_options; }

    // The label, edit and button row; the answer's widget goes below it.
    void buildRow(const QString &labelName, const QString &labelText, const QString &editName,
                  const QString &editHint, const QString &buttonName);
    QVBoxLayout *column() const { return m_column; }
    // The answer's font: the platform's fixed-pitch font, bold, so that the
    // columns of a user list or a WHOIS table line up.
    static QFont answerFont();
    QLineEdit *edit() const { return m_edit; }
    QPushButton *button() const { return m_button; }
    // Enter in the edit; a double-click of it, when the page wants one.
    virtual void editKeyPress(char &key) = 0;
    virtual void editDblClick() {}

    // A new look-up: whatever runs ends first. Returns its number.
    quint64 beginRun();
    bool isCurrent(quint64 run) const { return m_running && run == m_run; }
    quint64 currentRun() const { return m_run; }
    // The look-up is over; its answer stays.
    void finishRun();
    // Ends at once whatever carries the look-up (a connection, a resolve).
    virtual void abortTransport() = 0;

    // The look-up keeps to its own time limit (RDAP): the page's rests.
    void stopLookUpWait() { m_lookUpWait.stop(); }
    void startConnectWait();
    void stopConnectWait() { m_connectWait.stop(); }
    virtual void connectTimedOut() = 0;
    // The answer's server is connected: the wait for its bytes begins.
    void startAnswer();
    // Counts one received piece against the bound: true when it is to be
    // shown. The first piece past the bound ends the look-up with the line
    // that says the answer was cut.
    bool admit(qsizetype bytes);
    // The server closed: says so when it sent not one line.
    void answerEnded();

    void addLine(const QString &line);
    static QString exceptionText(const QString &message) { return QStringLiteral("Exception: ") + message; }
    // Ends `run`, if it is still the page's, with `line` as its last word.
    void failRun(quint64 run, const QString &line);
    // No connection within the wait: the box, then the answer is emptied
    // unless a newer look-up started while the box was up.
    void connectionTimedOut();
    // Enter in the edit clicks the page's button and is swallowed.
    void clickOnEnter(char &key);
    // Shows all lines waiting for the next batch now.
    void flushLines();
    // Empties the page's answer, lines waiting included.
    void clearLines();
    virtual void showLines(const QStringList &lines) = 0;
    virtual void clearShown() = 0;

    // Runs a handler; an error that reaches it is shown in an error box.
    void guarded(const std::function<void()> &handler);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void idleCheck();
    void flushSlice();

    IPrompter &m_prompter;
    LookUpOptions m_options;
    QVBoxLayout *m_column = nullptr;
    QLineEdit *m_edit = nullptr;
    QPushButton *m_button = nullptr;
    quint64 m_run = 0;
    bool m_running = false;
    QTimer m_connectWait;
    QTimer m_idleWait;
    QTimer m_lookUpWait;
    QElapsedTimer m_sinceByte;
    ReplyLimit m_limit;
    bool m_answered = false;
    QStringList m_pending;
    QTimer m_flush;
};
