#pragma once
// One HTTPS GET of a URL over a connection of its own, read by
// HttpResponseReader: nothing a server sends is taken in beyond its bounds,
// and the connection is closed as soon as one is passed. Redirects are the
// caller's to follow. finished() comes once, with an empty failure when the
// answer arrived whole (whatever its status); abort() and the destructor end
// it without a signal.
#include "HttpResponseReader.h"

#include <QObject>
#include <QSslConfiguration>
#include <QStringList>
#include <QUrl>

class QSslSocket;

class HttpsGet : public QObject {
    Q_OBJECT
public:
    HttpsGet(const QSslConfiguration &ssl, qsizetype maxBodyBytes, QObject *parent = nullptr);
    ~HttpsGet() override;

    void start(const QUrl &url, const QByteArray &accept);
    void abort();
    const HttpResponseReader &response() const { return m_response; }

signals:
    // The TLS handshake is done; the request is on its way.
    void encrypted();
    // Why the answer is not whole, as one sentence; empty when it is.
    void finished(const QString &failure);

private:
    void readSome();
    void socketError();
    void end(const QString &failure);
    QString readerFailure() const;

    QSslConfiguration m_ssl;
    qsizetype m_maxBody;
    QSslSocket *m_socket = nullptr;
    HttpResponseReader m_response;
    QString m_host;
    QStringList m_tlsErrors;
    bool m_ended = false;
};
