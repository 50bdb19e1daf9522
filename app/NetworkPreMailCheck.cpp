#include "NetworkPreMailCheck.h"

#include "NetworkCheck.h"

std::unique_ptr<PreMailCheck> makeNetworkPreMailCheck()
{
    // No availability look-up yet: the registration question is not asked.
    return std::make_unique<NetworkPreMailCheck>(std::make_unique<NetworkCheck>());
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
