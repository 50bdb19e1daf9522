// Placeholder so that the window can be wired while the checks are written;
// replaced by the real check on its own branch.
#include "NetworkCheck.h"

#include <QTimer>

struct NetworkCheck::State {
    bool running = false;
};

NetworkCheckRequest networkCheckRequest(const IFields &, RecordKind kind)
{
    NetworkCheckRequest r;
    r.kind = kind;
    return r;
}

NetworkCheck::NetworkCheck(std::unique_ptr<RegistrationLookup>, NetworkCheckLimits, QObject *parent)
    : QObject(parent), m_state(std::make_unique<State>())
{
}

NetworkCheck::~NetworkCheck() = default;

void NetworkCheck::start(const NetworkCheckRequest &)
{
    m_state->running = true;
    emit progress(QStringLiteral("Asking the network"));
    QTimer::singleShot(1500, this, [this] {
        if (!m_state->running)
            return;
        m_state->running = false;
        emit finished({});
    });
}

void NetworkCheck::cancel() { m_state->running = false; }

bool NetworkCheck::running() const { return m_state->running; }
