#include "WinsockTable.h"

#include "NameResolver.h"
#include "WSAData.h"
#include "SocketNotices.h"
#include "WinsockErrno.h"

#include <QEventLoop>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// One row per entry point in the order the library is searched; symbol is
// what provides it here, null where the call is our own bookkeeping.
struct Row {
    int ordinal;
    const char *symbol;
};

constexpr Row Rows[] = {
    {1, "accept"},          {2, "bind"},           {3, "close"},            {4, "connect"},
    {5, "getpeername"},     {6, "getsockname"},    {7, "getsockopt"},       {8, "htonl"},
    {9, "htons"},           {10, "inet_addr"},     {11, "inet_ntop"},       {12, "ioctl"},
    {13, "listen"},         {14, "ntohl"},         {15, "ntohs"},           {16, "recv"},
    {17, "recvfrom"},       {18, "select"},        {19, "send"},            {20, "sendto"},
    {21, "setsockopt"},     {22, "shutdown"},      {23, "socket"},          {51, "getnameinfo"},
    {52, "getaddrinfo"},    {53, "getprotobyname"}, {54, "getprotobynumber"}, {55, "getservbyname"},
    {56, "getservbyport"},  {57, "gethostname"},   {101, "fcntl"},          {102, "getnameinfo"},
    {103, "getaddrinfo"},   {104, "getprotobynumber"}, {105, "getprotobyname"}, {106, "getservbyport"},
    {107, "getservbyname"}, {108, nullptr},        {109, nullptr},          {110, nullptr},
    {111, nullptr},         {112, nullptr},        {113, nullptr},          {114, nullptr},
    {115, nullptr},         {116, nullptr},        {151, nullptr},
};

int IndexOf(int ordinal)
{
    const auto it = std::find_if(std::begin(Rows), std::end(Rows), [ordinal](const Row &r) { return r.ordinal == ordinal; });
    return int(it - std::begin(Rows));
}

// Entry indexes of the calls the component makes.
const int IxBind = IndexOf(2), IxClose = IndexOf(3), IxConnect = IndexOf(4), IxGetSockName = IndexOf(6),
          IxGetSockOpt = IndexOf(7), IxInetAddr = IndexOf(10), IxInetNtoa = IndexOf(11), IxRecv = IndexOf(16),
          IxSend = IndexOf(19), IxSetSockOpt = IndexOf(21), IxShutdown = IndexOf(22), IxSocket = IndexOf(23),
          IxGetHostByName = IndexOf(52), IxGetHostName = IndexOf(57), IxAsyncSelect = IndexOf(101),
          IxGetLastError = IndexOf(111), IxSetLastError = IndexOf(112), IxCancelBlocking = IndexOf(113),
          IxIsBlocking = IndexOf(114), IxStartup = IndexOf(115), IxCleanup = IndexOf(116);

using SocketFn = int (*)(int, int, int);
using BindFn = int (*)(int, const sockaddr *, socklen_t);
using CloseFn = int (*)(int);
using ShutdownFn = int (*)(int, int);
using SetSockOptFn = int (*)(int, int, int, const void *, socklen_t);
using GetSockNameFn = int (*)(int, sockaddr *, socklen_t *);
using SendFn = ssize_t (*)(int, const void *, size_t, int);
using InetNtopFn = const char *(*)(int, const void *, char *, socklen_t);
using GetHostNameFn = int (*)(char *, size_t);
using FcntlFn = int (*)(int, int, ...);

constexpr int WsaEintr = 10004;
constexpr int WsaEinval = 10022;
constexpr int WsaNotInitialised = 10093;
constexpr int WsaSysNotReady = 10091;
constexpr int WsaVerNotSupported = 10092;

void CopyText(char *to, std::size_t size, const QByteArray &text)
{
    const std::size_t n = std::min<std::size_t>(std::size_t(text.size()), size - 1);
    std::memcpy(to, text.constData(), n);
    to[n] = 0;
}

} // namespace

