#include "RdapAvailability.h"

#include "RegistrarLine.h"

RdapAvailability::RdapAvailability(RdapLookup::Options options, QObject *parent)
    : RegistrationLookup(parent), m_lookup(std::move(options))
{
    connect(&m_lookup, &RdapLookup::answerLines, this, [this](const QStringList &lines) {
        // The registry's record is enough; the registrar's own is not fetched.
        const QString registrar = registrarNamed(lines);
        m_lookup.abort();
        report([this, registrar] { emit answered(true, registrar); });
    });
    connect(&m_lookup, &RdapLookup::errorLine, this, [this](const QString &line) {
        if (line == QStringLiteral("No match for %1.").arg(m_name))
            report([this] { emit answered(false, {}); });
        else
            report([this, line] { emit failed(line); });
    });
}

void RdapAvailability::start(const QString &asciiName)
{
    cancel();
    m_name = asciiName;
    m_lookup.start(asciiName);
}

void RdapAvailability::cancel()
{
    ++m_run;
    m_lookup.abort();
}

// From the event loop, so that whoever hears it may end or delete this look-up.
void RdapAvailability::report(std::function<void()> signal)
{
    QMetaObject::invokeMethod(
        this, [this, r = ++m_run, signal = std::move(signal)] {
            if (m_run == r)
                signal();
        },
        Qt::QueuedConnection);
}
