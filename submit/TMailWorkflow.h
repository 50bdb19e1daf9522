#pragma once
// Mailing a registration from the three review pages. The workflow owns the
// message, takes everything a send is about when the mail button is pressed
// (the settings too), and shows the SMTP events on the status line and
// progress bar of every review page.
#include "MailSettings.h"
#include "NameListUpdate.h"
#include "RecordKind.h"

#include <QObject>
#include <QString>
#include <optional>

class ControlFields;
class IFields;
class IPrompter;
class RecordStore;
class TReviewPages;
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
        TReviewPages &review;           // renders into the memo and refuses bad names
        const MailSettings &settings;  // read when a send starts
        TmsSMTP &smtp;                 // sends; its owner keeps its time-out
    };
    explicit TMailWorkflow(const Parts &parts);
    ~TMailWorkflow() override;

    bool sending() const { return m_current.has_value(); }

    // The kind's mail button: checks, question, render, send, then the name list.
    void mail(RecordKind kind);
    // Stops the send in progress, if any.
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
    void fillMessage(RecordKind kind, const QString &name, const MailSettings &settings);
    void run(const Send &send);
    void setRunning(bool running);
    // Every page's bar and status; the contact page too unless `contactPage` is false.
    void setStatus(int progress, const QString &text, bool contactPage = true);

    Parts m_parts;
    TmsSMTP &m_smtp;
    TmsMessage *m_message;
    std::optional<Send> m_current;
};