// A blocking name look-up: the answer of the resolver's helper thread ends
// the caller's event loop.
struct HostLookup {
    QEventLoop *loop = nullptr;
    bool done = false;
    bool cancelled = false;
    NameResolver::Answer answer;
};

WinsockTable::WinsockTable() : m_resolver(std::make_unique<NameResolver>()) {}

WinsockTable::~WinsockTable()
{
    Unresolve();
}

bool WinsockTable::Resolve(void *library, const QString &libraryName)
{
    m_libraryName = libraryName;
    for (std::size_t i = 0; i < std::size(Rows); ++i) {
        if (Rows[i].symbol) {
            void *fn = dlsym(library, Rows[i].symbol);
            if (!fn)
                return false;
            m_entries[i] = fn;
        }
        m_have.set(i);
    }
    return true;
}

void WinsockTable::Unresolve()
{
    if (m_blocking)
        WSACancelBlockingCall();
    while (!m_notices.empty())
        StopNotices(m_notices.begin()->first);
    m_entries.fill(nullptr);
    m_have.reset();
    m_startups = 0;
}

template <typename Fn>
Fn WinsockTable::Entry(int index) const
{
    return reinterpret_cast<Fn>(m_entries[std::size_t(index)]);
}

void WinsockTable::Fail(int errnoValue)
{
    m_lastError = WinsockErrno::FromErrno(errnoValue);
}

SocketNotices *WinsockTable::NoticesFor(int s) const
{
    const auto it = m_notices.find(s);
    return it == m_notices.end() ? nullptr : it->second;
}

void WinsockTable::StopNotices(int s)
{
    const auto it = m_notices.find(s);
    if (it == m_notices.end())
        return;
    // A handler of this very socket may be running below us.
    it->second->Stop();
    it->second->deleteLater();
    m_notices.erase(it);
}

int WinsockTable::Socket(int family, int type, int protocol)
{
    if (!Have(IxSocket))
        return -1;
    const int s = Entry<SocketFn>(IxSocket)(family, type | SOCK_CLOEXEC, protocol);
    if (s < 0)
        Fail(errno);
    return s;
}

int WinsockTable::Bind(int s, int family, quint16 port)
{
    if (!Have(IxBind))
        return -1;
    const std::optional<SockAddr> any = SockAddr::FromLiteral(QLatin1String(family == AF_INET6 ? "::" : "0.0.0.0"));
    const SockAddr sa = any->WithPort(port);
    if (Entry<BindFn>(IxBind)(s, sa.Data(), sa.Length()) == 0)
        return 0;
    Fail(errno);
    return -1;
}

bool WinsockTable::RaceCalls(RaceConnector::Calls &calls) const
{
    if (!Have(IxSocket) || !Have(IxConnect) || !Have(IxClose) || !Have(IxGetSockOpt))
        return false;
    calls.socket = Entry<SocketFn>(IxSocket);
    calls.connect = Entry<BindFn>(IxConnect);
    calls.close = Entry<CloseFn>(IxClose);
    calls.getsockopt = Entry<SocketNotices::GetSockOptFn>(IxGetSockOpt);
    return true;
}

void WinsockTable::ConnectResult(int s, int error)
{
    // On an asynchronous socket every outcome arrives as the connect notice,
    // as it would from the Windows library.
    if (SocketNotices *notices = NoticesFor(s))
        notices->ExpectConnect(error);
}

int WinsockTable::CloseSocket(int s)
{
    if (!Have(IxClose))
        return -1;
    StopNotices(s);
    if (Entry<CloseFn>(IxClose)(s) == 0)
        return 0;
    Fail(errno);
    return -1;
}

int WinsockTable::Shutdown(int s, int how)
{
    if (!Have(IxShutdown))
        return -1;
    if (Entry<ShutdownFn>(IxShutdown)(s, how) == 0)
        return 0;
    Fail(errno);
    return -1;
}

