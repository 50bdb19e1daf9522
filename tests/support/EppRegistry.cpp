#include "EppRegistry.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

EppRegistry::EppRegistry(QString mode, const QJsonObject &store) : m_mode(std::move(mode))
{
    QFile file(m_folder.filePath(QStringLiteral("store.json")));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(store).toJson());
}

EppRegistry::~EppRegistry()
{
    m_process.kill();
    m_process.waitForFinished();
}

bool EppRegistry::Start(int timeoutMs)
{
    const QString ec = QStringLiteral("ec_paramgen_curve:prime256v1");
    const auto file = [this](const char *name) { return m_folder.filePath(QLatin1String(name)); };
    const QList<QStringList> steps = {
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-days", "2", "-subj", "/CN=Zandolet Test Authority",
         "-keyout", file("ca.key"), "-out", file("ca.pem")},
        {"req", "-x509", "-CA", file("ca.pem"), "-CAkey", file("ca.key"), "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-days",
         "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-addext", "basicConstraints=CA:FALSE",
         "-keyout", file("server.key"), "-out", file("server.pem")}};
    for (const QStringList &args : steps) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), args);
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
            m_error = QStringLiteral("openssl: ") + QString::fromLocal8Bit(openssl.readAllStandardError());
            return false;
        }
    }
    m_process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(EPP_REGISTRY_SCRIPT), file("server.pem"), file("server.key"),
                                                         file("store.json"), file("log"), m_mode});
    if (!m_process.waitForStarted()) {
        m_error = m_process.errorString();
        return false;
    }
    (void)QTest::qWaitFor([this] { return m_process.canReadLine() || m_process.state() != QProcess::Running; }, timeoutMs);
    const QByteArray first = m_process.readLine().trimmed();
    if (!first.startsWith("PORT ")) {
        m_error = QString::fromLocal8Bit(m_process.readAllStandardError());
        return false;
    }
    m_port = first.mid(5).toUShort();
    return true;
}

QJsonObject EppRegistry::Store() const
{
    QFile file(m_folder.filePath(QStringLiteral("store.json")));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

QStringList EppRegistry::Log()
{
    QFile file(m_folder.filePath(QStringLiteral("log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList all = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList fresh = all.mid(m_logRead);
    m_logRead = all.size();
    return fresh;
}
