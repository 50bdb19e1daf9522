#include "TForm1.h"

#include "AppResources.h"
#include "CloseQuestion.h"
#include "FingerPage.h"
#include "Exception.h"
#include "Fonts.h"
#include "FormRules.h"
#include "HelpWindow.h"
#include "IPrompter.h"
#include "IniFile.h"
#include "Latin1Guard.h"
#include "PasswordKeeper.h"
#include "RecordStore.h"
#include "SettingsLocation.h"
#include "SmtpSecurity.h"
#include "TAboutBox.h"
#include "TMailWorkflow.h"
#include "TReviewPages.h"
#include "TSetupDlg.h"
#include "WhoisPage.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {

const QString kSetup = QStringLiteral("Setup");
// The connection keys come after the original four, and only once in use.
const QString kSecurity = QStringLiteral("Security");
const QString kUserName = QStringLiteral("User Name");
const QString kPassword = QStringLiteral("Password");
const QString kWhoisServerKey = QStringLiteral("WhoIs Server");

} // namespace

TForm1::TForm1(QString settingsPath, IPrompter *prompter, QWidget *parent)
    : TGradientForm(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_settingsPath(std::move(settingsPath)), m_prompter(prompter)
{
    setObjectName(QStringLiteral("Form1"));
    installFontSubstitutions();
    initAppResources();
    m_store = std::make_unique<RecordStore>(*this, m_settingsPath);
    buildWindow();
    m_review = std::make_unique<TReviewPages>(*this);
    m_mail = std::make_unique<TMailWorkflow>(*this);
    m_passwords = std::make_unique<PasswordKeeper>(QFileInfo(m_settingsPath).absoluteFilePath());
    msMessage1 = m_mail->message();
    msSMTP1 = m_mail->smtp();
    connectRecordHandlers();

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

QString TForm1::defaultWhoisServer()
{
    return QStringLiteral("whois.internic.net");
}

QString TForm1::defaultSettingsPath()
{
    return SettingsLocation::forProgram(QCoreApplication::applicationFilePath());
}

void TForm1::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Exception &e) {
        m_prompter->error(e.Message());
    } catch (const std::exception &e) {
        m_prompter->error(QString::fromLocal8Bit(e.what()));
    }
}

RenderResult TForm1::renderedFiles(RecordKind kind) const
{
    return m_review->renderedFiles(kind);
}

QStringList TForm1::memoLines(RecordKind kind) const
{
    return m_review->memoLines(kind);
}

QString TForm1::smtpServer() const
{
    return msSMTP1->Server();
}

QString TForm1::senderAddress() const
{
    return msMessage1->Sender()->Address();
}

QString TForm1::senderName() const
{
    return msMessage1->Sender()->Name();
}

// ---- start-up and close ----

void TForm1::FormCreate()
{
    // A settings or list file that is refused (a pipe, a device, a huge file)
    // is shown and the window starts without it.
    IniDocument settings;
    guarded([&] { settings = IniDocument::load(m_settingsPath); });
    m_mailto = settings.value(kSetup, QStringLiteral("Mailto"));
    msSMTP1->SetServer(settings.value(kSetup, QStringLiteral("Server")));
    msMessage1->Sender()->SetAddress(settings.value(kSetup, QStringLiteral("EMail Address")));
    msMessage1->Sender()->SetName(settings.value(kSetup, QStringLiteral("Name")));
    msSMTP1->SetSecurity(SmtpSecurity::FromName(settings.value(kSetup, kSecurity)));
    msSMTP1->SetUserName(settings.value(kSetup, kUserName));
    // Only a login needs the password, so only then is the keyring asked.
    const QString storedPassword = settings.value(kSetup, kPassword);
    msSMTP1->SetPassword(msSMTP1->UserName().isEmpty() ? storedPassword : m_passwords->load(storedPassword));
    m_whoisServer = settings.value(kSetup, kWhoisServerKey).left(255);
    if (m_whoisServer.isEmpty())
        m_whoisServer = defaultWhoisServer();
    m_whoisPage->setServer(m_whoisServer);
    m_lookUp = LookUpSettings::read(settings, kSetup);
    m_whoisPage->setLookUp(m_lookUp);
    guarded([&] { m_store->loadDefaultsAndLists(settings); });
    applyRulesAfterLoad(*this);
}

