#include "RaceConnector.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <utility>

struct RaceConnector::Attempt {
    int fd;
    SockAddr address;
    std::unique_ptr<QSocketNotifier> writable;
};

RaceConnector::RaceConnector(QObject *parent) : QObject(parent)
{
    m_stagger.setSingleShot(true);
    m_stagger.setInterval(StaggerMs);
    connect(&m_stagger, &QTimer::timeout, this, &RaceConnector::StartNext);
}

RaceConnector::~RaceConnector()
{
    Abort();
}

QList<SockAddr> RaceConnector::Interleave(const QList<SockAddr> &addresses)
{
    if (addresses.isEmpty())
        return {};
    const int preferred = addresses.first().Family();
    QList<SockAddr> first, other, out;
    for (const SockAddr &a : addresses)
        (a.Family() == preferred ? first : other) << a;
    for (qsizetype i = 0; i < first.size() || i < other.size(); ++i) {
        if (i < first.size())
            out << first[i];
        if (i < other.size())
            out << other[i];
    }
    return out;
}

void RaceConnector::Start(const QList<SockAddr> &addresses, int firstFd, Prepare prepare, Done done)
{
    Abort();
    m_addresses = addresses;
    m_next = 0;
    m_firstFd = firstFd;
    m_firstError = 0;
    m_prepare = std::move(prepare);
    m_done = std::move(done);
    m_running = true;
    m_starting = true;
    StartNext();
    m_starting = false;
}

void RaceConnector::StartNext()
{
    while (m_running && m_next < m_addresses.size()) {
        const qsizetype index = m_next++;
        const SockAddr &address = m_addresses[index];
        const bool borrowed = index == 0 && m_firstFd >= 0;
        const int fd = borrowed ? m_firstFd
                                : m_calls.socket(address.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            // This machine may lack the family altogether: the next address goes at once.
            Failed(errno);
            continue;
        }
        auto attempt = std::make_unique<Attempt>(Attempt{fd, address, nullptr});
        const int prepared = borrowed || !m_prepare ? 0 : m_prepare(fd, address.Family());
        const int rc = prepared != 0 ? -1 : m_calls.connect(fd, address.Data(), address.Length());
        const int error = prepared != 0 ? prepared : (rc == 0 ? 0 : errno);
        if (rc == 0)
            return Finish(fd, address, 0);
        if (error != EINPROGRESS && error != EAGAIN) {
            CloseAttempt(*attempt);
            Failed(error);
            continue;
        }
        attempt->writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        connect(attempt->writable.get(), &QSocketNotifier::activated, this, [this, fd] { Writable(fd); });
        m_attempts.push_back(std::move(attempt));
        m_stagger.start();
        return;
    }
    if (m_running && m_attempts.empty())
        Finish(-1, {}, m_firstError);
}

void RaceConnector::Writable(int fd)
{
    const auto it = std::find_if(m_attempts.begin(), m_attempts.end(), [fd](const auto &a) { return a->fd == fd; });
    if (it == m_attempts.end())
        return;
    int error = 0;
    socklen_t length = sizeof error;
    if (m_calls.getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0)
        error = errno;
    if (error == 0) {
        const SockAddr address = (*it)->address;
        (*it)->writable.reset();
        m_attempts.erase(it); // the winner is not closed with the others
        return Finish(fd, address, 0);
    }
    CloseAttempt(**it);
    m_attempts.erase(it);
    Failed(error);
    m_stagger.stop();
    StartNext();
}

void RaceConnector::Failed(int error)
{
    if (m_firstError == 0)
        m_firstError = error != 0 ? error : ECONNREFUSED;
}

void RaceConnector::Finish(int fd, const SockAddr &address, int error)
{
    m_running = false;
    m_stagger.stop();
    for (auto &attempt : m_attempts)
        CloseAttempt(*attempt);
    m_attempts.clear();
    Done done = std::exchange(m_done, nullptr);
    if (!done)
        return;
    if (!m_starting)
        return done(fd, address, error);
    // Never from inside Start: the caller has not finished setting up.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, done, fd, address, error] {
        if (generation == m_generation)
            done(fd, address, error);
        else if (fd >= 0 && fd != m_firstFd)
            m_calls.close(fd);
    });
}

void RaceConnector::CloseAttempt(Attempt &attempt)
{
    attempt.writable.reset();
    if (attempt.fd >= 0 && attempt.fd != m_firstFd)
        m_calls.close(attempt.fd);
    attempt.fd = -1;
}

void RaceConnector::Abort()
{
    ++m_generation;
    m_running = false;
    m_stagger.stop();
    m_done = nullptr;
    for (auto &attempt : m_attempts)
        CloseAttempt(*attempt);
    m_attempts.clear();
}