int WinsockTable::SetSockOpt(int s, int level, int option, const void *value, unsigned length)
{
    if (!Have(IxSetSockOpt))
        return -1;
    if (Entry<SetSockOptFn>(IxSetSockOpt)(s, level, option, value, length) == 0)
        return 0;
    Fail(errno);
    return -1;
}

int WinsockTable::GetSockOpt(int s, int level, int option, void *value, unsigned *length)
{
    if (!Have(IxGetSockOpt))
        return -1;
    socklen_t len = *length;
    if (Entry<SocketNotices::GetSockOptFn>(IxGetSockOpt)(s, level, option, value, &len) == 0) {
        *length = len;
        return 0;
    }
    Fail(errno);
    return -1;
}

int WinsockTable::GetSockName(int s, SockAddr &address)
{
    if (!Have(IxGetSockName))
        return -1;
    sockaddr_storage sa{};
    socklen_t len = sizeof sa;
    if (Entry<GetSockNameFn>(IxGetSockName)(s, reinterpret_cast<sockaddr *>(&sa), &len) != 0) {
        Fail(errno);
        return -1;
    }
    address = SockAddr(reinterpret_cast<const sockaddr *>(&sa), len);
    return 0;
}

int WinsockTable::Recv(int s, char *buffer, int length, int flags)
{
    if (!Have(IxRecv))
        return -1;
    const ssize_t n = Entry<SocketNotices::RecvFn>(IxRecv)(s, buffer, size_t(length), flags);
    const int err = errno;
    // A receive re-enables the read notice, as with the Windows library.
    if (SocketNotices *notices = NoticesFor(s))
        notices->ArmRead();
    if (n < 0) {
        Fail(err);
        return -1;
    }
    return int(n);
}

int WinsockTable::Send(int s, const char *data, int length, int flags)
{
    if (!Have(IxSend))
        return -1;
    const ssize_t n = Entry<SendFn>(IxSend)(s, data, size_t(length), flags | MSG_NOSIGNAL);
    const int err = errno;
    if (n < length) {
        if (SocketNotices *notices = NoticesFor(s))
            notices->ArmWrite();
    }
    if (n < 0) {
        Fail(err);
        return -1;
    }
    return int(n);
}

std::optional<SockAddr> WinsockTable::InetAddr(const QByteArray &text)
{
    if (!Have(IxInetAddr))
        return std::nullopt;
    return SockAddr::FromLiteral(QString::fromLatin1(text));
}

QByteArray WinsockTable::InetNtoa(const SockAddr &address)
{
    if (!Have(IxInetNtoa) || address.IsEmpty())
        return {};
    char text[INET6_ADDRSTRLEN];
    const auto *sa = address.Data();
    const void *raw = address.Family() == AF_INET6
                          ? static_cast<const void *>(&reinterpret_cast<const sockaddr_in6 *>(sa)->sin6_addr)
                          : static_cast<const void *>(&reinterpret_cast<const sockaddr_in *>(sa)->sin_addr);
    if (!Entry<InetNtopFn>(IxInetNtoa)(address.Family(), raw, text, sizeof text))
        return {};
    return QByteArray(text);
}

bool WinsockTable::GetHostByName(const QByteArray &name, QList<SockAddr> &addresses)
{
    if (!Have(IxGetHostByName))
        return false;
    auto job = std::make_shared<HostLookup>();
    m_blocking = job;
    m_resolver->SetGetAddrInfo(Entry<NameResolver::GetAddrInfoFn>(IxGetHostByName));
    m_resolver->Start(name, [job](const NameResolver::Answer &answer) {
        job->done = true;
        job->answer = answer;
        if (job->loop)
            job->loop->quit();
    });

    QEventLoop loop;
    job->loop = &loop;
    if (!job->done && !job->cancelled)
        loop.exec();
    job->loop = nullptr;
    // A wait ended from outside (the application quitting) has no answer.
    if (!job->done && !job->cancelled) {
        job->cancelled = true;
        if (m_blocking == job) {
            m_blocking.reset();
            m_resolver->Abort();
        }
    }
    if (job->cancelled) {
        // The blocking call that replaced this one may have finished meanwhile.
        m_lastError = WsaEintr;
        return false;
    }
    if (m_blocking == job)
        m_blocking.reset();
    if (job->answer.error != 0) {
        m_lastError = job->answer.error;
        return false;
    }
    addresses = RaceConnector::Interleave(job->answer.addresses);
    return true;
}

