#pragma once
// The setup dialog's "EPP" page: how the review pages reach the registry.
// The client's certificate and key are chosen as files; a key file others
// can read is refused, its reason shown under the field.
#include "SetupSettings.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

class EppSetupGroup : public QWidget {
    Q_OBJECT
public:
    explicit EppSetupGroup(QWidget *parent);

    void setValues(const EppSetup &values);
    // What the fields hold over `given` (which keeps what the group does not show).
    EppSetup values(const EppSetup &given) const;
    // Under the password: why it is not shown, or that the settings file keeps it.
    void showKeyringNote(const QString &note);
    // Checks the key file again; false (the reason shown) when it will not do.
    bool keyAccepted();
    // The notes on show, each two lines high.
    int notesShown() const;

    QLineEdit *EppServerEdit;
    QLineEdit *EppClientIdEdit;
    QLineEdit *EppPasswordEdit;
    QLineEdit *EppCertificateEdit;
    QLineEdit *EppKeyEdit;
    QLineEdit *EppCaFileEdit;
    QLabel *EppKeyringNote;
    QLabel *EppKeyNote;

signals:
    // A note was shown or hidden: the dialog's height changes.
    void notesChanged();

private:
    QLineEdit *addRow(const char *name, const char *label, const char *hint);
    // A file field with its chooser button; `what` names the file in the chooser.
    QLineEdit *addFileRow(const char *name, const char *label, const char *hint, const QString &what);
    void setNote(QLabel *note, const QString &text);

    class QFormLayout *m_form;
};
