#include "CIPPort.h"

#include "Exception.h"
#include "SocketMessageEvent.h"
#include "WinsockErrno.h"
#include "WinsockTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

enum Refusal : int {
    RemotePortBusy = 100,
    RemoteHostBusy = 101,
    NoRemoteAddress = 102,
    AlreadyConnected = 104,
    LocalPortBusy = 106,
    LineLengthBusy = 112,
    NoRemotePort = 116,
};

QString RefusalText(Refusal code)
{
    switch (code) {
    case RemotePortBusy: return QStringLiteral("You cannot change the RemotePort at this time. A connection is in progress.");
    case RemoteHostBusy: return QStringLiteral("You cannot change the RemoteHost at this time. A connection is in progress.");
    case NoRemoteAddress: return QStringLiteral("The RemoteHost address is invalid (0.0.0.0).");
    case AlreadyConnected:
        return QStringLiteral("Already connected. If you want to reconnect, close the current connection first.");
    case LocalPortBusy: return QStringLiteral("You cannot change the LocalPort at this time. A connection is in progress.");
    case LineLengthBusy: return QStringLiteral("You cannot change MaxLineSize at this time. A connection is in progress.");
    case NoRemotePort: return QStringLiteral("RemotePort can't be zero. Please specify a valid service port number.");
    }
    return {};
}

constexpr int WsaEnotsock = 10038;
constexpr int WsaEnotconn = 10057;
constexpr int WsaNotInitialised = 10093;
// A read pass gives the event loop a turn after this long, so a peer that
// never pauses cannot freeze the window; the read notice brings it back.
constexpr qint64 ReadSliceMs = 20;
// Largest piece handed to one send call.
constexpr qsizetype SendChunk = 1 << 20;

QString StatusText(int code)
{
    return code == 0 ? QStringLiteral("OK") : TNetComponentBase::ErrorText(code);
}

} // namespace

CIPPort::CIPPort(QObject *parent) : CWinsock(parent) {}

CIPPort::~CIPPort()
{
    SetRaiseErrors(false);
    ForgetLastErrorText();
    SetLinger(false);
    if (Ws().WSAIsBlocking())
        Ws().WSACancelBlockingCall();
    if (SocketOpen())
        DropSocket();
}

void CIPPort::CopyFrom(CIPPort &source)
{
    OnError = source.OnError;
    SetLibraryName(source.LibraryName());
    SetWinsockLoaded(source.WinsockLoaded());
    SetRemotePort(source.RemotePort());
    SetLocalPort(source.LocalPort());
    SetRemoteHost(source.RemoteHost());
    SetInBufferSize(source.InBufferSize());
    SetOutBufferSize(source.OutBufferSize());
    SetLinger(source.Linger());
    SetKeepAlive(source.KeepAlive());
    SetEOL(source.EOL());
    SetMaxLineLength(source.MaxLineLength());
    OnConnected = source.OnConnected;
    OnDisconnected = source.OnDisconnected;
    OnDataIn = source.OnDataIn;
    OnReadyToSend = source.OnReadyToSend;
}

QString CIPPort::GetLocalHost()
{
    if (m_connected) {
        SockAddr address;
        if (Ws().GetSockName(m_socket, address) == 0) {
            const QByteArray text = Ws().InetNtoa(address);
            if (!text.isEmpty())
                return QString::fromLatin1(text);
        }
    }
    return CWinsock::GetLocalHost();
}

void CIPPort::SetConnected(bool connected)
{
    if (connected) {
        Connect();
        return;
    }
    const int code = CloseConnection(FdClose);
    if (code != 0)
        SetError(code, ErrorText(code));
}

void CIPPort::SetRemotePort(quint16 port)
{
    if (SocketOpen())
        return SetError(RemotePortBusy, RefusalText(RemotePortBusy));
    m_remotePort = port;
}

quint16 CIPPort::LocalPort() const
{
    if (!SocketOpen())
        return m_localPort;
    SockAddr address;
    return Ws().GetSockName(m_socket, address) == 0 ? address.Port() : 0;
}

void CIPPort::SetLocalPort(quint16 port)
{
    if (SocketOpen())
        return SetError(LocalPortBusy, RefusalText(LocalPortBusy));
    m_localPort = port;
}

QString CIPPort::RemoteHost() const
{
    return m_remoteAddresses.isEmpty() ? QString() : QString::fromLatin1(Ws().InetNtoa(m_remoteAddresses.first()));
}