int WinsockTable::GetHostName(char *buffer, int length)
{
    if (!Have(IxGetHostName))
        return -1;
    if (Entry<GetHostNameFn>(IxGetHostName)(buffer, size_t(length)) == 0)
        return 0;
    Fail(errno);
    return -1;
}

int WinsockTable::WSAAsyncSelect(int s, QObject *window, int message, int mask)
{
    if (!Have(IxAsyncSelect))
        return -1;
    if (mask == 0) {
        StopNotices(s);
        return 0;
    }
    const auto fcntlFn = Entry<FcntlFn>(IxAsyncSelect);
    const int flags = fcntlFn(s, F_GETFL);
    if (flags < 0 || fcntlFn(s, F_SETFL, flags | O_NONBLOCK) < 0) {
        Fail(errno);
        return -1;
    }
    if (SocketNotices *notices = NoticesFor(s)) {
        notices->SetTarget(window, message, mask);
        return 0;
    }
    m_notices[s] = new SocketNotices(s, window, message, mask, Entry<SocketNotices::RecvFn>(IxRecv),
                                     Entry<SocketNotices::GetSockOptFn>(IxGetSockOpt));
    return 0;
}

int WinsockTable::WSAGetLastError() const
{
    return Have(IxGetLastError) ? m_lastError : WsaNotInitialised;
}

void WinsockTable::WSASetLastError(int code)
{
    if (Have(IxSetLastError))
        m_lastError = code;
}

int WinsockTable::WSACancelBlockingCall()
{
    if (!Have(IxCancelBlocking))
        return -1;
    if (!m_blocking) {
        m_lastError = WsaEinval;
        return -1;
    }
    m_blocking->cancelled = true;
    if (m_blocking->loop)
        m_blocking->loop->quit();
    m_blocking.reset();
    m_resolver->Abort();
    return 0;
}

bool WinsockTable::WSAIsBlocking() const
{
    return Have(IxIsBlocking) && m_blocking != nullptr;
}

int WinsockTable::WSAStartup(quint16 version, WSAData &data)
{
    if (!Have(IxStartup))
        return WsaSysNotReady;
    if ((version & 0xff) < 1)
        return WsaVerNotSupported;
    // Start-up succeeds only when the system will hand out an IPv4 stream socket.
    const int probe = Socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0)
        return WsaSysNotReady;
    Entry<CloseFn>(IxClose)(probe);
    data.wVersion = 0x0101;
    data.wHighVersion = 0x0101;
    CopyText(data.szDescription, sizeof data.szDescription, "BSD sockets of " + m_libraryName.toLocal8Bit());
    CopyText(data.szSystemStatus, sizeof data.szSystemStatus, "Running");
    rlimit files{};
    const rlim_t limit = getrlimit(RLIMIT_NOFILE, &files) == 0 ? files.rlim_cur : 0;
    data.iMaxSockets = quint16(std::min<rlim_t>(limit, 0xffff));
    data.iMaxUdpDg = 65507;
    data.lpVendorInfo = nullptr;
    ++m_startups;
    return 0;
}

int WinsockTable::WSACleanup()
{
    if (!Have(IxCleanup))
        return -1;
    if (m_startups == 0) {
        m_lastError = WsaNotInitialised;
        return -1;
    }
    --m_startups;
    return 0;
}
