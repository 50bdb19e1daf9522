#pragma once
// The main window: the pages of record fields, built from the field
// catalogue, and the look-up pages. It runs the menus, the record pages'
// editing rules and the settings; the review pages, the mail workflow and the
// look-up pages are units of their own, handed what they need.
#include "ControlFields.h"
#include "NetworkPreMailCheck.h"
#include "RecordKind.h"
#include "SetupSettings.h"
#include "TGradientForm.h"

#include <QHash>
#include <QPointer>
#include <functional>
#include <memory>

class IPrompter;
class QComboBox;
class QLineEdit;
class QTabWidget;
class RecordUndo;
class QVBoxLayout;
class RecordCheckRun;
class RecordFileGuard;
class RecordStore;
class ReviewForm;
class HelpWindow;
class TMailWorkflow;
class EppWorkflow;
class TReviewPages;
class FingerPage;
class WhoisPage;

class TForm1 : public TGradientForm, public ControlFields {
    Q_OBJECT
public:
    // `settingsPath`: the settings file; `prompter`: where boxes go (not owned);
    // `networkCheck`: makes the check that asks the network before mailing
    // (none: records are only checked offline).
    TForm1(QString settingsPath, IPrompter *prompter, const PreMailCheckFactory &networkCheck = {},
           QWidget *parent = nullptr);
    ~TForm1() override;

    // The settings file path of the running program (see SettingsLocation).
    static QString defaultSettingsPath();

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
    // Edit > Undo: the fields as they were before the newest Clear, Clear All,
    // Escape or copy button still in reach (see FieldsUndo).
    void Undo1Click();
    // Opens the help topic of a context number (0: contents); `over`: the
    // modal window it was asked from, if any.
    void showHelp(int context, QWidget *over = nullptr);

    // Start-up load and close.
    void FormCreate();
    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Setup and About: over this window, inside it where the platform will
    // not put a dialog there.
    int execDialog(QDialog &dialog);
    void buildWindow();
    QWidget *buildRecordPages(RecordKind kind);
    // How far the pages are beyond their default size.
    QSize windowGrowth() const;
    void connectRecordHandlers();
    // Show Form and edits start and end the kind's check with the network.
    void connectChecks();
    void buildMenus(QVBoxLayout *outer);
    QLineEdit *statusLine(RecordKind kind) const;
    // The "Setup" section as the exit writes it.
    void writeSetup();
    void connectCombo(QComboBox *combo, const std::function<void()> &onUserChange);
    // The control under the keyboard focus' help context number, or 0.
    int focusedHelpContext() const;

    QString m_settingsPath;
    IPrompter *m_prompter;
    SetupSettings m_setup;
    std::unique_ptr<RecordFileGuard> m_fileGuard;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<TReviewPages> m_review;
    std::unique_ptr<ReviewForm> m_reviewForm;
    std::unique_ptr<RecordCheckRun> m_checks;
    std::unique_ptr<TMailWorkflow> m_mail;
    std::unique_ptr<EppWorkflow> m_epp;
    QTabWidget *m_pages = nullptr;
    QPointer<HelpWindow> m_help;
    RecordUndo *m_undo = nullptr;

    WhoisPage *m_whoisPage = nullptr;
    FingerPage *m_fingerPage = nullptr;

    bool m_closing = false;
};
