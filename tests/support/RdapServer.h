#pragma once
// RdapServer: a real HTTPS server for RDAP look-ups. It makes a test
// authority and a certificate for 127.0.0.1 with openssl, then runs
// rdap_server.py (Python's http.server with ssl, under /usr/bin/python3) on
// a free loopback port, serving a folder's bootstrap file and answers (the
// script says which paths mean what).
//
//   RdapServer server(ZANDOLET_TEST_DATA "/rdap");
//   QVERIFY2(server.Start(), qPrintable(server.ErrorText()));
//   options.bootstrapUrl = server.Url("/dns.json");
//   options.extraCaCertificates = server.Authority();
//
// The server stops when the object is destroyed.
#include <QList>
#include <QProcess>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

class RdapServer {
public:
    explicit RdapServer(QString root);
    ~RdapServer();
    RdapServer(const RdapServer &) = delete;
    RdapServer &operator=(const RdapServer &) = delete;

    // Makes the certificates, starts the server and waits until it listens;
    // false (see ErrorText) on failure.
    bool Start(int timeoutMs = 15000);
    quint16 Port() const { return m_port; }
    // https://127.0.0.1:<port><path>, on another port when one is given.
    QUrl Url(const QString &path, quint16 port = 0) const;
    // The authority that signed the server's certificate, and its PEM file.
    QList<QSslCertificate> Authority() const { return m_authority; }
    QString AuthorityFile() const { return m_folder.filePath(QStringLiteral("ca.pem")); }
    // An authority of its own that signed nothing here.
    QList<QSslCertificate> OtherAuthority() const { return QSslCertificate::fromPath(m_folder.filePath(QStringLiteral("other.pem"))); }
    QString ErrorText() const { return m_error; }
    // The requests seen since the last call, one "GET <path> <Accept>" each.
    QStringList Requests();

private:
    bool makeCertificates();

    QString m_root;
    QTemporaryDir m_folder;
    QProcess m_process;
    QList<QSslCertificate> m_authority;
    quint16 m_port = 0;
    QString m_error;
};
