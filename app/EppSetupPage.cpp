#include "EppSetupPage.h"

#include "EppJobs.h"
#include "Latin1Guard.h"
#include "LookUpText.h"
#include "PrivateKeyFile.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kHelp = 1031;

// What Test says of a greeting: the server's id and the objects it keeps, or why there was none.
QString greetingText(const EppOutcome &outcome)
{
    if (!outcome.succeeded())
        return visibleText(outcome.text());
    QStringList objects;
    for (const QString &uri : outcome.greeting.objects)
        objects << uri.section(QLatin1Char(':'), -1); // urn:ietf:params:xml:ns:domain-1.0
    return visibleText(QStringLiteral("%1 answers and keeps %2.")
                           .arg(outcome.greeting.serverId, objects.join(QStringLiteral(", "))));
}
} // namespace

EppSetupPage::EppSetupPage(QWidget *parent) : QWidget(parent), m_form(new QFormLayout(this))
{
    setObjectName(QStringLiteral("EppPage"));
    setToolTip(QStringLiteral("How Send to Registry reaches your registry over EPP."));
    EppServerEdit = field("EppServerEdit", "Your registry's EPP server: host or host:port (port 700 unless named).");
    EppTestButton = new QPushButton(QStringLiteral("&Test"), this);
    EppTestButton->setObjectName(QStringLiteral("EppTestButton"));
    EppTestButton->setToolTip(QStringLiteral("Connects to the server, logs in and out, and says what it answered."));
    EppTestButton->setAutoDefault(false);
    connect(EppTestButton, &QPushButton::clicked, this, &EppSetupPage::test);
    addRow("Server", EppServerEdit, EppTestButton);
    EppTestResult = addNote("EppTestResult");
    EppClientIdEdit = field("EppClientIdEdit", "The client identifier the registry gave you.");
    addRow("Client ID", EppClientIdEdit);
    EppPasswordEdit = field("EppPasswordEdit", "The password of that client identifier.");
    EppPasswordEdit->setEchoMode(QLineEdit::Password);
    addRow("Password", EppPasswordEdit);
    EppKeyringNote = addNote("EppKeyringNote");
    EppCertificateEdit = addFileRow("EppCertificateEdit", "Certificate",
                                    "Your client certificate (PEM), if the registry asks for one.",
                                    QStringLiteral("client certificate"));
    EppKeyEdit = addFileRow("EppKeyEdit", "Key", "The private key of that certificate (PEM), readable by you alone.",
                            QStringLiteral("private key"));
    EppKeyNote = addNote("EppKeyNote");
    EppCaFileEdit = addFileRow("EppCaFileEdit", "CA file",
                               "The authorities (PEM) that vouch for the registry's server; empty: the system's.",
                               QStringLiteral("certificate authorities"));
    // A key is judged as soon as it is chosen or typed.
    connect(EppKeyEdit, &QLineEdit::textChanged, this, [this] { keyAccepted(); });
}

EppSetupPage::~EppSetupPage()
{
    if (m_hello) {
        m_hello->disconnect(this);
        m_hello->cancel();
    }
}

QLineEdit *EppSetupPage::field(const char *name, const char *hint)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(QLatin1String(hint));
    edit->setProperty("helpContext", kHelp);
    guardLatin1(edit);
    return edit;
}

void EppSetupPage::addRow(const char *label, QLineEdit *edit, QWidget *beside)
{
    auto *text = new QLabel(QLatin1String(label), this);
    text->setBuddy(edit);
    text->setProperty("helpContext", kHelp);
    if (!beside) {
        m_form->addRow(text, edit);
        return;
    }
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit, 1);
    row->addWidget(beside);
    m_form->addRow(text, row);
}

