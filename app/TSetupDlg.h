#pragma once
#include "SetupSettings.h"
#include "TGradientForm.h"

class EppSetupPage;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QTabWidget;

// The "Setup" dialog: SMTP server, the user's address and name, the
// mailbox registrations go to, how to reach a server that wants encryption
// and a login, how the WhoIs page looks names up (the server it asks), and
// whether a record is checked with the network before it is mailed; below
// them, how the registry is reached over EPP.
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
    // "WHOIS" or "RDAP"; RDAP finds its servers itself, so the WhoIs server rests.
    QComboBox *LookUpWithCombo;
    QLineEdit *WhoIsServerEdit;
    QCheckBox *CheckNetworkBox;
    // Under the password: why it is not shown, or that the settings file keeps it.
    QLabel *KeyringNote;

    // How the review pages reach the registry: the dialog's second page.
    EppSetupPage *Epp;

    // An empty note hides the row.
    void showKeyringNote(const QString &note);
    void showEppKeyringNote(const QString &note);

    // OK is refused while the EPP key file will not do.
    void done(int result) override;

private:
    // What the dialog was opened with; values() keeps what it does not show.
    SetupValues m_given;
    QFormLayout *m_form;
    QTabWidget *m_tabs;
    // The client height for the notes on show.
    void fitHeight();

signals:
    // F1 in the dialog: the topic of its fields.
    void helpRequested(int context);
};
