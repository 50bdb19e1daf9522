#pragma once
// EppSession: the transport of RFC 5734. It resolves the server's name,
// races its IPv6 and IPv4 addresses (core's resolver and connector), speaks
// TLS 1.2 or later with the server's name verified, and cuts the stream into
// frames: a 4-byte big-endian length, header included, then the XML. A
// length over 1 MB or under 5 bytes ends the session as soon as its header
// is in.
#include "EppOutcome.h"
#include "EppSettings.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>

class NameResolver;
class RaceConnector;
class QSslSocket;

class EppSession : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxFrame = 1024 * 1024;

    using Failed = std::function<void(EppOutcome::Failure, const QString &)>;
    EppSession(const EppSettings &settings, std::function<void()> connected,
               std::function<void(const QByteArray &)> frame, Failed failed);
    ~EppSession() override;

    // A problem with the certificate, key or CA files, before connecting; empty when none.
    static QString settingsProblem(const EppSettings &settings);
    void open();
    void send(const QByteArray &xml);
    // Closes at once; nothing more is reported. `last`, when given, is
    // written first as far as the socket takes it without waiting (a logout).
    void close(const QByteArray &last = {});

    // The frame splitter alone: takes `bytes` into `buffer`, hands out each
    // whole frame; an error text for a bad length (then stop reading).
    static QString takeFrames(QByteArray &buffer, const std::function<void(const QByteArray &)> &frame);

private:
    void connectTo(const QList<class SockAddr> &addresses);
    void readable();
    void fail(EppOutcome::Failure failure, const QString &detail);

    const EppSettings &m_settings;
    QString m_host;
    quint16 m_port = EppSettings::DefaultPort;
    std::function<void()> m_connected;
    std::function<void(const QByteArray &)> m_frame;
    Failed m_failed;
    std::unique_ptr<NameResolver> m_resolver;
    std::unique_ptr<RaceConnector> m_connector;
    QSslSocket *m_socket = nullptr;
    QByteArray m_buffer;
    bool m_closed = false;
};
