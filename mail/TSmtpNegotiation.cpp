#include "TSmtpNegotiation.h"

#include "ECanceledError.h"
#include "ESocketError.h"
#include "ServerSetting.h"
#include "SockAddr.h"
#include "ETimedOutError.h"

namespace {

// Longest command line, CR LF included, that a server must take during AUTH (RFC 4954).
constexpr qsizetype MaxAuthLine = 12288;

QByteArray PlainResponse(const QByteArray &user, const QByteArray &password)
{
    return QByteArray(1, '\0') + user + '\0' + password;
}

QString Base64(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

// Keyword and parameters of an extension line; the old "AUTH=LOGIN" form too.
QStringList Words(const QString &extension)
{
    QString text = extension;
    const int eq = text.indexOf(QLatin1Char('='));
    const int blank = text.indexOf(QLatin1Char(' '));
    if (eq > 0 && (blank < 0 || eq < blank))
        text[eq] = QLatin1Char(' ');
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TSmtpNegotiation::Outcome TSmtpNegotiation::Run()
{
    const TSmtpSecurity security = m_settings.security;
    const bool login = !m_settings.userName.isEmpty();
    if (security == TSmtpSecurity::Tls)
        m_session.StartTls(PeerName());
    m_session.ReadReply(nullptr, Session::Reply::Checked);
    Hello(security == TSmtpSecurity::Tls && !login);
    if (security == TSmtpSecurity::StartTls) {
        StartTls();
        Hello(false);
    }
    if (login)
        LogIn();
    return Outcome{m_eightBitMime};
}

void TSmtpNegotiation::Hello(bool fallBack)
{
    const QString ehlo = QStringLiteral("EHLO ") + m_settings.localHost;
    m_extensions.clear();
    m_eightBitMime = false;
    QStringList reply;
    if (!fallBack) {
        m_session.SendLine(ehlo);
        m_session.ReadReply(&reply, Session::Reply::Checked);
    } else {
        try {
            // Like the first HELO: a refusal that is answered by a retry is no error to report.
            m_session.SendLine(ehlo);
            m_session.ReadReply(&reply, Session::Reply::QuietRefusal);
        } catch (const ETimedOutError &) {
            throw;
        } catch (const ECanceledError &) {
            throw;
        } catch (const ESocketError &) {
            if (!m_session.Connected())
                throw;
            m_session.SendLine(QStringLiteral("HELO ") + m_settings.localHost);
            m_session.ReadReply(nullptr, Session::Reply::Checked);
            return;
        }
    }
    for (qsizetype i = 1; i < reply.size(); ++i)
        m_extensions << reply.at(i).mid(4).trimmed();
    m_eightBitMime = Offers(QStringLiteral("8BITMIME"));
}

void TSmtpNegotiation::StartTls()
{
    if (!Offers(QStringLiteral("STARTTLS")))
        m_session.Refuse(QStringLiteral("The server %1 does not offer STARTTLS, so nothing was sent. "
                                        "Choose another security setting or another server.")
                             .arg(PeerName()));
    m_session.SendLine(QStringLiteral("STARTTLS"));
    m_session.ReadReply(nullptr, Session::Reply::Checked);
    m_session.StartTls(PeerName());
}

void TSmtpNegotiation::LogIn()
{
    // A password over plain text is only acceptable when it never leaves this machine.
    if (!m_session.Encrypted() && !(m_settings.security == TSmtpSecurity::None && OnLoopback()))
        m_session.Refuse(QStringLiteral("The password is not sent over an unencrypted connection. "
                                        "Choose STARTTLS or TLS as the security setting."));
    const QStringList mechanisms = Parameters(QStringLiteral("AUTH"));
    const QByteArray user = m_settings.userName.toUtf8();
    const QByteArray password = m_settings.password.toUtf8();
    if (mechanisms.contains(QLatin1String("PLAIN"), Qt::CaseInsensitive)) {
        m_session.SendLine(QStringLiteral("AUTH PLAIN ") + Base64(PlainResponse(user, password)));
        m_session.ReadReply(nullptr, Session::Reply::Checked);
        return;
    }
    if (mechanisms.contains(QLatin1String("LOGIN"), Qt::CaseInsensitive)) {
        m_session.SendLine(QStringLiteral("AUTH LOGIN"));
        m_session.ReadReply(nullptr, Session::Reply::Challenge);
        m_session.SendLine(Base64(user));
        m_session.ReadReply(nullptr, Session::Reply::Challenge);
        m_session.SendLine(Base64(password));
        m_session.ReadReply(nullptr, Session::Reply::Checked);
        return;
    }
    m_session.Refuse(mechanisms.isEmpty()
                         ? QStringLiteral("The server %1 offers no login.").arg(PeerName())
                         : QStringLiteral("The server %1 offers no login method that can be used here (PLAIN or "
                                          "LOGIN), only %2.")
                               .arg(PeerName(), mechanisms.join(QLatin1Char(' '))));
}

QString TSmtpNegotiation::LoginProblem(const QString &user, const QString &password)
{
    // "AUTH PLAIN" carries both in one line, the longest any mechanism sends.
    const qsizetype longest =
        QByteArrayLiteral("AUTH PLAIN ").size() + PlainResponse(user.toUtf8(), password.toUtf8()).toBase64().size() + 2;
    if (user.isEmpty() || longest <= MaxAuthLine)
        return QString();
    return QStringLiteral("The user name and password are too long to log in: they make a line of %1 octets, and "
                          "servers need take no more than 12,288. Nothing was sent.")
        .arg(longest);
}

bool TSmtpNegotiation::Offers(const QString &keyword) const
{
    for (const QString &extension : m_extensions) {
        const QStringList words = Words(extension);
        if (!words.isEmpty() && words.first().compare(keyword, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QStringList TSmtpNegotiation::Parameters(const QString &keyword) const
{
    QStringList all;
    for (const QString &extension : m_extensions) {
        const QStringList words = Words(extension);
        if (!words.isEmpty() && words.first().compare(keyword, Qt::CaseInsensitive) == 0)
            all << words.mid(1);
    }
    return all;
}

QString TSmtpNegotiation::PeerName() const
{
    return ServerSetting::parse(m_settings.server).host;
}

bool TSmtpNegotiation::OnLoopback() const
{
    const std::optional<SockAddr> address = SockAddr::FromLiteral(m_session.RemoteAddress());
    return address && address->IsLoopback();
}
