#include "TTlsLayer.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>

namespace {

// The reason OpenSSL gives for the latest failure, without its error number.
QString LastReason()
{
    const unsigned long code = ERR_peek_last_error();
    if (code == 0)
        return QString();
    const char *reason = ERR_reason_error_string(code);
    if (reason)
        return QString::fromLatin1(reason);
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

bool IsAddress(const QByteArray &host)
{
    unsigned char buffer[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, host.constData(), buffer) == 1 || ::inet_pton(AF_INET6, host.constData(), buffer) == 1;
}

} // namespace

TTlsLayer::TTlsLayer(int fd, const QString &peerName) : m_peer(peerName)
{
    ERR_clear_error();
    m_ctx = SSL_CTX_new(TLS_client_method());
    bool ok = m_ctx != nullptr;
    if (ok) {
        SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
        SSL_CTX_set_verify(m_ctx, SSL_VERIFY_PEER, nullptr);
        // A server that just hangs up after its last reply ends the stream; a
        // cut SMTP reply is still caught, as its line is incomplete.
        // A renegotiation could change the peer after its certificate was checked.
        SSL_CTX_set_options(m_ctx, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
        SSL_CTX_set_mode(m_ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        ok = SSL_CTX_set_default_verify_paths(m_ctx) == 1;
    }
    if (ok)
        ok = (m_ssl = SSL_new(m_ctx)) != nullptr;
    if (ok)
        ok = SSL_set_fd(m_ssl, fd) == 1;
    if (ok) {
        const QByteArray host = peerName.toLatin1();
        if (IsAddress(host)) {
            ok = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), host.constData()) == 1;
        } else {
            // Names count only in subjectAltName, as RFC 6125 asks.
            SSL_set_hostflags(m_ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS | X509_CHECK_FLAG_NEVER_CHECK_SUBJECT);
            ok = SSL_set1_host(m_ssl, host.constData()) == 1 && SSL_set_tlsext_host_name(m_ssl, host.constData()) == 1;
        }
    }
    if (!ok)
        m_error = QStringLiteral("TLS could not be set up: ") + LastReason();
}

TTlsLayer::~TTlsLayer()
{
    SSL_free(m_ssl);
    SSL_CTX_free(m_ctx);
}

TTlsLayer::Status TTlsLayer::Outcome(int result, const char *what)
{
    const int err = SSL_get_error(m_ssl, result);
    if (err != SSL_ERROR_WANT_READ && err != SSL_ERROR_WANT_WRITE)
        m_broken = true;
    switch (err) {
    case SSL_ERROR_WANT_READ:
        return WantRead;
    case SSL_ERROR_WANT_WRITE:
        return WantWrite;
    case SSL_ERROR_ZERO_RETURN:
    case SSL_ERROR_SYSCALL:
        if (err == SSL_ERROR_SYSCALL && (ERR_peek_last_error() != 0 || (errno != 0 && errno != ECONNRESET && errno != EPIPE)))
            break;
        if (m_handshakeDone)
            return Closed;
        m_error = QStringLiteral("TLS handshake with %1 failed: the server closed the connection").arg(m_peer);
        return Failed;
    default:
        break;
    }
    if (!m_handshakeDone) {
        const long verify = SSL_get_verify_result(m_ssl);
        if (verify != X509_V_OK) {
            m_error = QStringLiteral("The certificate of %1 was refused: %2")
                          .arg(m_peer, QString::fromLatin1(X509_verify_cert_error_string(verify)));
            return Failed;
        }
    }
    QString reason = LastReason();
    if (reason.isEmpty())
        reason = err == SSL_ERROR_SYSCALL ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("unknown error");
    m_error = QStringLiteral("%1 with %2 failed: %3").arg(QLatin1String(what), m_peer, reason);
    return Failed;
}

TTlsLayer::Status TTlsLayer::Handshake()
{
    if (!m_ssl || m_broken)
        return Failed;
    ERR_clear_error();
    errno = 0;
    const int result = SSL_connect(m_ssl);
    if (result == 1) {
        m_handshakeDone = true;
        return Ok;
    }
    return Outcome(result, "TLS handshake");
}

TTlsLayer::Status TTlsLayer::Read(char *data, size_t size, size_t &done)
{
    ERR_clear_error();
    errno = 0;
    done = 0;
    const int result = SSL_read_ex(m_ssl, data, size, &done);
    return result == 1 ? Ok : Outcome(result, "Reading over TLS");
}

TTlsLayer::Status TTlsLayer::Write(const char *data, size_t size, size_t &done)
{
    ERR_clear_error();
    errno = 0;
    done = 0;
    const int result = SSL_write_ex(m_ssl, data, size, &done);
    return result == 1 ? Ok : Outcome(result, "Writing over TLS");
}

bool TTlsLayer::Pending() const
{
    return m_ssl && SSL_pending(m_ssl) > 0;
}

void TTlsLayer::Shutdown()
{
    if (!m_handshakeDone || m_broken)
        return;
    ERR_clear_error();
    SSL_shutdown(m_ssl);
    ERR_clear_error();
}
