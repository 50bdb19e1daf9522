#pragma once
// Writes one buffer at a time to a device on a thread of its own, so that
// the next buffer can be filled meanwhile. Only this thread touches the
// device between Start and the end of the following Wait.
#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

class QIODevice;

class TBackgroundWrite {
public:
    explicit TBackgroundWrite(QIODevice &out);
    // Waits for the write in flight; its failure is then lost.
    ~TBackgroundWrite();
    TBackgroundWrite(const TBackgroundWrite &) = delete;
    TBackgroundWrite &operator=(const TBackgroundWrite &) = delete;

    // Waits for the previous write, then starts writing the first size bytes
    // of buffer; buffer comes back holding the previous one, to be filled again.
    void Start(QByteArray &buffer, qsizetype size);
    // Waits for the write in flight; throws EInOutError when a write failed.
    void Wait();

private:
    void Run();

    QIODevice &m_out;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QByteArray m_bytes;
    qsizetype m_size = 0;
    bool m_pending = false;
    bool m_stopping = false;
    bool m_failed = false;
    QString m_failure;
    std::thread m_thread;
};
