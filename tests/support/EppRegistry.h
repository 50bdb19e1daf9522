#pragma once
// EppRegistry: the scripted EPP registry (epp_registry.py, Python's ssl) on
// a free loopback port, with its own test authority. Its store is a JSON
// file the test may seed and read; its log holds one line a command.
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class EppRegistry {
public:
    // mode: "" or one of the script's misbehaviours ("huge", "doctype", ...).
    explicit EppRegistry(QString mode = {}, const QJsonObject &store = {});
    ~EppRegistry();
    EppRegistry(const EppRegistry &) = delete;
    EppRegistry &operator=(const EppRegistry &) = delete;

    bool Start(int timeoutMs = 15000);
    QString Server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QString AuthorityFile() const { return m_folder.filePath(QStringLiteral("ca.pem")); }
    QList<QSslCertificate> Authority() const { return QSslCertificate::fromPath(AuthorityFile()); }
    QString ErrorText() const { return m_error; }
    QJsonObject Store() const;
    // The commands taken since the last call.
    QStringList Log();

private:
    QString m_mode;
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    qsizetype m_logRead = 0;
};
