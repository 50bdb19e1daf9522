#include "EppSetupGroup.h"

#include "Latin1Guard.h"
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
}

EppSetupGroup::EppSetupGroup(QWidget *parent) : QWidget(parent), m_form(new QFormLayout(this))
{
    setObjectName(QStringLiteral("EppPage"));
    setToolTip(QStringLiteral("How Send to Registry reaches your registry over EPP."));
    EppServerEdit = addRow("EppServerEdit", "Server", "Your registry's EPP server: host or host:port (port 700 unless named).");
    EppClientIdEdit = addRow("EppClientIdEdit", "Client ID", "The client identifier the registry gave you.");
    EppPasswordEdit = addRow("EppPasswordEdit", "Password", "The password of that client identifier.");
    EppPasswordEdit->setEchoMode(QLineEdit::Password);
    EppKeyringNote = new QLabel(this);
    EppKeyringNote->setObjectName(QStringLiteral("EppKeyringNote"));
    EppKeyringNote->setWordWrap(true);
    EppKeyringNote->setMinimumHeight(2 * fontMetrics().lineSpacing() + 2);
    m_form->addRow(static_cast<QWidget *>(nullptr), EppKeyringNote);
    m_form->setRowVisible(EppKeyringNote, false);
    EppCertificateEdit = addFileRow("EppCertificateEdit", "Certificate",
                                    "Your client certificate (PEM), if the registry asks for one.",
                                    QStringLiteral("client certificate"));
    EppKeyEdit = addFileRow("EppKeyEdit", "Key", "The private key of that certificate (PEM), readable by you alone.",
                            QStringLiteral("private key"));
    EppKeyNote = new QLabel(this);
    EppKeyNote->setObjectName(QStringLiteral("EppKeyNote"));
    EppKeyNote->setWordWrap(true);
    EppKeyNote->setMinimumHeight(2 * fontMetrics().lineSpacing() + 2);
    m_form->addRow(static_cast<QWidget *>(nullptr), EppKeyNote);
    m_form->setRowVisible(EppKeyNote, false);
    EppCaFileEdit = addFileRow("EppCaFileEdit", "CA file",
                               "The authorities (PEM) that vouch for the registry's server; empty: the system's.",
                               QStringLiteral("certificate authorities"));
    // A key is judged as soon as it is chosen or typed.
    connect(EppKeyEdit, &QLineEdit::textChanged, this, [this] { keyAccepted(); });
}

QLineEdit *EppSetupGroup::addRow(const char *name, const char *label, const char *hint)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(QLatin1String(hint));
    edit->setProperty("helpContext", kHelp);
    guardLatin1(edit);
    auto *text = new QLabel(QLatin1String(label), this);
    text->setBuddy(edit);
    text->setProperty("helpContext", kHelp);
    m_form->addRow(text, edit);
    return edit;
}

QLineEdit *EppSetupGroup::addFileRow(const char *name, const char *label, const char *hint, const QString &what)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(QLatin1String(hint));
    edit->setProperty("helpContext", kHelp);
    auto *choose = new QPushButton(QStringLiteral("Choose…"), this);
    choose->setObjectName(QString::fromLatin1(name).replace(QLatin1String("Edit"), QLatin1String("Choose")));
    choose->setAccessibleName(QStringLiteral("Choose the %1 file").arg(what));
    choose->setToolTip(QStringLiteral("Chooses the %1 file.").arg(what));
    choose->setAutoDefault(false);
    connect(choose, &QPushButton::clicked, this, [this, edit, what] {
        const QString start = edit->text().isEmpty() ? QString() : QFileInfo(edit->text()).absolutePath();
        const QString chosen = QFileDialog::getOpenFileName(
            this, QStringLiteral("The %1 file").arg(what), start,
            QStringLiteral("PEM files (*.pem *.crt *.cer *.key);;All files (*)"));
        if (!chosen.isEmpty())
            edit->setText(chosen);
    });
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit, 1);
    row->addWidget(choose);
    auto *text = new QLabel(QLatin1String(label), this);
    text->setBuddy(edit);
    text->setProperty("helpContext", kHelp);
    m_form->addRow(text, row);
    return edit;
}

void EppSetupGroup::setNote(QLabel *note, const QString &text)
{
    const bool changed = note->text() != text;
    note->setText(text);
    m_form->setRowVisible(note, !text.isEmpty());
    if (changed)
        emit notesChanged();
}

int EppSetupGroup::notesShown() const
{
    return !EppKeyringNote->text().isEmpty() + !EppKeyNote->text().isEmpty();
}

void EppSetupGroup::showKeyringNote(const QString &note)
{
    setNote(EppKeyringNote, note);
}

bool EppSetupGroup::keyAccepted()
{
    const QString path = EppKeyEdit->text().trimmed();
    setNote(EppKeyNote, path.isEmpty() ? QString() : PrivateKeyFile::problem(path));
    return EppKeyNote->text().isEmpty();
}

void EppSetupGroup::setValues(const EppSetup &values)
{
    EppServerEdit->setText(values.server);
    EppClientIdEdit->setText(values.clientId);
    EppPasswordEdit->setText(values.password);
    EppCertificateEdit->setText(values.certificate);
    EppKeyEdit->setText(values.key);
    EppCaFileEdit->setText(values.caFile);
}

EppSetup EppSetupGroup::values(const EppSetup &given) const
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
