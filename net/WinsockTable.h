#pragma once
// WinsockTable: the entry points of the socket library, resolved in ordinal
// order from a shared library loaded at run time. Each call is wrapped so a
// failure leaves its Winsock number for WSAGetLastError; while an entry is not
// resolved it answers like the unloaded library does.
#include "RaceConnector.h"
#include "SockAddr.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <bitset>
#include <map>
#include <memory>

struct WSAData;
class SocketNotices;
struct HostLookup;
class NameResolver;

class WinsockTable {
public:
    WinsockTable();
    ~WinsockTable();
    WinsockTable(const WinsockTable &) = delete;
    WinsockTable &operator=(const WinsockTable &) = delete;

    // Fills the entries in ordinal order from the library; false at the first
    // one it lacks, the entries before it keeping theirs.
    bool Resolve(void *library, const QString &libraryName);
    // Every entry answers as unloaded again.
    void Unresolve();

    // Returns SOCKET_ERROR (-1) or a null/empty result on failure.
    int Socket(int family, int type, int protocol);
    // Binds to the family's any-address and the port.
    int Bind(int s, int family, quint16 port);
    // The library's calls a connection race makes; false while any is missing.
    bool RaceCalls(RaceConnector::Calls &calls) const;
    // A race for socket s has ended with the Winsock number `error` (0: s is
    // connected): its connect notice follows, as after a connect of its own.
    void ConnectResult(int s, int error);
    int CloseSocket(int s);
    int Shutdown(int s, int how);
    int SetSockOpt(int s, int level, int option, const void *value, unsigned length);
    int GetSockOpt(int s, int level, int option, void *value, unsigned *length);
    // The bound address and port.
    int GetSockName(int s, SockAddr &address);
    int Recv(int s, char *buffer, int length, int flags);
    int Send(int s, const char *data, int length, int flags);
    // The address the text is written as: dotted IPv4 or IPv6; nothing for
    // other text, or while the library is not loaded.
    std::optional<SockAddr> InetAddr(const QByteArray &text);
    // The address in its text form; empty while the library is not loaded.
    QByteArray InetNtoa(const SockAddr &address);
    // Every address of the name, both families, in the order to try them;
    // events run while the answer is awaited. False on failure or when
    // WSACancelBlockingCall ended the wait.
    bool GetHostByName(const QByteArray &name, QList<SockAddr> &addresses);
    int GetHostName(char *buffer, int length);

    // Socket messages (message, socket, event | error << 16) go to window as
    // events; mask 0 stops them. Also makes the socket non-blocking.
    int WSAAsyncSelect(int s, QObject *window, int message, int mask);
    int WSAGetLastError() const;
    void WSASetLastError(int code);
    int WSACancelBlockingCall();
    bool WSAIsBlocking() const;
    int WSAStartup(quint16 version, WSAData &data);
    int WSACleanup();

private:
    template <typename Fn>
    Fn Entry(int index) const;
    bool Have(int index) const { return m_have.test(std::size_t(index)); }
    void Fail(int errnoValue);
    SocketNotices *NoticesFor(int s) const;
    void StopNotices(int s);

    static constexpr int EntryCount = 47;
    std::array<void *, EntryCount> m_entries{};
    std::bitset<EntryCount> m_have;
    QString m_libraryName;
    int m_lastError = 0;
    int m_startups = 0;
    std::map<int, SocketNotices *> m_notices;
    std::shared_ptr<HostLookup> m_blocking;
    std::unique_ptr<NameResolver> m_resolver;
};
