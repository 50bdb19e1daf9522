#pragma once
// Whether a domain is registered, asked over RDAP as the WhoIs page asks:
// the registry's 404 means free, its domain record means taken, and the
// record's registrar is named when it names one.
#include "NetworkCheck.h"
#include "RdapLookup.h"

class RdapAvailability : public RegistrationLookup {
    Q_OBJECT
public:
    explicit RdapAvailability(RdapLookup::Options options, QObject *parent = nullptr);

    void start(const QString &asciiName) override;
    void cancel() override;

private:
    void report(const LookUpOutcome &outcome);

    RdapLookup m_lookup;
    quint64 m_run = 0;
};
