#include "TSetupDlg.h"

#include "EppSetupPage.h"
#include "Latin1Guard.h"
#include "LookUpSettings.h"
#include "ReadableDisabled.h"
#include "SmtpSecurity.h"

#include <QShortcut>
#include <QTabWidget>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The dialog's height without the notes: the mail and look-up rows on one
// page, the EPP rows on the other (which has room for two notes of its own).
constexpr int kHeight = 322;
constexpr int kEppRoom = 2;
// What a two-line note adds.
constexpr int kNoteHeight = 42;
} // namespace

TSetupDlg::TSetupDlg(QWidget *owner)
    : TGradientForm(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("SetupDlg"));
    setWindowTitle(QStringLiteral("Setup"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // A resting row's label greys with its field, both still readable.
    new ReadableDisabled(this);

    auto *form = new QFormLayout;
    const struct {
        QLineEdit **edit;
        const char *name, *label, *hint;
    } rows[] = {
        {&ServerEdit, "ServerEdit", "SMTP Server", "Your SMTP Server.  If unsure. look at your e-mail program."},
        {&UserAddressEdit, "UserAddressEdit", "EMail address", "Your e-mail address. IMPORTANT.  F1 for details"},
        {&UserNameEdit, "UserNameEdit", "Name", "Your Name"},
        {&mailto, "mailto", "Mail Registrations to:", "The address where registrations will be sent."},
        {&LoginNameEdit, "LoginNameEdit", "User name", "The user name your mail provider gave you, if it asks for a login."},
        {&PasswordEdit, "PasswordEdit", "Password", "The password of that user name."},
        {&WhoIsServerEdit, "WhoIsServerEdit", "WhoIs Server", "The WhoIs server the WhoIs page asks."},
    };
    for (const auto &r : rows) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(r.name));
        edit->setToolTip(QLatin1String(r.hint));
        edit->setProperty("helpContext", 1031);
        guardLatin1(edit);
        auto *label = new QLabel(QLatin1String(r.label), this);
        label->setBuddy(edit);
        label->setProperty("helpContext", 1031);
        form->addRow(label, edit);
        *r.edit = edit;
    }
    PasswordEdit->setEchoMode(QLineEdit::Password);

    SecurityCombo = new QComboBox(this);
    SecurityCombo->setObjectName(QStringLiteral("SecurityCombo"));
    SecurityCombo->addItems(SmtpSecurity::Names());
    SecurityCombo->setToolTip(QStringLiteral("STARTTLS or TLS if your mail provider asks for an encrypted connection."));
    SecurityCombo->setProperty("helpContext", 1031);
    auto *securityLabel = new QLabel(QStringLiteral("Security"), this);
    securityLabel->setBuddy(SecurityCombo);
    securityLabel->setProperty("helpContext", 1031);
    form->insertRow(4, securityLabel, SecurityCombo);

    LookUpWithCombo = new QComboBox(this);
    LookUpWithCombo->setObjectName(QStringLiteral("LookUpWithCombo"));
    LookUpWithCombo->addItems(LookUpSettings::names());
    LookUpWithCombo->setToolTip(
        QStringLiteral("WHOIS asks the WhoIs server below; RDAP asks the registry that serves the name, over HTTPS."));
    LookUpWithCombo->setProperty("helpContext", 1031);
    auto *lookUpLabel = new QLabel(QStringLiteral("Look up with"), this);
    lookUpLabel->setBuddy(LookUpWithCombo);
    lookUpLabel->setProperty("helpContext", 1031);
    int whoisRow = 0;
    QFormLayout::ItemRole role;
    form->getWidgetPosition(WhoIsServerEdit, &whoisRow, &role);
    form->insertRow(whoisRow, lookUpLabel, LookUpWithCombo);
    connect(LookUpWithCombo, &QComboBox::currentTextChanged, this, [this, form](const QString &name) {
        const bool whois = LookUpSettings::fromName(name) == LookUpSettings::Protocol::Whois;
        WhoIsServerEdit->setEnabled(whois);
        form->labelForField(WhoIsServerEdit)->setEnabled(whois);
    });

    CheckNetworkBox = new QCheckBox(QStringLiteral("Check with the &network before mailing"), this);
    CheckNetworkBox->setObjectName(QStringLiteral("CheckNetworkBox"));
    CheckNetworkBox->setAccessibleName(QStringLiteral("Check with the network before mailing"));
    CheckNetworkBox->setToolTip(QStringLiteral(
        "Before a record is mailed, ask its name servers, its host's address and its mailbox's domain what the "
        "registry will ask. Off, nothing leaves this machine until you mail."));
    CheckNetworkBox->setProperty("helpContext", 1031);
    form->addRow(static_cast<QWidget *>(nullptr), CheckNetworkBox);

    KeyringNote = new QLabel(this);
    KeyringNote->setObjectName(QStringLiteral("KeyringNote"));
    KeyringNote->setWordWrap(true);
    // Two lines at the dialog's width; a fixed-size dialog would squeeze a wrapped label.
    KeyringNote->setMinimumHeight(2 * KeyringNote->fontMetrics().lineSpacing() + 2);
    int passwordRow = 0;
    form->getWidgetPosition(PasswordEdit, &passwordRow, &role);
    form->insertRow(passwordRow + 1, static_cast<QWidget *>(nullptr), KeyringNote);
    form->setRowVisible(KeyringNote, false);
    m_form = form;

    // Two pages, so that the dialog still fits inside the main window where it is shown there.
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SetupPages"));
    auto *mailPage = new QWidget;
    mailPage->setLayout(form);
    m_tabs->addTab(mailPage, QStringLiteral("&Mail and look-ups"));
    Epp = new EppSetupPage(nullptr);
    m_tabs->addTab(Epp, QStringLiteral("&EPP"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Tab runs down the rows as they are shown, then to OK and Cancel.
    QWidget *previous = nullptr;
    for (int row = 0; row < form->rowCount(); ++row) {
        QWidget *field = form->itemAt(row, QFormLayout::FieldRole)->widget();
        if (previous)
            setTabOrder(previous, field);
        previous = field;
    }
    connect(Epp, &EppSetupPage::notesChanged, this, &TSetupDlg::fitHeight);
    for (QWidget *field : Epp->findChildren<QWidget *>())
        if (field->focusPolicy() & Qt::TabFocus) {
            setTabOrder(previous, field);
            previous = field;
        }
    setTabOrder(previous, buttons->button(QDialogButtonBox::Ok));
    setTabOrder(buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    // F1 on any field asks for the setup topic.
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { emit helpRequested(1031); });
    fitHeight();
    centerOnScreen();
}

void TSetupDlg::showKeyringNote(const QString &note)
{
    const bool show = !note.isEmpty();
    KeyringNote->setText(note);
    m_form->setRowVisible(KeyringNote, show);
    fitHeight();
}

void TSetupDlg::showEppKeyringNote(const QString &note)
{
    Epp->showKeyringNote(note);
}

void TSetupDlg::fitHeight()
{
    const int mail = KeyringNote->text().isEmpty() ? 0 : 1;
    const int epp = std::max(0, Epp->notesShown() - kEppRoom);
    setClientSize(404, kHeight + kNoteHeight * std::max(mail, epp));
}

void TSetupDlg::done(int result)
{
    if (result == Accepted && !Epp->keyAccepted()) {
        m_tabs->setCurrentWidget(Epp);
        Epp->EppKeyEdit->setFocus();
        return;
    }
    TGradientForm::done(result);
}

void TSetupDlg::setValues(const SetupValues &values)
{
    m_given = values;
    const MailSettings &mail = values.mail;
    ServerEdit->setText(mail.server);
    UserAddressEdit->setText(mail.senderAddress);
    UserNameEdit->setText(mail.senderName);
    mailto->setText(mail.mailto);
    SecurityCombo->setCurrentText(SmtpSecurity::Name(mail.security));
    LoginNameEdit->setText(mail.userName);
    PasswordEdit->setText(mail.password);
    WhoIsServerEdit->setText(values.whoisServer);
    LookUpWithCombo->setCurrentText(LookUpSettings::name(values.lookUp.protocol));
    CheckNetworkBox->setChecked(values.checkNetwork);
    Epp->setValues(values.epp);
}

SetupValues TSetupDlg::values() const
{
    SetupValues values = m_given;
    MailSettings &mail = values.mail;
    mail.server = ServerEdit->text();
    mail.senderAddress = UserAddressEdit->text();
    mail.senderName = UserNameEdit->text();
    mail.mailto = mailto->text();
    mail.security = SmtpSecurity::FromName(SecurityCombo->currentText());
    mail.userName = LoginNameEdit->text();
    mail.password = PasswordEdit->text();
    // An unknown password left empty stays unknown, so nothing replaces it; one typed is known.
    if (!mail.password.isEmpty())
        mail.passwordWithheld.clear();
    values.whoisServer = WhoIsServerEdit->text();
    values.lookUp.protocol = LookUpSettings::fromName(LookUpWithCombo->currentText());
    values.checkNetwork = CheckNetworkBox->isChecked();
    values.epp = Epp->values(m_given.epp);
    return values;
}
