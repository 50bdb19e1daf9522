#include "TForm1.h"

#include "AppResources.h"
#include "EppWorkflow.h"
#include "CloseQuestion.h"
#include "FingerPage.h"
#include "Fonts.h"
#include "FormRules.h"
#include "Guarded.h"
#include "HelpWindow.h"
#include "IPrompter.h"
#include "InWindowDialog.h"
#include "IniFile.h"
#include "PreMailCheck.h"
#include "RecordCheckRun.h"
#include "RecordFileGuard.h"
#include "RecordStore.h"
#include "RecordUndo.h"
#include "ReviewForm.h"
#include "SettingsLocation.h"
#include "TAboutBox.h"
#include "TMailWorkflow.h"
#include "TReviewPages.h"
#include "TSetupDlg.h"
#include "WhoisPage.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QShortcut>

TForm1::TForm1(QString settingsPath, IPrompter *prompter, const PreMailCheckFactory &networkCheck, QWidget *parent)
    : TGradientForm(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_settingsPath(std::move(settingsPath)), m_prompter(prompter), m_setup(m_settingsPath)
{
    setObjectName(QStringLiteral("Form1"));
    installFontSubstitutions();
    initAppResources();
    // A mended stored value is told on the kind's status line, until the next status replaces it.
    m_store = std::make_unique<RecordStore>(*this, m_settingsPath, [this](RecordKind kind, const QString &note) {
        statusLine(kind)->setText(note);
    });
    // A record file another program changed while it was open here is never overwritten unasked.
    m_fileGuard = std::make_unique<RecordFileGuard>([this](const QString &path) {
        switch (m_prompter->askYesNoCancel(RecordFileGuard::questionText(path), IPrompter::Answer::Cancel)) {
        case IPrompter::Answer::Yes:
            return RecordFileGuard::Choice::Reload;
        case IPrompter::Answer::No:
            return RecordFileGuard::Choice::Overwrite;
        case IPrompter::Answer::Cancel:
            break;
        }
        return RecordFileGuard::Choice::Cancel;
    });
    m_store->setFileGuard(m_fileGuard.get());
    buildWindow();
    m_review = std::make_unique<TReviewPages>(TReviewPages::Parts{*this, *this, *m_prompter, *m_store});
    m_reviewForm = std::make_unique<ReviewForm>(*m_review);
    // Setup may turn the check off and on again while the window is open.
    m_checks = std::make_unique<RecordCheckRun>(*this, networkCheck ? networkCheck() : nullptr,
                                                [this] { return m_setup.values().checkNetwork; });
    auto *smtp = new TmsSMTP(this); // the window's one SMTP client, with its default time-out
    m_mail = std::make_unique<TMailWorkflow>(TMailWorkflow::Parts{
        *this, *this, *m_prompter, *m_store, *m_reviewForm, m_setup.values().mail, *smtp, *m_checks});
    m_epp = std::make_unique<EppWorkflow>(EppWorkflow::Parts{
        *this, *this, *m_prompter, *m_store, *m_reviewForm, m_setup.values().epp, m_settingsPath, *m_checks, *m_mail,
        [this](RecordKind kind, const QString &what, const std::function<void()> &change) {
            m_undo->copyStep(kind, what, change);
        }});
    connect(&m_setup, &SetupSettings::changed, this, [this] {
        m_epp->settingsChanged();
        m_whoisPage->setServer(m_setup.values().whoisServer);
        m_whoisPage->setLookUp(m_setup.values().lookUp);
    });
    connectRecordHandlers();
    connectChecks();

    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { guarded([this] { showHelp(focusedHelpContext()); }); });

    FormCreate();
}

TForm1::~TForm1()
{
    // The members go before the child widgets; a focused combo box that loses
    // its focus while the children are destroyed must not reach them.
    for (QObject *child : findChildren<QObject *>())
        child->disconnect(this);
}

QString TForm1::defaultSettingsPath()
{
    return SettingsLocation::forProgram(QCoreApplication::applicationFilePath());
}

void TForm1::guarded(const std::function<void()> &handler)
{
    ::guarded(*m_prompter, handler);
}

// ---- start-up and close ----

void TForm1::FormCreate()
{
    // A settings or list file that is refused (a pipe, a device, a huge file)
    // is shown and the window starts without it.
    IniDocument settings;
    guarded([&] { settings = IniDocument::load(m_settingsPath); });
    m_setup.read(settings);
    if (const QString note = m_setup.mendedNote(); !note.isEmpty())
        for (const KindInfo &k : recordKinds())
            statusLine(k.kind)->setText(note);
    guarded([&] { m_store->loadDefaultsAndLists(settings); });
    applyRulesAfterLoad(*this);
}

void TForm1::FormClose()
{
    writeSetup();
}

void TForm1::writeSetup()
{
    m_setup.write();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Records typed but never stored are offered once; Cancel keeps the window open.
    if (!m_closing && !mayCloseWindow(*this, *m_store, *m_prompter, m_undo->steps())) {
        event->ignore();
        return;
    }
    // Closing the window ends a send in progress rather than leave it running unseen.
    m_mail->stop();
    m_epp->stop();
    // The settings are written once; a failure is shown and the window still closes.
    if (!m_closing) {
        m_closing = true;
        guarded([this] { FormClose(); });
    }
    m_whoisPage->end();
    m_fingerPage->end();
    if (m_help)
        m_help->close();
    TGradientForm::closeEvent(event);
}

// ---- menus ----

void TForm1::Setup2Click()
{
    TSetupDlg dlg(this);
    connect(&dlg, &TSetupDlg::helpRequested, this, [this, &dlg](int context) { showHelp(context, &dlg); });
    m_setup.askKeyringAgain();
    dlg.setValues(m_setup.values());
    dlg.showKeyringNote(m_setup.keyringNote());
    dlg.showEppKeyringNote(m_setup.eppKeyringNote());
    if (execDialog(dlg) != Accepted)
        return;
    m_setup.change(dlg.values());
    // A crash before the window closes must not lose an accepted setup.
    writeSetup();
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::Help2Click()
{
    showHelp(0);
}

void TForm1::About1Click()
{
    TAboutBox box(this);
    execDialog(box);
}

int TForm1::execDialog(QDialog &dialog)
{
    return InWindowDialog::suitsPlatform() ? InWindowDialog::exec(dialog) : dialog.exec();
}

void TForm1::showHelp(int context, QWidget *over)
{
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->showTopic(context, over);
}

int TForm1::focusedHelpContext() const
{
    for (const QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        const int context = w->property("helpContext").toInt();
        if (context)
            return context;
    }
    return 0;
}
