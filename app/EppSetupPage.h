#pragma once
// The setup dialog's "EPP" page: how the review pages reach the registry.
// The client's certificate and key are chosen as files; a key file others
// can read is refused, its reason shown under the field. Test greets the
// server with what the fields hold and says what it answered, while the
// dialog goes on working.
#include "SetupSettings.h"

#include <QWidget>
#include <QPointer>

class EppHelloJob;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class EppSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit EppSetupPage(QWidget *parent);
    ~EppSetupPage() override;

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
    QPushButton *EppTestButton;
    QLabel *EppTestResult;
    QLineEdit *EppClientIdEdit;
    QLineEdit *EppPasswordEdit;
    QLabel *EppKeyringNote;
    QLineEdit *EppCertificateEdit;
    QLineEdit *EppKeyEdit;
    QLabel *EppKeyNote;
    QLineEdit *EppCaFileEdit;

signals:
    // A note was shown or hidden: the dialog's height changes.
    void notesChanged();

private:
    QLineEdit *field(const char *name, const char *hint);
    void addRow(const char *label, QLineEdit *edit, QWidget *beside = nullptr);
    // A file field with its chooser button; `what` names the file in the chooser.
    QLineEdit *addFileRow(const char *name, const char *label, const char *hint, const QString &what);
    QLabel *addNote(const char *name);
    void setNote(QLabel *note, const QString &text);
    // Starts the greeting, or stops the one running.
    void test();

    QFormLayout *m_form;
    QPointer<EppHelloJob> m_hello;
};
