#pragma once
// Modal editor of one address: name and mailbox.
#include "TmsMailAddress.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

class TMailAddressDlg : public QDialog {
    Q_OBJECT
public:
    explicit TMailAddressDlg(QWidget *parent = nullptr);

    // Shows the dialog with the address's values; on OK copies them back.
    static bool Edit(TmsMailAddress &address, QWidget *parent = nullptr);

    TmsMailAddress &Address() { return m_address; }
    void SetAddress(const TmsMailAddress &address);
    void accept() override;

private:
    TmsMailAddress m_address;
    QLineEdit *m_nameEdit;
    QLineEdit *m_addressEdit;
    QPushButton *m_okButton;
    QPushButton *m_cancelButton;
};
