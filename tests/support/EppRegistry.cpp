#include "EppRegistry.h"

#include "PythonPeer.h"

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
    m_port = startPythonPeer(m_process, {QStringLiteral(EPP_REGISTRY_SCRIPT), m_folder.path(), m_mode}, timeoutMs, m_error);
    return m_port != 0;
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
