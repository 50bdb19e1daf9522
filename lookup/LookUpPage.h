#pragma once
// What the WhoIs and Finger pages share: the row to type in, the look-up job
// whose reports become the answer's lines (added in batches, once per turn of
// the event loop) and boxes, and the stop. Subclasses say how lines are shown.
#include "LookUpOptions.h"
#include "PortLookUpJob.h"

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

    bool running() const { return m_job->isRunning(); }
    // Ends the running look-up and says so on the page (Escape, a second click).
    void stop();
    // Ends the running look-up without a word (the window closing).
    void end();

    static QString stoppedText();
    static QString noAnswerText();
    static QString nothingSentText();
    static QString tooLongText(int ms);

protected:
    // Takes `job`, whose reports the page shows.
    LookUpPage(IPrompter &prompter, PortLookUpJob *job, QWidget *parent);

    IPrompter &prompter() const { return m_prompter; }

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

    // The "IPPort error: " box, for the port's errors and broken answers alike.
    void showPortError(int errorCode, const QString &description);

    void addLine(const QString &line);
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
    // No connection within the wait: the box, then the answer is emptied
    // unless a newer look-up started while the box was up.
    void connectionTimedOut();
    void flushSlice();

    IPrompter &m_prompter;
    PortLookUpJob *m_job;
    QVBoxLayout *m_column = nullptr;
    QLineEdit *m_edit = nullptr;
    QPushButton *m_button = nullptr;
    QStringList m_pending;
    QTimer m_flush;
};
