#include "mssmtp.h"

#include "ECanceledError.h"
#include "ESocketError.h"
#include "ETimedOutError.h"
#include "Exception.h"
#include "LineSafety.h"
#include "MailErrorText.h"
#include "ReplyBound.h"
#include "TBackgroundComposer.h"
#include "TDotStuffer.h"
#include "TEventSlice.h"
#include "TSmtpNegotiation.h"
#include "TSubmissionHeaders.h"
#include "TTempFileStream.h"
#include "TmsMessageEncoder.h"
#include "WholeFile.h"
#include "msmsg.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <utility>

namespace {

// Sets a flag for the lifetime of a scope.
class FlagScope {
public:
    explicit FlagScope(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope &) = delete;
    FlagScope &operator=(const FlagScope &) = delete;

private:
    bool &m_flag;
};

const QString ServerClosedText = QStringLiteral("The server closed the connection");

} // namespace

// The kinds of reply become the flags CheckReply reads, for one reply each.
class TmsSMTP::NegotiationSession final : public TSmtpNegotiation::Session {
public:
    explicit NegotiationSession(TmsSMTP &smtp) : m_smtp(smtp) {}

    void SendLine(const QString &line) override { m_smtp.SendLine(line); }
    QString ReadReply(QStringList *lines, Reply kind) override
    {
        if (kind == Reply::Checked)
            return m_smtp.ReadReply(lines);
        FlagScope scope(kind == Reply::Challenge ? m_smtp.m_challenge : m_smtp.m_inHelo);
        return m_smtp.ReadReply(lines);
    }
    void StartTls(const QString &peerName) override { m_smtp.StartTls(peerName); }
    bool Connected() const override { return m_smtp.Connected(); }
    bool Encrypted() const override { return m_smtp.Encrypted(); }
    QString RemoteAddress() const override { return m_smtp.RemoteAddress(); }
    [[noreturn]] void Refuse(const QString &text) override { m_smtp.RaiseError(text); }

private:
    TmsSMTP &m_smtp;
};

TmsSMTP::TmsSMTP(QObject *parent) : TmsMailBase(parent)
{
    SetDefaultPort(25);
    SetServiceName(QStringLiteral("smtp"));
}

int TmsSMTP::Percent(qint64 pos, qint64 size)
{
    if (size <= 0)
        return 100;
    const qint64 scaled = pos * 100;
    qint64 q = scaled / size;
    const qint64 r2 = (scaled % size) * 2;
    if (r2 > size || (r2 == size && (q & 1) != 0))
        ++q;
    return static_cast<int>(q);
}

void TmsSMTP::Progress(int perc)
{
    if (OnProgress)
        OnProgress(this, perc);
}

void TmsSMTP::Connect()
{
    if (Server().isEmpty())
        SocketError(MailError::ServerRequired);
    ResetState();
    TmsMailBase::Connect();
}

void TmsSMTP::SetSecurity(TSmtpSecurity security)
{
    m_security = security;
    SetServiceName(SmtpSecurity::Service(security));
    SetDefaultPort(SmtpSecurity::Port(security));
}

void TmsSMTP::Cancel()
{
    TmsMailBase::Cancel();
    Progress(0);
}

void TmsSMTP::CheckReply(const QString &line)
{
    if (line.size() >= 4) {
        if (line.at(3) == QLatin1Char('-') || line.at(0) == QLatin1Char('2') || line.startsWith(QLatin1String("354")) ||
            (m_challenge && line.startsWith(QLatin1String("334"))))
            return;
    }
    QString msg = line;
    if (!m_inHelo && OnError)
        OnError(this, msg);
    throw ESocketError(msg);
}

QString TmsSMTP::ReadReply(QStringList *lines)
{
    ReplyBound bound;
    for (;;) {
        QString line;
        // A reply cut short by the server hanging up is a failure, never an answer.
        if (!ReceiveLine(line, bound.remaining()))
            ConnectionLostError(ServerClosedText);
        if (lines)
            lines->append(line);
        if (line.size() > 4 && line.at(3) != QLatin1Char('-'))
            return line;
        if (!bound.add(LastLineWireBytes()))
            ReplyTooLongError();
    }
}

