#include "agsocket.h"

#include "ECanceledError.h"
#include "ESocketError.h"
#include "ETimedOutError.h"
#include "LookUpText.h"
#include "MailErrorText.h"
#include "ReplyBound.h"
#include "ServerSetting.h"
#include "TAsyncSelect.h"
#include "TTlsLayer.h"
#include "WinsockErrno.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A received line, CR LF included, holds at most this many bytes.
constexpr int LineBytes = 255;
// Bytes asked for per receive: one TLS record.
constexpr qsizetype ReadBlock = 16 * 1024;

const QString TimedOutText = QStringLiteral("Operation timed out");
const QString CanceledText = QStringLiteral("Operation has been canceled");

} // namespace

TagSocket::TagSocket(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &TagSocket::CountdownTick);
}

TagSocket::~TagSocket()
{
    CancelLookup();
    CloseSilently();
}

void TagSocket::ResetState()
{
    m_cancelled = false;
    m_timedOut = false;
    CancelLookup();
    m_errorEvent = false;
    m_hostResolved = false;
    m_serviceResolved = false;
    m_connectEvent = false;
    m_readEvent = false;
    m_writeEvent = false;
    m_closeEvent = false;
}

// ---- waits and countdown -------------------------------------------------

void TagSocket::WaitUntil(const std::function<bool()> &done)
{
    // Flags only change in event handlers, so sleeping until the next event
    // is exactly as responsive as polling, and costs nothing while idle.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TagSocket::LetEventsRun()
{
    QCoreApplication::processEvents();
}

void TagSocket::StartCountdown()
{
    m_countdown = m_timeOut;
    m_timer.start();
}

void TagSocket::StopCountdown()
{
    m_timer.stop();
}

void TagSocket::CountdownTick()
{
    if (--m_countdown != 0)
        return;
    CancelLookup();
    m_timer.stop();
    m_timedOut = true;
}

void TagSocket::CancelLookup()
{
    m_resolver.Abort();
}

// ---- error paths -----------------------------------------------------------

void TagSocket::SocketError(int code)
{
    RaiseError(MailError::Text(code));
}

QString TagSocket::OfferError(const QString &text)
{
    StopCountdown();
    QString msg = text;
    if (OnError)
        OnError(this, msg);
    return msg;
}

void TagSocket::RaiseError(const QString &text)
{
    throw ESocketError(OfferError(text));
}

// The time-out and cancel texts stay as they are whatever OnError makes of them.
void TagSocket::TimedOutError()
{
    OfferError(TimedOutText);
    Disconnect();
    throw ETimedOutError(TimedOutText);
}

void TagSocket::CanceledError()
{
    OfferError(CanceledText);
    throw ECanceledError(CanceledText);
}

void TagSocket::ConnectionLostError(int code)
{
    LostWith(MailError::Text(code));
}

void TagSocket::ConnectionLostError(const QString &text)
{
    LostWith(text);
}

void TagSocket::LostWith(const QString &text)
{
    const QString msg = OfferError(text);
    m_tls.reset(); // a broken TLS session gets no closing alert
    Disconnect();
    throw ESocketError(msg);
}

// ---- notifications -----------------------------------------------------

void TagSocket::HostLookupDone(const NameResolver::Answer &answer)
{
    m_hostResolved = true;
    m_addresses = RaceConnector::Interleave(answer.addresses);
    m_errorCode = answer.error;
    m_errorEvent = answer.error != 0;
}

void TagSocket::RaceDone(int fd, const SockAddr &address, int error)
{
    m_raceDone = true;
    if (fd < 0) {
        m_errorCode = WinsockErrno::FromErrno(error);
        m_errorEvent = true;
        return;
    }
    if (fd != m_socket) {
        ::close(m_socket);
        m_socket = fd;
    }
    m_remoteAddress = address.Text();
}

void TagSocket::SocketEvent(int event, int error)
{
    m_errorCode = error;
    m_errorEvent = error != 0;
    if (error == 0) {
        switch (event) {
        case FdRead: m_readEvent = true; break;
        case FdWrite: m_writeEvent = true; break;
        case FdConnect: m_connectEvent = true; break;
        case FdClose: m_closeEvent = true; break;
        default: break;
        }
    }
    ++m_notifySeq;
}

// ---- connection ------------------------------------------------------------

void TagSocket::Connect()
{
    if (OnOpen)
        OnOpen(this);
    if (m_server.isEmpty())
        SocketError(MailError::ServerRequired);

    char name[512] = {};
    if (::gethostname(name, sizeof name - 1) == 0 && name[0] != '\0')
        m_localHost = QString::fromLatin1(name);
    else
        m_localHost = ServerSetting::parse(m_server).host;

    ResolveHost();
    ResolvePort();

    CloseSilently();
    // The socket of the first address to try; the others get theirs when raced.
    const int fd = ::socket(m_addresses.first().Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        SocketError(WinsockErrno::FromErrno(errno));
    m_socket = fd;
}

void TagSocket::ResolveHost()
{
    const QString host = ServerSetting::parse(m_server).host;
    if (const std::optional<SockAddr> literal = SockAddr::FromLiteral(host)) {
        m_addresses = {*literal};
        m_remoteAddress = literal->Text();
        return;
    }

    m_addresses.clear();
    // A name in any script is asked for in its "xn--" form.
    m_resolver.Start(aceName(host).toLatin1(), [this](const NameResolver::Answer &answer) { HostLookupDone(answer); });
    StartCountdown();
    WaitUntil([this] { return m_hostResolved || m_timedOut || m_cancelled; });
    StopCountdown();
    CancelLookup();
    if (m_errorEvent)
        SocketError(m_errorCode);
    if (m_timedOut)
        TimedOutError();
    if (m_cancelled)
        CanceledError();
    if (m_addresses.isEmpty())
        SocketError(MailError::ResolveHost);
    m_remoteAddress = m_addresses.first().Text();
}

void TagSocket::ResolvePort()
{
    if (const quint16 port = ServerSetting::parse(m_server).port) {
        m_port = port;
        return;
    }
    if (m_serviceName.isEmpty())
        SocketError(MailError::ServiceRequired);
    if (m_cancelled)
        CanceledError();

    // The services file is local, so the look-up answers at once.
    servent entry{};
    servent *result = nullptr;
    char buffer[1024];
    const QByteArray service = m_serviceName.toLatin1();
    ::getservbyname_r(service.constData(), "tcp", &entry, buffer, sizeof buffer, &result);
    m_serviceResolved = true;
    m_errorCode = result ? 0 : 11004;
    m_errorEvent = result == nullptr;
    if (!m_errorEvent && !m_timedOut) {
        if (m_cancelled)
            CanceledError();
        m_port = ntohs(static_cast<quint16>(result->s_port));
        return;
    }
    m_port = m_defaultPort; // an unknown service name falls back without a word
}

void TagSocket::ConnectSocket()
{
    if (m_cancelled)
        CanceledError();
    if (m_socket < 0)
        SocketError(WinsockErrno::FromErrno(EBADF));
    m_errorEvent = false;
    m_errorCode = 0;

    StartCountdown();
    QList<SockAddr> peers;
    for (const SockAddr &a : std::as_const(m_addresses))
        peers << a.WithPort(m_port);
    m_raceDone = false;
    m_race.Start(peers, m_socket, nullptr, [this](int fd, const SockAddr &a, int error) { RaceDone(fd, a, error); });
    WaitUntil([this] { return m_raceDone || m_cancelled || m_timedOut; });
    if (!m_raceDone)
        m_race.Abort();
    if (m_raceDone && !m_errorEvent) {
        m_select = std::make_unique<TAsyncSelect>(m_socket, [this](int event, int error) { SocketEvent(event, error); });
        m_select->ExpectConnect();
    }
    // A refused connection is reported as itself as soon as it is known.
    WaitUntil([this] { return m_connectEvent || m_errorEvent || m_cancelled || m_timedOut; });
    StopCountdown();
    EndOfWait();
}

void TagSocket::EndOfWait()
{
    if (m_cancelled)
        CanceledError();
    if (m_timedOut)
        TimedOutError();
    if (m_errorEvent)
        ConnectionLostError(m_errorCode);
}

void TagSocket::CloseSilently()
{
    m_inbox.clear();
    m_inboxPos = 0;
    m_tls.reset();
    m_select.reset();
    m_race.Abort();
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
}

void TagSocket::Disconnect()
{
    if (m_socket < 0)
        return;
    if (OnClosing)
        OnClosing(this);
    if (m_tls)
        m_tls->Shutdown();
    CloseSilently();
    if (OnClosed)
        OnClosed(this);
}

void TagSocket::Cancel()
{
    m_cancelled = true;
    if (OnCancel)
        OnCancel(this);
    CancelLookup();
    Disconnect();
}

// ---- lines -----------------------------------------------------------------

bool TagSocket::ReceiveLine(QString &line, qint64 maxBytes)
{
    line.clear();
    m_lineWireBytes = 0;
    qsizetype scanned = m_inboxPos;
    qsizetype lf = LineEnd(scanned);
    if (lf < 0) {
        StartCountdown();
        // A close ends the wait too: a server that hangs up must not look like a slow one.
        // Over TLS the rest of a reply may already be decrypted, with nothing left on the socket to signal it.
        WaitUntil([this] { return m_readEvent || m_closeEvent || m_cancelled || m_timedOut || m_errorEvent ||
                                  (m_tls && m_tls->Pending()); });
        StopCountdown();
        EndOfWait();
        StartCountdown();
        m_readEvent = false;
        lf = ReceiveUntilLineEnd(scanned, maxBytes);
        StopCountdown();
    }

    if (lf >= 0) {
        const qsizetype wire = lf + 1 - m_inboxPos;
        if (wire > maxBytes)
            ReplyTooLongError();
        m_lineWireBytes = wire;
        // Bytes beyond the line buffer are dropped up to the line feed, so the
        // tail of an over-long line is never taken for a further reply.
        QByteArray bytes(m_inbox.constData() + m_inboxPos, std::min<qsizetype>(wire - 1, LineBytes - 1));
        m_inboxPos = lf + 1;
        while (!bytes.isEmpty() && (bytes.endsWith('\r') || bytes.endsWith('\n')))
            bytes.chop(1);
        line = QString::fromLatin1(bytes);
        CheckReply(line);
        return true;
    }
    if (m_timedOut)
        TimedOutError();
    if (m_cancelled)
        CanceledError();
    return false;
}

qsizetype TagSocket::LineEnd(qsizetype &scanned) const
{
    const qsizetype size = m_inbox.size();
    const void *lf = scanned < size ? std::memchr(m_inbox.constData() + scanned, '\n', size_t(size - scanned)) : nullptr;
    scanned = size;
    return lf ? static_cast<const char *>(lf) - m_inbox.constData() : -1;
}

qsizetype TagSocket::ReceiveUntilLineEnd(qsizetype &scanned, qint64 maxBytes)
{
    // Events run once per block, not per byte, and the bound counts bytes as
    // they come: a line that never ends costs a few blocks, not the time-out.
    for (;;) {
        LetEventsRun();
        if (m_cancelled || m_timedOut)
            return -1;
        if (m_inbox.size() - m_inboxPos > maxBytes)
            ReplyTooLongError();
        if (m_inboxPos > 0) {
            m_inbox.remove(0, m_inboxPos);
            scanned -= m_inboxPos;
            m_inboxPos = 0;
        }
        const qsizetype had = m_inbox.size();
        m_inbox.resize(had + ReadBlock);
        int code = 0;
        const ssize_t n = Receive(m_inbox.data() + had, ReadBlock, code);
        m_inbox.resize(had + std::max<ssize_t>(n, 0));
        if (m_select)
            m_select->ArmRead();
        if (n > 0) {
            const qsizetype lf = LineEnd(scanned);
            if (lf >= 0)
                return lf;
            continue;
        }
        if (n == 0) {
            m_closeEvent = true;
            return -1;
        }
        if (code != WinsockErrno::WouldBlock) {
            if (m_cancelled)
                return -1;
            ConnectionLostError(code);
        }
        const quint64 seen = m_notifySeq;
        WaitUntil([this, seen] { return m_notifySeq != seen || m_cancelled || m_timedOut; });
    }
}

void TagSocket::ReplyTooLongError()
{
    const QString msg = OfferError(ReplyBound::tooLongText());
    Disconnect();
    throw ESocketError(msg);
}

void TagSocket::SendLine(const QString &text)
{
    const QByteArray bytes = text.toLatin1() + "\r\n";
    StartCountdown();
    SendBuffer(bytes.constData(), bytes.size(), false);
    StopCountdown();
    if (m_timedOut)
        TimedOutError();
    if (m_cancelled)
        CanceledError();
}

bool TagSocket::SendBuffer(const char *data, qsizetype size, bool restartOnProgress)
{
    qsizetype sent = 0;
    while (sent < size) {
        LetEventsRun();
        if (m_cancelled || m_timedOut)
            return false;
        int code = 0;
        bool wantRead = false;
        const ssize_t n = Transmit(data + sent, static_cast<size_t>(size - sent), code, wantRead);
        if (n >= 0) {
            sent += n;
            if (restartOnProgress && n > 0)
                StartCountdown();
            continue;
        }
        if (code != WinsockErrno::WouldBlock) {
            if (m_cancelled)
                return false;
            ConnectionLostError(code);
        }
        if (wantRead) {
            WaitForSocket(true);
            continue;
        }
        m_writeEvent = false;
        if (m_select)
            m_select->ArmWrite();
        WaitUntil([this] { return m_writeEvent || m_cancelled || m_timedOut; });
    }
    LetEventsRun();
    return !m_cancelled && !m_timedOut;
}

// ---- TLS -------------------------------------------------------------------

void TagSocket::WaitForSocket(bool read)
{
    const quint64 seen = m_notifySeq;
    if (m_select) {
        if (read)
            m_select->ArmRead();
        else
            m_select->ArmWrite();
    }
    WaitUntil([this, seen] { return m_notifySeq != seen || m_cancelled || m_timedOut; });
}

void TagSocket::StartTls(const QString &peerName)
{
    if (m_cancelled)
        CanceledError();
    // Plain bytes that came after the go-ahead must never pass for protected ones.
    if (m_inboxPos < m_inbox.size())
        ConnectionLostError(QStringLiteral("The server %1 sent unprotected data before TLS began; the connection was closed.")
                                .arg(peerName));
    auto tls = std::make_unique<TTlsLayer>(m_socket, peerName);
    StartCountdown();
    for (;;) {
        LetEventsRun();
        if (m_cancelled || m_timedOut)
            break;
        const TTlsLayer::Status step = tls->Handshake();
        if (step == TTlsLayer::Ok)
            break;
        if (step != TTlsLayer::WantRead && step != TTlsLayer::WantWrite)
            LostWith(tls->ErrorText());
        WaitForSocket(step == TTlsLayer::WantRead);
    }
    StopCountdown();
    if (m_cancelled)
        CanceledError();
    if (m_timedOut)
        TimedOutError();
    m_tls = std::move(tls);
}

ssize_t TagSocket::Receive(char *data, size_t size, int &code)
{
    code = 0;
    if (!m_tls) {
        const ssize_t n = ::recv(m_socket, data, size, 0);
        if (n < 0)
            code = WinsockErrno::FromErrno(errno);
        return n;
    }
    size_t done = 0;
    switch (m_tls->Read(data, size, done)) {
    case TTlsLayer::Ok:
        return static_cast<ssize_t>(done);
    case TTlsLayer::Closed:
        return 0;
    case TTlsLayer::WantWrite:
        if (m_select)
            m_select->ArmWrite();
        [[fallthrough]];
    case TTlsLayer::WantRead:
        code = WinsockErrno::WouldBlock;
        return -1;
    case TTlsLayer::Failed:
        break;
    }
    LostWith(m_tls->ErrorText());
}

ssize_t TagSocket::Transmit(const char *data, size_t size, int &code, bool &wantRead)
{
    code = 0;
    wantRead = false;
    if (!m_tls) {
        const ssize_t n = ::send(m_socket, data, size, MSG_NOSIGNAL);
        if (n < 0)
            code = WinsockErrno::FromErrno(errno);
        return n;
    }
    size_t done = 0;
    switch (m_tls->Write(data, size, done)) {
    case TTlsLayer::Ok:
        return static_cast<ssize_t>(done);
    case TTlsLayer::WantRead:
        wantRead = true;
        [[fallthrough]];
    case TTlsLayer::WantWrite:
        code = WinsockErrno::WouldBlock;
        return -1;
    case TTlsLayer::Closed:
        code = 10054; // the peer ended the session in the middle of our data
        return -1;
    case TTlsLayer::Failed:
        break;
    }
    LostWith(m_tls->ErrorText());
}
