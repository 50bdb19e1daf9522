#pragma once
// Mailing a registration from the three review pages. The workflow owns the
// message, waits for the record's check to end, takes everything a send is
// about once the user has said yes (the settings too), and shows the SMTP
// events on the status line and progress bar of every review page.
#include "MailSettings.h"
#include "NameListUpdate.h"
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QObject>
#include <QString>
#include <optional>

class ControlFields;
class IFields;
class IPrompter;
class IReviewForm;
class RecordCheckRun;
class RecordStore;
class TmsMessage;
class TmsSMTP;

class TMailWorkflow : public QObject {
    Q_OBJECT
public:
    // What the workflow works with; none of it is owned.
    struct Parts {
        IFields &fields;               // the record's fields
        const ControlFields &controls; // the review pages' buttons, status lines and bars
        IPrompter &prompter;
        RecordStore &store;
        IReviewForm &review;           // renders into the memo, refuses bad names, shows problems
        const MailSettings &settings;  // read when a send starts
        TmsSMTP &smtp;                 // sends; its owner keeps its time-out
        RecordCheckRun &checks;        // the check a mail waits for
    };
    explicit TMailWorkflow(const Parts &parts);
    ~TMailWorkflow() override;

    bool sending() const { return m_current.has_value(); }
    // A mail button was pressed and its record's check is still running.
    bool waiting() const { return m_waiting.has_value(); }
    bool busy() const { return sending() || waiting(); }

    // The kind's mail button: checks (waiting for a slow one), question,
    // render, send, then the name list.
    void mail(RecordKind kind);
    // Ends the wait for a check, or stops the send in progress, if any.
    void stop();
    // Shows `text` on the kind's status line for a few seconds.
    void showBriefly(RecordKind kind, const QString &text);

private:
    // What one send is about, fixed when its button is pressed.
    struct Send {
        RecordKind kind;
        NameListUpdate afterwards;
    };

    void connectEvents();
    void connectButtons();
    void waitForCheck(RecordKind kind);
    void endWait();
    // After the checks: the questions, then the send.
    void confirmAndSend(RecordKind kind, const RegistrationProblems &problems);
    void fillMessage(RecordKind kind, const QString &name, const MailSettings &settings);
    void run(const Send &send);
    void setRunning(bool running);
    // Every page's bar and status; the contact page too unless `contactPage` is false.
    void setStatus(int progress, const QString &text, bool contactPage = true);

    Parts m_parts;
    TmsSMTP &m_smtp;
    TmsMessage *m_message;
    std::optional<Send> m_current;
    // The kind waited for, and what its status line said before.
    struct Wait {
        RecordKind kind;
        QString status;
    };
    std::optional<Wait> m_waiting;
};