void TmsSMTP::Login()
{
    m_eightBitMime = false;
    ConnectSocket();
    if (Extended()) {
        NegotiationSession session(*this);
        const TSmtpNegotiation::Settings settings{m_security, Server(), LocalHost(), m_userName, m_password};
        m_eightBitMime = TSmtpNegotiation(session, settings).Run().eightBitMime;
        return;
    }
    ReadReply();
    try {
        FlagScope helo(m_inHelo);
        SendLine(QStringLiteral("HELO ") + LocalHost());
        ReadReply();
    } catch (const ETimedOutError &) {
        throw;
    } catch (const ECanceledError &) {
        throw;
    } catch (const ESocketError &) {
        // Only a refusal is worth a second try; a lost connection is not.
        if (!Connected())
            throw;
        SendLine(QStringLiteral("HELO"));
        ReadReply();
    }
}

void TmsSMTP::Disconnect()
{
    // While QUIT ends a delivered message, the error paths leave the socket to
    // CloseSession, so that the events keep the order of a clean QUIT.
    if (!m_quitting)
        TmsMailBase::Disconnect();
}

void TmsSMTP::Logout()
{
    LetEventsRun();
    if (!m_delivered) {
        SendLine(QStringLiteral("QUIT"));
        ReadReply();
    } else {
        // Once the server has taken the message it is sent: a QUIT that is
        // refused, cut off or never answered only ends the connection, and the
        // user is not led to register twice.
        FlagScope quitting(m_quitting);
        struct Silence {
            TmsErrorEvent &slot;
            TmsErrorEvent saved;
            ~Silence() { slot = std::move(saved); }
        } silence{OnError, std::exchange(OnError, nullptr)};
        try {
            SendLine(QStringLiteral("QUIT"));
            ReadReply();
        } catch (const Exception &) {
        }
    }
    if (OnMailSent)
        OnMailSent(this);
    Progress(0);
}

