#pragma once
// The "Setup" section of the settings file: read at start-up, changed by the
// setup dialog, written when the main window closes; nothing reaches the file
// in between. A send reads the mail part when it starts; the WhoIs page asks
// the server named here.
#include "MailSettings.h"

#include <QObject>

class IniDocument;

struct SetupValues {
    MailSettings mail;
    QString whoisServer;
};

class SetupSettings : public QObject {
    Q_OBJECT
public:
    const SetupValues &values() const { return m_values; }
    static QString defaultWhoisServer();

    // Start-up: the section as stored, a missing key empty.
    void read(const IniDocument &file);
    // The setup dialog closed with OK: what it keeps of the typed texts.
    void change(const SetupValues &typed);
    // Close: the section into the file at `path`, the rest of the file kept.
    void write(const QString &path) const;

signals:
    // After read() and change().
    void changed();

private:
    SetupValues m_values;
};
