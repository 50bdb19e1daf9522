#pragma once
// Whether a domain is registered, asked over RDAP as the WhoIs page asks:
// the registry's "not found" means free, any domain record means taken, and
// the record's registrar is named when it names one.
#include "NetworkCheck.h"
#include "RdapLookup.h"

#include <functional>

class RdapAvailability : public RegistrationLookup {
    Q_OBJECT
public:
    explicit RdapAvailability(RdapLookup::Options options, QObject *parent = nullptr);

    void start(const QString &asciiName) override;
    void cancel() override;

private:
    void report(std::function<void()> signal);

    RdapLookup m_lookup;
    QString m_name;
    quint64 m_run = 0;
};
