#include "TBackgroundWrite.h"

#include "Exception.h"

#include <QIODevice>

TBackgroundWrite::TBackgroundWrite(QIODevice &out) : m_out(out), m_thread(&TBackgroundWrite::Run, this) {}

TBackgroundWrite::~TBackgroundWrite()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void TBackgroundWrite::Start(QByteArray &buffer, qsizetype size)
{
    Wait();
    {
        std::lock_guard lock(m_mutex);
        m_bytes.swap(buffer);
        m_size = size;
        m_pending = true;
    }
    m_changed.notify_all();
}

void TBackgroundWrite::Wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending; });
    if (m_failed) {
        m_failed = false;
        throw EInOutError(m_failure, 0);
    }
}

void TBackgroundWrite::Run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending)
            return;
        lock.unlock();
        const bool failed = m_out.write(m_bytes.constData(), m_size) != m_size;
        const QString failure = failed ? m_out.errorString() : QString();
        lock.lock();
        m_failed = failed;
        m_failure = failure;
        m_pending = false;
        m_changed.notify_all();
    }
}
