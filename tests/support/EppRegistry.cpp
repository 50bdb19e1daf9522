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
    m_process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(EPP_REGISTRY_SCRIPT), m_folder.path(), m_mode});
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