QLabel *EppSetupPage::addNote(const char *name)
{
    auto *note = new QLabel(this);
    note->setObjectName(QLatin1String(name));
    note->setWordWrap(true);
    // Two lines; a fixed-size dialog would squeeze a wrapped label.
    note->setMinimumHeight(2 * fontMetrics().lineSpacing() + 2);
    m_form->addRow(static_cast<QWidget *>(nullptr), note);
    m_form->setRowVisible(note, false);
    return note;
}

QLineEdit *EppSetupPage::addFileRow(const char *name, const char *label, const char *hint, const QString &what)
{
    QLineEdit *edit = field(name, hint);
    auto *choose = new QPushButton(QStringLiteral("Choose…"), this);
    choose->setObjectName(QString::fromLatin1(name).replace(QLatin1String("Edit"), QLatin1String("Choose")));
    choose->setAccessibleName(QStringLiteral("Choose the %1 file").arg(what));
    choose->setToolTip(QStringLiteral("Chooses the %1 file.").arg(what));
    choose->setAutoDefault(false);
    connect(choose, &QPushButton::clicked, this, [this, edit, what] {
        const QString start = edit->text().isEmpty() ? QString() : QFileInfo(edit->text()).absolutePath();
        const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("The %1 file").arg(what), start,
                                                            QStringLiteral("PEM files (*.pem *.crt *.cer *.key);;All files (*)"));
        if (!chosen.isEmpty())
            edit->setText(chosen);
    });
    addRow(label, edit, choose);
    return edit;
}

void EppSetupPage::setNote(QLabel *note, const QString &text)
{
    const bool changed = note->text().isEmpty() != text.isEmpty();
    note->setText(text);
    m_form->setRowVisible(note, !text.isEmpty());
    if (changed)
        emit notesChanged();
}

int EppSetupPage::notesShown() const
{
    int shown = 0;
    for (const QLabel *note : {EppTestResult, EppKeyringNote, EppKeyNote})
        shown += !note->text().isEmpty();
    return shown;
}

void EppSetupPage::showKeyringNote(const QString &note)
{
    setNote(EppKeyringNote, note);
}

bool EppSetupPage::keyAccepted()
{
    const QString path = EppKeyEdit->text().trimmed();
    setNote(EppKeyNote, path.isEmpty() ? QString() : PrivateKeyFile::problem(path));
    return EppKeyNote->text().isEmpty();
}

void EppSetupPage::test()
{
    if (m_hello) {
        m_hello->cancel();
        return;
    }
    const EppSettings settings = values({}).appliedTo({});
    m_hello = new EppHelloJob(settings, this);
    connect(m_hello, &EppJob::step, this, [this](const EppStep &step) { setNote(EppTestResult, visibleText(step.text())); });
    connect(m_hello, &EppJob::finished, this, [this](const EppOutcome &outcome) {
        m_hello->deleteLater();
        m_hello = nullptr;
        EppTestButton->setText(QStringLiteral("&Test"));
        setNote(EppTestResult, greetingText(outcome));
    });
    // A second press ends a greeting that takes too long.
    EppTestButton->setText(QStringLiteral("S&top"));
    m_hello->start();
}

void EppSetupPage::setValues(const EppSetup &values)
{
    EppServerEdit->setText(values.server);
    EppClientIdEdit->setText(values.clientId);
    EppPasswordEdit->setText(values.password);
    EppCertificateEdit->setText(values.certificate);
    EppKeyEdit->setText(values.key);
    EppCaFileEdit->setText(values.caFile);
}

EppSetup EppSetupPage::values(const EppSetup &given) const
{
    EppSetup epp = given;
    epp.server = EppServerEdit->text().trimmed();
    epp.clientId = EppClientIdEdit->text().trimmed();
    epp.password = EppPasswordEdit->text();
    // As for the SMTP password: an unknown one left empty stays unknown.
    if (!epp.password.isEmpty())
        epp.passwordWithheld.clear();
    epp.certificate = EppCertificateEdit->text().trimmed();
    epp.key = EppKeyEdit->text().trimmed();
    epp.caFile = EppCaFileEdit->text().trimmed();
    return epp;
}
