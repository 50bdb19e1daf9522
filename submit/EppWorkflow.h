#pragma once
// Sending a record to the registry over EPP from the three review pages,
// beside the mail. A send runs what the mail button runs first (the name,
// the checks and their question, render and store), then one EPP session;
// its steps show on the page's status line and progress bar, Stop and
// Escape end it at once, and its outcome decides what becomes of the record.
// The pages' context menus read the registry's view of the record and the
// transcript of the last sessions.
#include "EppOutcome.h"
#include "EppSetup.h"
#include "NameListUpdate.h"
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class ControlFields;
class EppJob;
class IFields;
class IPrompter;
class IReviewForm;
class RecordCheckRun;
class RecordStore;
class TMailWorkflow;
struct EppSettings;

class EppWorkflow : public QObject {
    Q_OBJECT
public:
    // Runs `change` of the kind's fields as a step Edit > Undo takes back.
    using Undoable = std::function<void(RecordKind, const QString &what, const std::function<void()> &change)>;
    // What the workflow works with; none of it is owned.
    struct Parts {
        IFields &fields;               // the record's fields
        const ControlFields &controls; // the review pages' buttons, memos, status lines and bars
        IPrompter &prompter;
        RecordStore &store;
        IReviewForm &review;           // renders into the memo, refuses bad names, shows problems
        const EppSetup &settings;      // read when a send starts
        QString settingsPath;          // what Setup does not show ([Setup] EPP Hosts)
        RecordCheckRun &checks;        // the check a send waits for
        const TMailWorkflow &mail;     // never a send while it mails
        Undoable undoable;
    };
    explicit EppWorkflow(const Parts &parts);
    ~EppWorkflow() override;

    // A session or its check is running.
    bool busy() const { return m_run.has_value() || m_waiting.has_value(); }

    // The kind's Send to Registry button.
    void send(RecordKind kind);
    // The registry's view of the record in the kind's memo, then the differences from the pages.
    void showRegistry(RecordKind kind);
    // The kind's transcript in its memo.
    void showTranscript(RecordKind kind);
    // Ends the wait for a check or the session at once.
    void stop();
    // The settings changed: the send buttons follow the server setting.
    void settingsChanged();

private:
    enum class Purpose { Send, Info };
    struct Run {
        RecordKind kind;
        QString name;
        Purpose purpose;
        NameListUpdate afterwards;
        int progress = 0;
        QPointer<EppJob> job;
        QString transcript;
    };
    struct Wait {
        RecordKind kind;
        QString status;
    };

    void connectPage(RecordKind kind);
    void confirmAndSend(RecordKind kind, const RegistrationProblems &problems);
    void start(Run run, EppJob *job);
    void stepped(const QString &text);
    void finished(const EppOutcome &outcome);
    void sent(const Run &run, const EppOutcome &outcome);
    void showInfo(const Run &run, const EppOutcome &outcome);
    EppSettings sessionSettings() const;
    // A login whose password the keyring holds back would only earn a
    // refusal: throws, saying why on the status line too.
    void requireLogin(RecordKind kind);
    QString transcriptPath(RecordKind kind) const;
    void setRunning(bool running);
    void setStatus(RecordKind kind, int progress, const QString &text);

    Parts m_parts;
    std::optional<Run> m_run;
    std::optional<Wait> m_waiting;
};
