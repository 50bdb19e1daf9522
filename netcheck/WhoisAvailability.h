#pragma once
// Whether a domain is registered, asked over WHOIS as the WhoIs page asks,
// referrals included. Registries word "no such name" in many ways; an answer
// in one of those words means free, any other answer means taken, and its
// registrar line names the registrar.
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

    // Whether an answer says the registry has no such name.
    static bool saysNoMatch(const QStringList &answer);

private:
    void ended();

    WhoisJob m_job;
    QStringList m_answer;
    QString m_failure;
};
