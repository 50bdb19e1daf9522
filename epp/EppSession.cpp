#include "EppSession.h"

#include "HostPort.h"
#include "NameResolver.h"
#include "RaceConnector.h"
#include "SockAddr.h"

#include <QFile>
#include <QUrl>
#include <cstring>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QtEndian>

EppSession::EppSession(const EppSettings &settings, std::function<void()> connected,
                       std::function<void(const QByteArray &)> frame, Failed failed)
    : m_settings(settings), m_connected(std::move(connected)), m_frame(std::move(frame)), m_failed(std::move(failed))
{
}

EppSession::~EppSession()
{
    close();
}

QString EppSession::settingsProblem(const EppSettings &s)
{
    if (!s.invalid.isEmpty())
        return s.invalid;
    if (s.server.isEmpty())
        return QStringLiteral("no EPP Server is set");
    if (s.clientId.isEmpty())
        return QStringLiteral("no EPP Client ID is set");
    if (s.certificate.isEmpty() != s.key.isEmpty())
        return QStringLiteral("EPP Certificate and EPP Key go together");
    if (!s.key.isEmpty()) {
        const QFileInfo key(s.key);
        if (!key.isFile())
            return QStringLiteral("the key file %1 cannot be read").arg(s.key);
        if (key.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther))
            return QStringLiteral("the key file %1 can be read by others; make it yours alone (chmod 600)").arg(s.key);
        if (QSslCertificate::fromPath(s.certificate).isEmpty())
            return QStringLiteral("the certificate file %1 holds no PEM certificate").arg(s.certificate);
    }
    if (!s.caFile.isEmpty() && QSslCertificate::fromPath(s.caFile).isEmpty())
        return QStringLiteral("the CA file %1 holds no PEM certificate").arg(s.caFile);
    return {};
}

void EppSession::open()
{
    const HostPort hp = HostPort::Split(m_settings.server);
    m_host = hp.host;
    if (hp.port) {
        bool ok = false;
        const uint port = hp.port->toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return fail(EppOutcome::Failure::Settings, QStringLiteral("%1 is no port").arg(*hp.port));
        m_port = quint16(port);
    }
    if (const auto literal = SockAddr::FromLiteral(m_host))
        return connectTo({*literal});
    m_resolver = std::make_unique<NameResolver>();
    m_resolver->Start(QUrl::toAce(m_host), [this](const NameResolver::Answer &answer) {
        if (answer.addresses.isEmpty())
            return fail(EppOutcome::Failure::Resolve, QStringLiteral("%1 has no address").arg(m_host));
        connectTo(answer.addresses);
    });
}

void EppSession::connectTo(const QList<SockAddr> &addresses)
{
    QList<SockAddr> withPort;
    for (const SockAddr &a : addresses)
        withPort << a.WithPort(m_port);
    m_connector = std::make_unique<RaceConnector>();
    m_connector->Start(RaceConnector::Interleave(withPort), -1, {}, [this](int fd, const SockAddr &, int error) {
        if (fd < 0)
            return fail(EppOutcome::Failure::Connect,
                        QStringLiteral("%1 port %2: %3").arg(m_host).arg(m_port).arg(QString::fromLocal8Bit(strerror(error))));
        m_socket = new QSslSocket(this);
        if (!m_socket->setSocketDescriptor(fd)) {
            ::close(fd);
            return fail(EppOutcome::Failure::Connect, m_socket->errorString());
        }
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setProtocol(QSsl::TlsV1_2OrLater);
        tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
        QList<QSslCertificate> cas = tls.caCertificates();
        if (!m_settings.caFile.isEmpty())
            cas << QSslCertificate::fromPath(m_settings.caFile);
        cas << m_settings.extraCa;
        tls.setCaCertificates(cas);
        if (!m_settings.certificate.isEmpty()) {
            tls.setLocalCertificateChain(QSslCertificate::fromPath(m_settings.certificate));
            QFile keyFile(m_settings.key);
            if (!keyFile.open(QIODevice::ReadOnly) || keyFile.size() > 1024 * 1024)
                return fail(EppOutcome::Failure::Settings, QStringLiteral("the key file %1 cannot be read").arg(m_settings.key));
            const QByteArray pem = keyFile.readAll();
            QSslKey key(pem, QSsl::Ec);
            if (key.isNull())
                key = QSslKey(pem, QSsl::Rsa);
            if (key.isNull())
                return fail(EppOutcome::Failure::Settings, QStringLiteral("the key file %1 holds no usable key").arg(m_settings.key));
            tls.setPrivateKey(key);
        }
        m_socket->setSslConfiguration(tls);
        m_socket->setPeerVerifyName(m_host);
        connect(m_socket, &QSslSocket::encrypted, this, [this] { m_connected(); });
        connect(m_socket, &QSslSocket::readyRead, this, &EppSession::readable);
        connect(m_socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
            QStringList texts;
            for (const QSslError &e : errors)
                texts << e.errorString();
            fail(EppOutcome::Failure::Tls, texts.join(QStringLiteral("; ")));
        });
        connect(m_socket, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
            if (error == QAbstractSocket::RemoteHostClosedError)
                return fail(EppOutcome::Failure::Closed, QStringLiteral("the connection was closed"));
            fail(m_socket->isEncrypted() ? EppOutcome::Failure::Connect : EppOutcome::Failure::Tls, m_socket->errorString());
        });
        m_socket->startClientEncryption();
    });
}

QString EppSession::takeFrames(QByteArray &buffer, const std::function<void(const QByteArray &)> &frame)
{
    while (buffer.size() >= 4) {
        const quint32 length = qFromBigEndian<quint32>(buffer.constData());
        if (length < 5 || length > MaxFrame + 4)
            return QStringLiteral("a frame of %1 bytes (at most 1 MB, at least 5)").arg(length);
        if (buffer.size() < qsizetype(length))
            return {};
        const QByteArray xml = buffer.mid(4, length - 4);
        buffer.remove(0, length);
        frame(xml);
    }
    return {};
}

void EppSession::readable()
{
    if (m_closed || !m_socket)
        return;
    m_buffer += m_socket->read(MaxFrame + 8 - m_buffer.size());
    const QString error = takeFrames(m_buffer, [this](const QByteArray &xml) {
        if (!m_closed)
            m_frame(xml);
    });
    if (!error.isEmpty())
        return fail(EppOutcome::Failure::Framing, error);
    if (!m_closed && m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &EppSession::readable, Qt::QueuedConnection);
}

void EppSession::send(const QByteArray &xml)
{
    if (m_closed || !m_socket)
        return;
    QByteArray header(4, '\0');
    qToBigEndian<quint32>(quint32(xml.size() + 4), header.data());
    m_socket->write(header + xml);
}

void EppSession::fail(EppOutcome::Failure failure, const QString &detail)
{
    if (m_closed)
        return;
    close();
    m_failed(failure, detail);
}

void EppSession::close(const QByteArray &last)
{
    if (m_closed)
        return;
    if (!last.isEmpty() && m_socket && m_socket->isEncrypted()) {
        send(last);
        m_socket->flush();
    }
    m_closed = true;
    if (m_resolver)
        m_resolver->Abort();
    if (m_connector)
        m_connector->Abort();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}
