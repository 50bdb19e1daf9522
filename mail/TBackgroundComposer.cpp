#include "TBackgroundComposer.h"

#include "Exception.h"
#include "TmsMessage.h"
#include "TmsMessageEncoder.h"

#include <QFile>
#include <chrono>
#include <functional>

namespace {

// The composer's output: each write goes through to the file before it counts.
class TPublishingDevice : public QIODevice {
public:
    TPublishingDevice(QFile &file, const std::function<bool(qint64)> &published)
        : m_file(file), m_published(published)
    {
        open(QIODevice::WriteOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_file.write(data, size) != size || !m_file.flush()) {
            setErrorString(m_file.errorString());
            return -1;
        }
        if (!m_published(size)) {
            setErrorString(QStringLiteral("Composing stopped"));
            return -1;
        }
        return size;
    }

private:
    QFile &m_file;
    std::function<bool(qint64)> m_published;
};

} // namespace

TBackgroundComposer::TBackgroundComposer(TmsMessage &message, QFile &file, TBodyTransport transport)
    : m_message(std::make_unique<TmsMessage>()), m_file(file), m_transport(transport)
{
    TmsMessageEncoder::RemoveReservedHeaders(message.Headers());
    m_message->Assign(message);
    m_thread = std::thread(&TBackgroundComposer::Run, this);
}

TBackgroundComposer::~TBackgroundComposer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_thread.join();
}

TBackgroundComposer::State TBackgroundComposer::Wait(qint64 bytes, int ms)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms),
                       [&] { return m_state.finished || m_state.bytes >= bytes; });
    return m_state;
}

void TBackgroundComposer::ThrowIfFailed()
{
    std::lock_guard lock(m_mutex);
    if (m_state.finished && m_failure)
        std::rethrow_exception(m_failure);
}

bool TBackgroundComposer::Published(qint64 bytes)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return false;
        m_state.bytes += bytes;
    }
    m_changed.notify_all();
    return true;
}

void TBackgroundComposer::Run()
{
    std::exception_ptr failure;
    try {
        TPublishingDevice out(m_file, [this](qint64 bytes) { return Published(bytes); });
        TmsMessageEncoder(*m_message, out, m_transport).Encode();
    } catch (...) {
        failure = std::current_exception();
    }
    {
        std::lock_guard lock(m_mutex);
        m_failure = failure;
        m_state.finished = true;
    }
    m_changed.notify_all();
}