void TForm1::FormClose()
{
    writeSetup();
}

void TForm1::writeSetup()
{
    std::vector<std::pair<QString, QString>> values = {{QStringLiteral("Server"), smtpServer()},
                                                       {QStringLiteral("EMail Address"), senderAddress()},
                                                       {QStringLiteral("Name"), senderName()},
                                                       {QStringLiteral("Mailto"), m_mailto}};
    // A file that never used them keeps its old shape; one that did is updated, also back to none.
    const bool inUse = msSMTP1->Security() != TSmtpSecurity::None || !msSMTP1->UserName().isEmpty() ||
                       !msSMTP1->Password().isEmpty();
    const IniDocument stored = IniDocument::load(m_settingsPath);
    QString filePassword;
    if (inUse || stored.contains(kSetup, kSecurity) || stored.contains(kSetup, kUserName) ||
        stored.contains(kSetup, kPassword)) {
        values.emplace_back(kSecurity, SmtpSecurity::Name(msSMTP1->Security()));
        values.emplace_back(kUserName, msSMTP1->UserName());
        // The keyring takes the password when one answers; otherwise the file keeps it, owner-only.
        if (!msSMTP1->UserName().isEmpty() || !msSMTP1->Password().isEmpty())
            filePassword = m_passwords->save(msSMTP1->Password());
        values.emplace_back(kPassword, filePassword);
    }
    // Written last, so that files without it keep their old shape up to here.
    values.emplace_back(kWhoisServerKey, m_whoisServer);
    for (auto &value : m_lookUp.toWrite(stored, kSetup))
        values.push_back(std::move(value));
    IniFile(m_settingsPath).writeStrings(kSetup, values,
                                         filePassword.isEmpty() ? AtomicFile::Access::Keep : AtomicFile::Access::OwnerOnly);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Records typed but never stored are offered once; Cancel keeps the window open.
    if (!m_closing && !mayCloseWindow(*this, *m_store, *m_prompter)) {
        event->ignore();
        return;
    }
    // Closing the window ends a send in progress rather than leave it running unseen.
    m_mail->stop();
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
    dlg.ServerEdit->setText(smtpServer());
    dlg.UserAddressEdit->setText(senderAddress());
    dlg.UserNameEdit->setText(senderName());
    dlg.mailto->setText(m_mailto);
    dlg.SecurityCombo->setCurrentText(SmtpSecurity::Name(msSMTP1->Security()));
    dlg.LoginNameEdit->setText(msSMTP1->UserName());
    dlg.PasswordEdit->setText(msSMTP1->Password());
    dlg.showKeyringNote(!m_passwords->keyringAnswers());
    dlg.WhoIsServerEdit->setText(m_whoisServer);
    dlg.LookUpWithCombo->setCurrentText(LookUpSettings::name(m_lookUp.protocol));
    if (dlg.exec() != Accepted)
        return;
    // The sender's address and name are cut to 255 by the message itself.
    msSMTP1->SetServer(dlg.ServerEdit->text().left(255));
    msMessage1->Sender()->SetAddress(dlg.UserAddressEdit->text());
    msMessage1->Sender()->SetName(dlg.UserNameEdit->text());
    m_mailto = dlg.mailto->text();
    msSMTP1->SetSecurity(SmtpSecurity::FromName(dlg.SecurityCombo->currentText()));
    msSMTP1->SetUserName(dlg.LoginNameEdit->text());
    msSMTP1->SetPassword(dlg.PasswordEdit->text());
    // The page needs a server to ask: an emptied field means the default one.
    m_whoisServer = dlg.WhoIsServerEdit->text().trimmed().left(255);
    if (m_whoisServer.isEmpty())
        m_whoisServer = defaultWhoisServer();
    m_whoisPage->setServer(m_whoisServer);
    m_lookUp.protocol = LookUpSettings::fromName(dlg.LookUpWithCombo->currentText());
    m_whoisPage->setLookUp(m_lookUp);
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
    box.exec();
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
