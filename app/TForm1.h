#pragma once
// The main window: the pages of record fields, built from the field
// catalogue, and the look-up pages. Each subsystem's handlers live in that
// subsystem's folder.
#include "ControlFields.h"
#include "FieldsUndo.h"
#include "LookUpSettings.h"
#include "RecordKind.h"
#include "RenderResult.h"
#include "TGradientForm.h"

#include <QHash>
#include <QPointer>
#include <functional>
#include <memory>

class IPrompter;
class PasswordKeeper;
class QComboBox;
class QAction;
class QTabWidget;
class QVBoxLayout;
class RecordStore;
class HelpWindow;
class TMailWorkflow;
class TReviewPages;
class TmsMessage;
class TmsSMTP;
class FingerPage;
class WhoisPage;

class TForm1 : public TGradientForm, public ControlFields {
    Q_OBJECT
public:
    // `settingsPath`: the settings file; `prompter`: where boxes go (not owned).
    TForm1(QString settingsPath, IPrompter *prompter, QWidget *parent = nullptr);
    ~TForm1() override;

    // The settings file path of the running program (see SettingsLocation).
    static QString defaultSettingsPath();

    const QString &settingsPath() const { return m_settingsPath; }
    IPrompter &prompter() const { return *m_prompter; }
    RecordStore &store() const { return *m_store; }

    // Settings of the "Setup" section, held by the mail components.
    QString smtpServer() const;
    QString senderAddress() const;
    QString senderName() const;
    QString mailto() const { return m_mailto; }
    // The server the WhoIs page asks ("Setup"/"WhoIs Server").
    QString whoisServer() const { return m_whoisServer; }
    static QString defaultWhoisServer();

    // The mail components, owned by the mail workflow: the message and the SMTP client that sends it.
    TmsMessage *msMessage1 = nullptr;
    TmsSMTP *msSMTP1 = nullptr;

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
    // Edit > Undo: the fields as they were before the last Clear All or copy button.
    void Undo1Click();
    // Opens the help topic of a context number (0: contents); `over`: the
    // modal window it was asked from, if any.
    void showHelp(int context, QWidget *over = nullptr);

    // The review pages' Show Form and Print, and their mail buttons.
    TReviewPages &reviewPages() const { return *m_review; }
    TMailWorkflow &mailWorkflow() const { return *m_mail; }
    // The files the kind's last render wrote.
    RenderResult renderedFiles(RecordKind kind) const;
    // The kind's memo, one entry a line.
    QStringList memoLines(RecordKind kind) const;

    // Start-up load and close.
    void FormCreate();
    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    QWidget *buildRecordPages(RecordKind kind);
    QWidget *buildInnerPage(RecordKind kind, const QString &caption);
    QWidget *buildReviewPage(RecordKind kind);
    // How far the pages are beyond their default size.
    QSize windowGrowth() const;
    void connectRecordHandlers();
    void buildMenus(QVBoxLayout *outer);
    // Runs a button's change of the kind's fields so that Edit > Undo can take it back.
    void undoable(RecordKind kind, const std::function<void()> &change);
    // The "Setup" section as the exit writes it.
    void writeSetup();
    void connectCombo(QComboBox *combo, const std::function<void()> &onUserChange);
    // The control under the keyboard focus' help context number, or 0.
    int focusedHelpContext() const;

    QString m_settingsPath;
    IPrompter *m_prompter;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<TReviewPages> m_review;
    std::unique_ptr<TMailWorkflow> m_mail;
    std::unique_ptr<PasswordKeeper> m_passwords;
    QTabWidget *m_pages = nullptr;
    QPointer<HelpWindow> m_help;
    FieldsUndo m_undo;
    QAction *m_undoAction = nullptr;

    QString m_mailto;
    QString m_whoisServer;
    LookUpSettings m_lookUp;
    WhoisPage *m_whoisPage = nullptr;
    FingerPage *m_fingerPage = nullptr;

    bool m_closing = false;
};
