#pragma once
#include "SetupSettings.h"
#include "TGradientForm.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;

// The "Setup" dialog: SMTP server, the user's address and name, the
// mailbox registrations go to, how to reach a server that wants encryption
// and a login, and the server the WhoIs page asks.
class TSetupDlg : public TGradientForm {
    Q_OBJECT
public:
    explicit TSetupDlg(QWidget *owner);

    // Fills the fields; values() is what they hold.
    void setValues(const SetupValues &values);
    SetupValues values() const;

    QLineEdit *ServerEdit;
    QLineEdit *UserAddressEdit;
    QLineEdit *UserNameEdit;
    QLineEdit *mailto;
    QComboBox *SecurityCombo;
    QLineEdit *LoginNameEdit;
    QLineEdit *PasswordEdit;
    QLineEdit *WhoIsServerEdit;
    // Under the password: no keyring answered, so the settings file keeps it.
    QLabel *KeyringNote;

    void showKeyringNote(bool show);

private:
    QFormLayout *m_form;

signals:
    // F1 in the dialog: the topic of its fields.
    void helpRequested(int context);
};