void CIPPort::SetRemoteHost(const QString &host)
{
    if (SocketOpen())
        return SetError(RemoteHostBusy, RefusalText(RemoteHostBusy));
    if (host.isEmpty()) {
        m_remoteAddresses.clear();
        return;
    }
    if (Ws().WSAIsBlocking())
        Ws().WSACancelBlockingCall();
    const QByteArray name = host.toLatin1();
    if (const std::optional<SockAddr> address = Ws().InetAddr(name)) {
        m_remoteAddresses = {*address};
        return;
    }
    m_remoteAddresses.clear();
    QList<SockAddr> found;
    if (Ws().GetHostByName(name, found)) {
        m_remoteAddresses = found;
        return;
    }
    // Nothing loaded: the connect that follows reports the missing address.
    const int e = Ws().WSAGetLastError();
    if (e != WsaNotInitialised)
        SetError(e, ErrorText(e));
}

void CIPPort::SetInBufferSize(quint16 size)
{
    SetBufferSize(SO_RCVBUF, size, m_inBufferSize);
}

void CIPPort::SetOutBufferSize(quint16 size)
{
    SetBufferSize(SO_SNDBUF, size, m_outBufferSize);
}

void CIPPort::SetBufferSize(int option, quint16 size, quint16 &property)
{
    ClearLastError();
    property = size;
    if (!SocketOpen())
        return;
    // The kernel starts its buffers larger than any 16-bit size and grows them
    // with the traffic; fixing a smaller one would cap the throughput, so the
    // size only ever raises the buffer.
    int actual = 0;
    unsigned length = sizeof actual;
    if (Ws().GetSockOpt(m_socket, SOL_SOCKET, option, &actual, &length) == 0 && actual >= size)
        return;
    const int value = size;
    if (Ws().SetSockOpt(m_socket, SOL_SOCKET, option, &value, sizeof value) == 0)
        return;
    const int e = Ws().WSAGetLastError();
    length = sizeof actual;
    if (Ws().GetSockOpt(m_socket, SOL_SOCKET, option, &actual, &length) == 0)
        property = quint16(std::min(actual, 0xffff));
    if (e != 0)
        SetError(e, ErrorText(e));
}

void CIPPort::SetLinger(bool linger)
{
    ClearLastError();
    if (!SocketOpen()) {
        m_linger = linger;
        return;
    }
    // Linger true is the plain background close; false resets the connection at close.
    const struct linger value = {linger ? 0 : 1, 0};
    if (Ws().SetSockOpt(m_socket, SOL_SOCKET, SO_LINGER, &value, sizeof value) == 0) {
        m_linger = linger;
        return;
    }
    const int e = Ws().WSAGetLastError();
    SetError(e, ErrorText(e));
}

void CIPPort::SetKeepAlive(bool keepAlive)
{
    ClearLastError();
    m_keepAlive = keepAlive;
    if (!SocketOpen())
        return;
    const int value = keepAlive ? 1 : 0;
    if (Ws().SetSockOpt(m_socket, SOL_SOCKET, SO_KEEPALIVE, &value, sizeof value) == 0)
        return;
    const int e = Ws().WSAGetLastError();
    int actual = 0;
    unsigned length = sizeof actual;
    if (Ws().GetSockOpt(m_socket, SOL_SOCKET, SO_KEEPALIVE, &actual, &length) == 0)
        m_keepAlive = (actual & 0xff) != 0;
    if (e != 0)
        SetError(e, ErrorText(e));
}

void CIPPort::SetEOL(const QByteArray &eol)
{
    m_fifo.SetDelimiter(eol);
    // Bytes already buffered are cut again by the new delimiter.
    if (m_connected && m_window)
        QCoreApplication::postEvent(m_window, new SocketMessageEvent(SocketMessage, m_socket, FdRead));
}

void CIPPort::SetMaxLineLength(quint32 n)
{
    // Line lengths are 16-bit counts, so a longer buffer could cut lines wrongly.
    if (n < 255 || n > 65535)
        throw Exception(QStringLiteral("Invalid value"));
    if (SocketOpen())
        return SetError(LineLengthBusy, RefusalText(LineLengthBusy));
    m_fifo.SetCapacity(n);
}

void CIPPort::SetDataToSend(const QByteArray &data)
{
    SetDataToSend(data.constData(), data.size());
}

void CIPPort::SetDataToSend(const char *buffer, qsizetype length)
{
    const int code = SendBuffer(buffer, length);
    if (code != 0)
        SetError(code, ErrorText(code));
}

