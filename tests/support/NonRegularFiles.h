#pragma once
// Files that are not what a reader expects: a named pipe and a link to
// /dev/zero. A reader that opens the pipe without care waits for ever for a
// writer; PipeRelease plays that writer after a while, so such a reader fails
// the test instead of hanging it.
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

enum class SpecialKind { Pipe, ZeroLink };

inline bool makeSpecialFile(SpecialKind kind, const QString &path)
{
    const QByteArray p = QFile::encodeName(path);
    if (kind == SpecialKind::Pipe)
        return ::mkfifo(p.constData(), 0600) == 0;
    return ::symlink("/dev/zero", p.constData()) == 0;
}

class PipeRelease {
public:
    PipeRelease(const QString &path, std::chrono::milliseconds after)
        : m_path(QFile::encodeName(path)), m_thread([this, after] { run(after); })
    {
    }
    ~PipeRelease()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    // Whether a reader was found waiting and had to be released.
    bool released() const { return m_released; }

private:
    void run(std::chrono::milliseconds after)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, after, [this] { return m_done; }))
            return;
        // Succeeds only while a reader has the pipe open (or waits to).
        const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            m_released = true;
            ::close(fd);
        }
    }

    QByteArray m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};
