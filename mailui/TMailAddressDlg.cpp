#include "TMailAddressDlg.h"

#include "msdef.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TMailAddressDlg::TMailAddressDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Address"));
    setFixedSize(240, 124);

    auto *bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 8, 224, 74);

    auto *nameLabel = new QLabel(QStringLiteral("Name"), this);
    nameLabel->setGeometry(16, 20, 50, 16);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("NameEdit"));
    m_nameEdit->setGeometry(72, 16, 152, 22);
    m_nameEdit->setMaxLength(MailTextMax);
    nameLabel->setBuddy(m_nameEdit);

    auto *addressLabel = new QLabel(QStringLiteral("Address"), this);
    addressLabel->setGeometry(16, 52, 50, 16);
    m_addressEdit = new QLineEdit(this);
    m_addressEdit->setObjectName(QStringLiteral("AddressEdit"));
    m_addressEdit->setGeometry(72, 48, 152, 22);
    m_addressEdit->setMaxLength(MailTextMax);
    addressLabel->setBuddy(m_addressEdit);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setGeometry(76, 90, 75, 25);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    // Escape rejects a QDialog, which is what a cancel button does.
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    m_cancelButton->setGeometry(157, 90, 75, 25);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_nameEdit, m_addressEdit);
    setTabOrder(m_addressEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    m_nameEdit->setFocus();
}

void TMailAddressDlg::SetAddress(const TmsMailAddress &address)
{
    m_address.Assign(address);
    m_nameEdit->setText(address.Name());
    m_addressEdit->setText(address.Address());
}

void TMailAddressDlg::accept()
{
    m_address.SetName(m_nameEdit->text());
    m_address.SetAddress(m_addressEdit->text());
    QDialog::accept();
}

bool TMailAddressDlg::Edit(TmsMailAddress &address, QWidget *parent)
{
    TMailAddressDlg dialog(parent);
    dialog.SetAddress(address);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    address.Assign(dialog.Address());
    return true;
}