void CIPPort::HandleSocketMessage(int socket, quint32 message)
{
    if (!SocketOpen() || socket != m_socket)
        return;
    const int event = int(message & 0xffff);
    const int error = int(message >> 16);
    switch (event) {
    case FdRead:
        if (!m_reading) {
            m_reading = true;
            m_readNoticeMissed = false;
            ReadPass(false);
        } else {
            // Events ran inside an OnDataIn handler; the running pass takes
            // the bytes, or leaves this notice to come again.
            m_readNoticeMissed = true;
        }
        break;
    case FdWrite:
        // Bytes kept back by an earlier send go out first, in order; the owner
        // hears that it may send only once they are all gone.
        if (PendingSend() > 0 && FlushPending() != 0)
            break;
        DoReadyToSend();
        break;
    case FdConnect: {
        const quint32 attempt = m_attempt;
        m_connected = true;
        const int one = 1;
        Ws().SetSockOpt(m_socket, SOL_SOCKET, SO_OOBINLINE, &one, sizeof one);
        DoConnected(error, StatusText(error));
        if (error != 0 && attempt == m_attempt)
            DropSocket();
        break;
    }
    case FdClose:
        CloseConnection(message);
        break;
    default:
        break;
    }
}

void CIPPort::DoConnected(int code, const QString &text)
{
    if (OnConnected)
        OnConnected(this, code, text);
}

void CIPPort::DoDisconnected(int code, const QString &text)
{
    if (OnDisconnected)
        OnDisconnected(this, code, text);
}

void CIPPort::DoDataIn(const QByteArray &text, bool eol)
{
    if (OnDataIn)
        OnDataIn(this, text, eol);
}

void CIPPort::DoReadyToSend()
{
    if (OnReadyToSend)
        OnReadyToSend(this);
}

void CIPPort::Connect()
{
    ClearLastError();
    if (SocketOpen())
        return SetError(AlreadyConnected, RefusalText(AlreadyConnected));
    m_closePending = false;
    m_fifo.Reset();
    if (m_remoteAddresses.isEmpty())
        return SetError(NoRemoteAddress, RefusalText(NoRemoteAddress));
    if (m_remotePort == 0)
        return SetError(NoRemotePort, RefusalText(NoRemotePort));
    m_connected = false;
    ++m_attempt;
    // The socket of the first address to try is made here, so that its
    // refusals come as they always have; a race makes the others.
    const int family = m_remoteAddresses.first().Family();
    const int s = Ws().Socket(family, SOCK_STREAM, 0);
    if (s < 0) {
        const int e = Ws().WSAGetLastError();
        return SetError(e, ErrorText(e));
    }
    m_socket = s;
    if (const int e = ReadySocket(m_socket, family, true)) {
        DropSocket();
        return SetError(e, ErrorText(e));
    }
    RaceConnector::Calls calls;
    if (!Ws().RaceCalls(calls)) {
        DropSocket();
        return SetError(WsaNotInitialised, ErrorText(WsaNotInitialised));
    }
    QList<SockAddr> peers;
    for (const SockAddr &a : std::as_const(m_remoteAddresses))
        peers << a.WithPort(m_remotePort);
    m_race.SetCalls(calls);
    m_race.Start(
        peers, m_socket,
        // ReadySocket leaves the call's errno behind when it fails.
        [this](int fd, int fam) { return ReadySocket(fd, fam, false) == 0 ? 0 : (errno != 0 ? errno : EINVAL); },
        [this](int fd, const SockAddr &address, int error) { RaceDone(fd, address, error); });
}

int CIPPort::ReadySocket(int fd, int family, bool notices)
{
    if (Ws().Bind(fd, family, m_localPort) != 0)
        return Ws().WSAGetLastError();
    const int kept = std::exchange(m_socket, fd);
    ApplyOptions();
    m_socket = kept;
    if (notices && Ws().WSAAsyncSelect(fd, m_window, SocketMessage, EventMask) != 0)
        return Ws().WSAGetLastError();
    return 0;
}

void CIPPort::RaceDone(int fd, const SockAddr &address, int error)
{
    if (!SocketOpen()) {
        if (fd >= 0)
            Ws().CloseSocket(fd);
        return;
    }
    if (fd >= 0 && fd != m_socket) {
        // Another address won: its socket takes the place of the first one.
        Ws().CloseSocket(m_socket);
        m_socket = fd;
        if (Ws().WSAAsyncSelect(m_socket, m_window, SocketMessage, EventMask) != 0)
            error = ENOTSOCK;
    }
    if (fd >= 0)
        m_remoteAddresses = {address.WithPort(0)};
    Ws().ConnectResult(m_socket, error == 0 ? 0 : WinsockErrno::FromErrno(error));
}

void CIPPort::ApplyOptions()
{
    // A refused option is recorded but does not stop the connect.
    const bool raise = RaiseErrors();
    SetRaiseErrors(false);
    SetKeepAlive(m_keepAlive);
    SetLinger(m_linger);
    SetInBufferSize(m_inBufferSize);
    SetOutBufferSize(m_outBufferSize);
    const int one = 1;
    Ws().SetSockOpt(m_socket, SOL_SOCKET, SO_OOBINLINE, &one, sizeof one);
    SetRaiseErrors(raise);
}

