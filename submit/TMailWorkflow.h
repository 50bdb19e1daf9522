#pragma once
// Mailing a registration from the three review pages. The workflow owns the
// message and the SMTP component, takes everything a send is about when the
// mail button is pressed, and shows the SMTP events on the status line and
// progress bar of every review page.
#include "NameListUpdate.h"
#include "RecordKind.h"

#include <QObject>
#include <QString>
#include <optional>

class TForm1;
class TmsMessage;
class TmsSMTP;

class TMailWorkflow : public QObject {
    Q_OBJECT
public:
    explicit TMailWorkflow(TForm1 &form);
    ~TMailWorkflow() override;

    TmsMessage *message() const { return m_message; }
    TmsSMTP *smtp() const { return m_smtp; }
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
    void fillMessage(RecordKind kind, const QString &name);
    void run(const Send &send);
    void setRunning(bool running);
    // Every page's bar and status; the contact page too unless `contactPage` is false.
    void setStatus(int progress, const QString &text, bool contactPage = true);

    TForm1 &m_form;
    TmsMessage *m_message;
    TmsSMTP *m_smtp;
    std::optional<Send> m_current;
};
