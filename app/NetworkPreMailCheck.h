#pragma once
// The check before mailing that asks the network, as the window builds it.
#include "PreMailCheck.h"

#include <functional>
#include <memory>

class NetworkCheck;

using PreMailCheckFactory = std::function<std::unique_ptr<PreMailCheck>()>;

// The network check with the look-ups it asks; the one place they are chosen.
// Availability is asked as the settings file says when each check starts.
std::unique_ptr<PreMailCheck> makeNetworkPreMailCheck(const QString &settingsPath);

// A NetworkCheck behind the mail workflow's check seam.
class NetworkPreMailCheck : public PreMailCheck {
    Q_OBJECT
public:
    explicit NetworkPreMailCheck(std::unique_ptr<NetworkCheck> check);
    ~NetworkPreMailCheck() override;

    void start(const IFields &fields, RecordKind kind) override;
    void cancel() override;

private:
    std::unique_ptr<NetworkCheck> m_check;
};