void TmsSMTP::SendMail()
{
    if (m_sending)
        throw Exception(QStringLiteral("A mail is already being sent by this component; "
                                       "wait until it has finished before sending another"));
    FlagScope sending(m_sending);
    m_delivered = false;
    if (m_message) {
        const QString unsafe = LineSafety::problem(*m_message);
        if (!unsafe.isEmpty())
            RaiseError(unsafe);
    }
    const QString login = TSmtpNegotiation::LoginProblem(m_userName, m_password);
    if (!login.isEmpty())
        RaiseError(login);

    std::exception_ptr failure;
    try {
        OpenSession();
        Send();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        CloseSession();
    } catch (...) {
        // Never leave a half-closed session for the next send to reuse.
        Disconnect();
        if (!failure)
            throw;
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TmsSMTP::Send()
{
    TmsMessage *message = m_message;
    if (!message)
        SocketError(MailError::MessageRequired);
    message->CheckAddresses();

    // Deleted when it goes out of scope, also after a failure.
    auto text = std::make_unique<TTempFileStream>();
    if (OnPrepare)
        OnPrepare(this);
    // Every path carries them: a message without "Date:" breaks RFC 5322.
    const TSubmissionHeaders submission(*message);
    // The greeting is over, so what the server takes is known before the
    // body's headers are composed.
    const TBodyTransport transport = m_eightBitMime ? TBodyTransport::EightBit : TBodyTransport::SevenBit;
    const bool eightBit = TmsMessageEncoder::SendsEightBit(*message, transport);
    // The text is composed beside the envelope and the first blocks of the
    // data, so a large message takes about as long as its sending alone.
    TBackgroundComposer composer(*message, *text, transport);
    SendEnvelope(*message, composer, eightBit);
    SendData(text, composer);
}

void TmsSMTP::SendEnvelope(const TmsMessage &message, TBackgroundComposer &composer, bool eightBit)
{
    if (OnSending)
        OnSending(this);
    const QString sender = message.Sender()->Address();
    if (!sender.isEmpty()) {
        SendLine(QStringLiteral("MAIL FROM:<") + sender + QLatin1Char('>') +
                 (eightBit ? QStringLiteral(" BODY=8BITMIME") : QString()));
        ReadReply();
    }
    for (const TmsAddressList *list : {message.Recipients(), message.CC(), message.BCC()}) {
        for (int i = 0; i < list->Count(); ++i) {
            SendLine(QStringLiteral("RCPT TO:<") + list->Items(i)->Address() + QLatin1Char('>'));
            ReadReply();
        }
    }
    // A text that could not be composed is not begun.
    composer.ThrowIfFailed();
    SendLine(QStringLiteral("DATA"));
    const QString reply = ReadReply();
    // Anything but "go ahead" would make the server read the text as commands.
    if (!reply.startsWith(QLatin1String("354")))
        RaiseError(reply);
}

TBackgroundComposer::State TmsSMTP::AwaitText(TBackgroundComposer &composer, qint64 bytes)
{
    while (true) {
        const TBackgroundComposer::State state = composer.Wait(bytes, TEventSlice::SliceMs);
        if (state.finished) {
            try {
                composer.ThrowIfFailed();
            } catch (...) {
                // The server must not take the part already sent for a message.
                Disconnect();
                throw;
            }
        }
        if (state.finished || state.bytes >= bytes)
            return state;
        LetEventsRun();
        if (Cancelled())
            return state;
    }
}

void TmsSMTP::SendData(std::unique_ptr<TTempFileStream> &text, TBackgroundComposer &composer)
{
    const int textFile = text->handle();
    // The text is read and stuffed a block of whole chunks at a time, so the
    // socket gets up to GatherBytes per call; each 2,047-byte chunk still
    // reports its progress once its bytes are out, as when it went alone.
    // Stuffing makes a block at most half as long again.
    constexpr qint64 BlockBytes = ChunkSize * (GatherBytes * 2 / 3 / ChunkSize);
    TDotStuffer stuffer;
    QByteArray block(BlockBytes, '\0');
    QByteArray wire;
    // Ends of chunks that are out while the length of the whole text is not known yet.
    QList<qint64> unreported;
    qint64 start = 0;
    bool full = false;
    do {
        const TBackgroundComposer::State text = AwaitText(composer, start + BlockBytes);
        if (Cancelled())
            break;
        const qint64 n = std::min(BlockBytes, text.bytes - start);
        const qint64 got = WholeFile::ReadAt(textFile, start, block.data(), n);
        if (got != n) // the file cannot end before what was composed
            WholeFile::Fail(got < 0 ? int(-got) : EIO);
        stuffer.Stuff(block.constData(), n, wire);
        StartCountdown();
        SendBuffer(wire.constData(), wire.size(), true);
        StopCountdown();
        full = n == BlockBytes;
        // The last chunk is the first short one, even when it is empty.
        const qint64 chunks = full ? n / ChunkSize : n / ChunkSize + 1;
        for (qint64 i = 1; i <= chunks; ++i)
            unreported << start + std::min(i * ChunkSize, n);
        start += n;
        const TBackgroundComposer::State now = composer.Wait(0, 0);
        for (qsizetype i = 0; now.finished && i < unreported.size() && !TimedOut() && !Cancelled(); ++i)
            Progress(Percent(unreported.at(i), now.bytes));
        if (now.finished)
            unreported.clear();
    } while (full && !TimedOut() && !Cancelled());
    if (TimedOut())
        TimedOutError();
    if (Cancelled())
        CanceledError();
    // Composing has ended and every byte is out: the file goes now, while the
    // server still takes in the text, rather than between its answer and QUIT.
    text.reset();
    SendLine(QString());
    SendLine(QStringLiteral("."));
    ReadReply();
    m_delivered = true;
    Progress(0);
}
