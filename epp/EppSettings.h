#pragma once
// What a session with the registry needs, read from [Setup]: the server, the
// login, the client certificate and the way name servers are sent.
#include <QList>
#include <QSslCertificate>
#include <QString>

class IniDocument;

struct EppSettings {
    // Host objects are what gTLD registries use; some registries' policy
    // wants the glue addresses inside the domain instead.
    enum class HostMode { Objects, Attributes };

    QString server;       // "host" or "host:port"; port 700 unless named
    QString clientId;
    QString password;
    QString certificate;  // PEM file of the client certificate, or empty
    QString key;          // PEM file of its key (owner-only)
    QString caFile;       // PEM file of authorities trusted besides the system's
    HostMode hosts = HostMode::Objects;
    QList<QSslCertificate> extraCa; // more authorities (zandolet-cli --cacert)
    int commandTimeoutMs = 30000;   // each command's answer
    QString invalid;                // a value read that cannot be used, as a problem; empty when none

    // [Setup] of `ini`; the password as the file holds it.
    static EppSettings fromIni(const IniDocument &ini);
    // [Setup] of the settings file, the password from the desktop keyring
    // (the `EPP Password` key only where no keyring service exists). When the
    // keyring holds the password back, `withheld` says why ("the keyring is
    // locked") and the password stays empty.
    static EppSettings read(const QString &settingsPath, QString *withheld = nullptr);
    // The keyring entry of the EPP password of a settings file; the window
    // saves the password under it.
    static QString keyringEntry(const QString &settingsPath);

    static constexpr quint16 DefaultPort = 700;
};
