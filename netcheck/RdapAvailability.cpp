#include "RdapAvailability.h"

namespace {

// The registry's record is enough; the registrar's own is not fetched.
RdapLookup::Options registryOnly(RdapLookup::Options options)
{
    options.followRelated = false;
    return options;
}

} // namespace

RdapAvailability::RdapAvailability(RdapLookup::Options options, QObject *parent)
    : RegistrationLookup(parent), m_lookup(registryOnly(std::move(options)))
{
    connect(&m_lookup, &RdapLookup::done, this, [this](const LookUpOutcome &outcome) { report(outcome); });
}

void RdapAvailability::start(const QString &asciiName)
{
    cancel();
    m_lookup.start(asciiName);
}

void RdapAvailability::cancel()
{
    ++m_run;
    m_lookup.abort();
}

// From the event loop, so that whoever hears it may end or delete this look-up.
void RdapAvailability::report(const LookUpOutcome &outcome)
{
    QMetaObject::invokeMethod(
        this, [this, r = ++m_run, outcome] {
            if (m_run == r)
                emit answered(outcome);
        },
        Qt::QueuedConnection);
}
