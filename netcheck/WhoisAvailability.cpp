#include "WhoisAvailability.h"

namespace {

LookUpSettings overWhois()
{
    LookUpSettings s;
    s.protocol = LookUpSettings::Protocol::Whois;
    return s;
}

} // namespace

WhoisAvailability::WhoisAvailability(const QString &server, const LookUpOptions &options, QObject *parent)
    : RegistrationLookup(parent), m_job(server, overWhois(), options)
{
    connect(&m_job, &WhoisJob::done, this, &RegistrationLookup::answered);
}

void WhoisAvailability::start(const QString &asciiName)
{
    m_job.start(asciiName);
}

void WhoisAvailability::cancel()
{
    m_job.abort();
}
