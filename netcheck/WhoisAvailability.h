#pragma once
// Whether a domain is registered, asked over WHOIS as the WhoIs page asks,
// referrals included; the job's outcome is the registry's own word on it.
#include "LookUpOptions.h"
#include "NetworkCheck.h"
#include "WhoisJob.h"

class WhoisAvailability : public RegistrationLookup {
    Q_OBJECT
public:
    // `server`: asked first, "NAME" or "NAME:PORT".
    explicit WhoisAvailability(const QString &server, const LookUpOptions &options = {}, QObject *parent = nullptr);

    void start(const QString &asciiName) override;
    void cancel() override;

private:
    WhoisJob m_job;
};
