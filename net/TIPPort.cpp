#include "TIPPort.h"

#include "SocketMessageEvent.h"

namespace {

// The hidden object socket messages are delivered to. Nothing thrown while
// handling one may leave through the event loop, so it goes to OnError.
class NotifyWindow : public QObject {
public:
    explicit NotifyWindow(TIPPort *owner) : QObject(owner), m_owner(owner) {}

    bool event(QEvent *e) override
    {
        if (e->type() != SocketMessageEvent::EventType())
            return QObject::event(e);
        const auto *message = static_cast<SocketMessageEvent *>(e);
        if (message->Message != CIPPort::SocketMessage)
            return true;
        try {
            m_owner->HandleSocketMessage(message->Socket, message->LParam);
        } catch (const Exception &error) {
            Report(error.Message());
        } catch (const std::exception &error) {
            Report(QString::fromLocal8Bit(error.what()));
        }
        return true;
    }

private:
    void Report(const QString &text)
    {
        if (m_owner->OnError)
            m_owner->OnError(m_owner, m_owner->LastErrorCode(), text);
    }

    TIPPort *m_owner;
};

} // namespace

TIPPort::TIPPort(QObject *parent) : CIPPort(parent), m_notifyWindow(new NotifyWindow(this))
{
    SetNotifyWindow(m_notifyWindow);
}

TIPPort::~TIPPort() = default;

std::exception_ptr TIPPort::CreateError(int code, const QString &text)
{
    return std::make_exception_ptr(EIPPort(code, text));
}
