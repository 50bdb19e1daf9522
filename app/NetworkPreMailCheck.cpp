#include "NetworkPreMailCheck.h"

#include "NetworkCheck.h"
#include "SettingsAvailability.h"

std::unique_ptr<PreMailCheck> makeNetworkPreMailCheck(const QString &settingsPath)
{
    return std::make_unique<NetworkPreMailCheck>(
        std::make_unique<NetworkCheck>(std::make_unique<SettingsAvailability>(settingsPath)));
}

NetworkPreMailCheck::NetworkPreMailCheck(std::unique_ptr<NetworkCheck> check) : m_check(std::move(check))
{
    connect(m_check.get(), &NetworkCheck::progress, this, &PreMailCheck::progress);
    connect(m_check.get(), &NetworkCheck::finished, this, &PreMailCheck::finished);
}

NetworkPreMailCheck::~NetworkPreMailCheck() = default;

void NetworkPreMailCheck::start(const IFields &fields, RecordKind kind)
{
    m_check->start(networkCheckRequest(fields, kind));
}

void NetworkPreMailCheck::cancel()
{
    m_check->cancel();
}
