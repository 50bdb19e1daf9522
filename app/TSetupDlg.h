#pragma once
#include "TGradientForm.h"

class QLineEdit;

// The "Setup" dialog: SMTP server, the user's address and name, and the
// mailbox registrations go to.
class TSetupDlg : public TGradientForm {
    Q_OBJECT
public:
    explicit TSetupDlg(QWidget *owner);

    QLineEdit *ServerEdit;
    QLineEdit *UserAddressEdit;
    QLineEdit *UserNameEdit;
    QLineEdit *mailto;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
