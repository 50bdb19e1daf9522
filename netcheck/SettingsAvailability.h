#pragma once
// Whether a domain is registered, asked the way the settings file's [Setup]
// section says at the moment of asking (RDAP or WHOIS, and the WhoIs
// server), so that a change made in Setup counts at the next check.
#include "LookUpOptions.h"
#include "NetworkCheck.h"

#include <QList>
#include <QSslCertificate>

class SettingsAvailability : public RegistrationLookup {
    Q_OBJECT
public:
    struct Options {
        LookUpOptions waits;
        // Authorities trusted for RDAP besides the system's (a closed network's own).
        QList<QSslCertificate> extraCaCertificates;
    };

    explicit SettingsAvailability(QString settingsPath, Options options = {}, QObject *parent = nullptr);
    ~SettingsAvailability() override;

    void start(const QString &asciiName) override;
    void cancel() override;

private:
    QString m_settingsPath;
    Options m_options;
    RegistrationLookup *m_current = nullptr;
};
