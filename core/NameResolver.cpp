#include "NameResolver.h"

#include "WinsockErrno.h"

#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <cerrno>
#include <thread>

// Lets helper threads post an answer only while the resolver exists.
struct NameResolver::Gate {
    QMutex mutex;
    QObject *receiver = nullptr;
};

NameResolver::NameResolver(GetAddrInfoFn getAddrInfo)
    : m_getAddrInfo(getAddrInfo), m_receiver(std::make_unique<QObject>()), m_gate(std::make_shared<Gate>())
{
    m_gate->receiver = m_receiver.get();
}

NameResolver::~NameResolver()
{
    QMutexLocker lock(&m_gate->mutex);
    m_gate->receiver = nullptr;
}

void NameResolver::Abort()
{
    ++m_seq;
}

void NameResolver::Start(const QByteArray &name, Done done)
{
    const quint64 seq = ++m_seq;
    // The answer checks, on this thread, that it is still the one awaited.
    auto deliver = [this, seq, done = std::move(done)](const Answer &answer) {
        if (seq != m_seq)
            return;
        done(answer);
    };
    std::thread([gate = m_gate, getAddrInfo = m_getAddrInfo, name, deliver = std::move(deliver)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *list = nullptr;
        const int rc = getAddrInfo(name.constData(), nullptr, &hints, &list);
        Answer answer;
        answer.error = rc == 0 ? 0 : WinsockErrno::FromAddrInfo(rc, errno);
        for (const addrinfo *a = rc == 0 ? list : nullptr; a; a = a->ai_next) {
            const SockAddr address(a->ai_addr, a->ai_addrlen);
            if (!address.IsEmpty() && !answer.addresses.contains(address))
                answer.addresses << address;
        }
        if (list)
            freeaddrinfo(list);
        if (answer.error == 0 && answer.addresses.isEmpty())
            answer.error = 11004; // a name with no address of either family
        QMutexLocker lock(&gate->mutex);
        if (gate->receiver)
            QMetaObject::invokeMethod(gate->receiver, [deliver, answer] { deliver(answer); }, Qt::QueuedConnection);
    }).detach();
}