int CIPPort::CloseConnection(quint32 reason)
{
    if (!SocketOpen()) {
        DropSocket();
        return 0;
    }
    Ws().WSAAsyncSelect(m_socket, m_window, SocketMessage, 0);
    if (m_reading) {
        m_closePending = true;
        return 0;
    }
    // The last pass counts as reading, so a close asked for by one of its
    // OnDataIn handlers waits for it instead of running inside it.
    m_reading = true;
    ReadPass(true);
    SetLinger(false);
    Ws().Shutdown(m_socket, SHUT_RDWR);
    const int closed = Ws().CloseSocket(m_socket);
    const int code = closed != 0 ? Ws().WSAGetLastError() : 0;
    m_connected = false;
    m_socket = -1;
    DropSocket();
    const int status = int(reason >> 16);
    DoDisconnected(status, StatusText(status));
    return code;
}

void CIPPort::DropSocket()
{
    m_race.Abort();
    if (SocketOpen()) {
        SetLinger(false);
        Ws().Shutdown(m_socket, SHUT_RDWR);
        Ws().CloseSocket(m_socket);
    }
    m_connected = false;
    m_socket = -1;
    m_reading = false;
    m_pending.clear();
    m_pendingPos = 0;
}

void CIPPort::ReadPass(bool final)
{
    QElapsedTimer slice;
    slice.start();
    bool received = false;
    QByteArray line;
    for (;;) {
        if (!SocketOpen()) {
            m_reading = false;
            return;
        }
        while (m_fifo.TakeLine(line))
            DoDataIn(line, true);
        quint32 space = 0;
        char *tail = m_fifo.Reserve(space);
        if (space == 0) {
            // Full and no complete line: hand over the piece.
            if (m_fifo.TakeAll(line))
                DoDataIn(line, false);
            continue;
        }
        if (m_closePending && !final) {
            m_reading = false;
            CloseConnection(FdClose);
            return;
        }
        if (received && !final && slice.elapsed() >= ReadSliceMs) {
            // Let other events run; the last receive has re-armed the read
            // notice, unless a handler let it come and go meanwhile.
            m_reading = false;
            if (m_readNoticeMissed && m_window)
                QCoreApplication::postEvent(m_window, new SocketMessageEvent(SocketMessage, m_socket, FdRead));
            return;
        }
        // The last pass only empties what is already here.
        const int n = final ? 0 : Ws().Recv(m_socket, tail, int(space), 0);
        received = true;
        if (n == 0) {
            while (m_fifo.TakeLine(line))
                DoDataIn(line, true);
            if (m_fifo.TakeAll(line))
                DoDataIn(line, false);
            m_reading = false;
            if (!final)
                CloseConnection(FdClose);
            return;
        }
        if (n > 0) {
            m_fifo.Commit(quint32(n));
            continue;
        }
        const int e = Ws().WSAGetLastError();
        m_reading = false;
        if (e != WinsockErrno::WouldBlock && e != WsaEnotsock)
            FireError(e, QStringLiteral("Winsock error in recv() ") + ErrorText(e));
        return;
    }
}

int CIPPort::SendBuffer(const char *data, qsizetype length)
{
    ClearLastError();
    if (!m_connected) {
        Ws().WSASetLastError(WsaEnotconn);
        return WsaEnotconn;
    }
    if (length <= 0 || !data)
        return 0;
    if (PendingSend() > 0) {
        if (m_pendingPos > m_pending.size() / 2) {
            m_pending.remove(0, m_pendingPos);
            m_pendingPos = 0;
        }
        m_pending.append(data, length);
        return 0;
    }
    qsizetype sent = 0;
    while (sent < length) {
        const int chunk = int(std::min(length - sent, SendChunk));
        const int n = Ws().Send(m_socket, data + sent, chunk, 0);
        if (n < 0) {
            const int e = Ws().WSAGetLastError();
            if (e != WinsockErrno::WouldBlock)
                return e;
            break;
        }
        sent += n;
        if (n < chunk)
            break;
    }
    // What the socket could not take now waits for the write notice.
    if (sent < length) {
        m_pending = QByteArray(data + sent, length - sent);
        m_pendingPos = 0;
    }
    return 0;
}

int CIPPort::FlushPending()
{
    while (PendingSend() > 0) {
        const int chunk = int(std::min(PendingSend(), SendChunk));
        const int n = Ws().Send(m_socket, m_pending.constData() + m_pendingPos, chunk, 0);
        if (n < 0) {
            const int e = Ws().WSAGetLastError();
            if (e == WinsockErrno::WouldBlock)
                return e;
            // The connection is gone; its close notice reports why.
            m_pending.clear();
            m_pendingPos = 0;
            return e;
        }
        m_pendingPos += n;
        if (n < chunk)
            return WinsockErrno::WouldBlock;
    }
    m_pending.clear();
    m_pendingPos = 0;
    return 0;
}
