#pragma once
// Composes a message into a file on a thread of its own, so that sending can
// begin while composing goes on. The thread works on a copy of the message
// taken at the start, and it alone touches the file until composing has ended.
#include "msdef.h"

#include <QtGlobal>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

class QFile;
class TmsMessage;

class TBackgroundComposer {
public:
    struct State {
        qint64 bytes = 0;      // composed so far; the whole text once finished
        bool finished = false; // composing has ended, well or not
    };

    // Starts composing message into file, which must be empty. The reserved
    // headers leave the message's extra headers at once, as composing does.
    TBackgroundComposer(TmsMessage &message, QFile &file, TBodyTransport transport = TBodyTransport::SevenBit);
    // Stops composing at its next write and waits for the thread.
    ~TBackgroundComposer();
    TBackgroundComposer(const TBackgroundComposer &) = delete;
    TBackgroundComposer &operator=(const TBackgroundComposer &) = delete;

    // Waits at most ms milliseconds until at least `bytes` bytes are composed
    // or composing has ended.
    State Wait(qint64 bytes, int ms);
    // Throws what made composing fail, once it has ended so.
    void ThrowIfFailed();

private:
    void Run();
    // Called by the thread after each write that reached the file; false once stopping.
    bool Published(qint64 bytes);

    std::unique_ptr<TmsMessage> m_message;
    QFile &m_file;
    TBodyTransport m_transport;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state;
    std::exception_ptr m_failure;
    bool m_stopping = false;
    std::thread m_thread;
};
