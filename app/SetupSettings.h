#pragma once
// The "Setup" section of the settings file: read at start-up, changed by the
// setup dialog, written when the dialog is accepted and when the main window
// closes. A send reads the mail part when it starts; the WhoIs page asks the
// server named here. The passwords of the SMTP login and of the EPP client
// live in the desktop keyring when there is one; a keyring that holds one
// back leaves it unknown, never empty.
#include "EppSetup.h"
#include "LookUpSettings.h"
#include "MailSettings.h"
#include "PasswordKeeper.h"

#include <QObject>

class IniDocument;

struct SetupValues {
    MailSettings mail;
    QString whoisServer;
    LookUpSettings lookUp;
    // Asks the network about a record before it is mailed; off, no query leaves.
    bool checkNetwork = true;
    EppSetup epp;
};

class SetupSettings : public QObject {
    Q_OBJECT
public:
    // `path`: the settings file, which also names the keyring entry.
    explicit SetupSettings(const QString &path);

    const SetupValues &values() const { return m_values; }
    static QString defaultWhoisServer();

    // Start-up: the section as stored, a missing key empty.
    void read(const IniDocument &file);
    // The setup dialog closed with OK: what it keeps of the typed texts.
    void change(const SetupValues &typed);
    // The section into the settings file, the rest of the file kept.
    void write();
    // What the last read() mended (control characters, line breaks), or empty.
    QString mendedNote() const { return m_mended; }
    // A password the keyring held back is asked for once more (it may have
    // been unlocked since).
    void askKeyringAgain();
    // What the setup dialog says under the password: why it is not shown, or
    // that the settings file keeps it; empty when the keyring keeps it.
    QString keyringNote();
    // The same for the EPP password.
    QString eppKeyringNote();

signals:
    // After read() and change().
    void changed();

private:
    // The keyring's answer into the password, or why there is none.
    void take(const std::optional<QString> &loaded);
    void takeEpp(const std::optional<QString> &loaded);
    // The EPP keys in the order they are written, those in use or stored.
    void writeEpp(const IniDocument &stored, std::vector<std::pair<QString, QString>> &values, QString &filePassword);

    QString m_path;
    PasswordKeeper m_passwords;
    PasswordKeeper m_eppPasswords;
    SetupValues m_values;
    QString m_mended;
};
