#include "HttpsGet.h"

#include <QSslSocket>

namespace {

// What one read takes from the socket, and all the socket may hold unread.
constexpr qint64 ReadPiece = 16 * 1024;

// A certificate fault as the user should read it.
QString certificateFault(const QSslError &error, const QString &host)
{
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::InvalidCaCertificate:
        return QStringLiteral("it is not signed by a trusted authority");
    case QSslError::HostNameMismatch:
        return QStringLiteral("it is not issued for %1").arg(host);
    case QSslError::CertificateExpired:
        return QStringLiteral("it has expired");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("it is not valid yet");
    case QSslError::CertificateRevoked:
        return QStringLiteral("it has been revoked");
    default:
        return error.errorString();
    }
}

} // namespace

HttpsGet::HttpsGet(const QSslConfiguration &ssl, qsizetype maxBodyBytes, QObject *parent)
    : QObject(parent), m_ssl(ssl), m_maxBody(maxBodyBytes), m_response(maxBodyBytes)
{
}

HttpsGet::~HttpsGet()
{
    abort();
}

void HttpsGet::start(const QUrl &url, const QByteArray &accept)
{
    abort();
    m_ended = false;
    m_response = HttpResponseReader(m_maxBody);
    m_tlsErrors.clear();
    m_host = url.host();
    m_socket = new QSslSocket(this);
    m_socket->setSslConfiguration(m_ssl);
    m_socket->setPeerVerifyName(m_host);
    m_socket->setReadBufferSize(ReadPiece);
    connect(m_socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            if (const QString fault = certificateFault(e, m_host); !m_tlsErrors.contains(fault))
                m_tlsErrors << fault;
    });
    connect(m_socket, &QSslSocket::encrypted, this, &HttpsGet::encrypted);
    connect(m_socket, &QSslSocket::readyRead, this, &HttpsGet::readSome);
    connect(m_socket, &QSslSocket::errorOccurred, this, &HttpsGet::socketError);

    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() > 0)
        host += ':' + QByteArray::number(url.port());
    // One request per connection, and the body as it is, never compressed.
    const QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nAccept: " + accept +
                               "\r\nAccept-Encoding: identity\r\nUser-Agent: Zandolet\r\nConnection: close\r\n\r\n";
    m_socket->connectToHostEncrypted(url.host(), quint16(url.port(443)));
    m_socket->write(request);
}

void HttpsGet::abort()
{
    m_ended = true;
    if (QSslSocket *socket = std::exchange(m_socket, nullptr)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

void HttpsGet::readSome()
{
    while (!m_ended && m_socket && m_socket->bytesAvailable() > 0) {
        m_response.feed(m_socket->read(ReadPiece));
        if (m_response.state() == HttpResponseReader::State::Complete)
            return end({});
        if (m_response.state() == HttpResponseReader::State::Failed)
            return end(readerFailure());
    }
}

void HttpsGet::socketError()
{
    if (m_ended || !m_socket)
        return;
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError) {
        readSome();
        if (m_ended)
            return;
        m_response.closed();
        return end(m_response.state() == HttpResponseReader::State::Complete ? QString() : readerFailure());
    }
    if (m_socket->error() == QAbstractSocket::SslHandshakeFailedError && !m_tlsErrors.isEmpty())
        return end(QStringLiteral("The certificate of %1 was refused: %2.").arg(m_host, m_tlsErrors.join(QLatin1String("; "))));
    if (m_socket->error() == QAbstractSocket::SslHandshakeFailedError)
        return end(QStringLiteral("TLS handshake with %1 failed: %2.").arg(m_host, m_socket->errorString()));
    end(QStringLiteral("Asking %1 failed: %2.").arg(m_host, m_socket->errorString()));
}

QString HttpsGet::readerFailure() const
{
    switch (m_response.fault()) {
    case HttpResponseReader::Fault::HeadersTooLarge:
        return QStringLiteral("The headers from %1 are larger than %2 KB; refused.")
            .arg(m_host)
            .arg(HttpResponseReader::MaxHeaderBytes / 1024);
    case HttpResponseReader::Fault::NotHttp:
        return QStringLiteral("%1 did not answer in HTTP.").arg(m_host);
    case HttpResponseReader::Fault::Encoded:
        return QStringLiteral("The answer from %1 came compressed; refused.").arg(m_host);
    case HttpResponseReader::Fault::BodyTooLarge:
        return QStringLiteral("The answer from %1 is larger than %2 KB; refused.").arg(m_host).arg(m_maxBody / 1024);
    case HttpResponseReader::Fault::CutShort:
        return QStringLiteral("The answer from %1 was cut short.").arg(m_host);
    case HttpResponseReader::Fault::NothingSent:
        return QStringLiteral("%1 closed the connection without an answer.").arg(m_host);
    case HttpResponseReader::Fault::None:
        break;
    }
    return {};
}

void HttpsGet::end(const QString &failure)
{
    abort();
    emit finished(failure);
}
