#include "SmtpSink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QString ScriptPath()
{
    return QStringLiteral(SMTP_SINK_SCRIPT);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

SmtpSink::SmtpSink() = default;

SmtpSink::~SmtpSink()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SmtpSink::Start(int timeoutMs, const QStringList &options)
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_folder.errorString();
        return false;
    }
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments(QStringList{ScriptPath(), m_folder.path()} + options);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("cannot start /usr/bin/python3: ") + m_process.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running && clock.elapsed() < timeoutMs)
        m_process.waitForReadyRead(static_cast<int>(timeoutMs - clock.elapsed()));
    bool ok = false;
    m_port = static_cast<quint16>(m_process.readLine().trimmed().toUInt(&ok));
    if (!ok || m_port == 0) {
        m_error = QStringLiteral("SMTP sink did not start: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
        return false;
    }
    return true;
}

QString SmtpSink::Address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QList<SmtpSink::Message> SmtpSink::Messages() const
{
    QList<Message> messages;
    const QDir dir(m_folder.path());
    for (const QString &name : dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name)) {
        const QString base = dir.filePath(QFileInfo(name).completeBaseName());
        Message m;
        m.data = ReadAll(base + QStringLiteral(".eml"));
        for (const QByteArray &line : ReadAll(base + QStringLiteral(".env")).split('\n')) {
            if (line.startsWith("MAIL FROM:"))
                m.mailFrom = QString::fromLatin1(line.mid(10));
            else if (line.startsWith("MAIL OPTIONS:"))
                m.mailOptions = QString::fromLatin1(line.mid(13)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            else if (line.startsWith("RCPT TO:"))
                m.rcptTo << QString::fromLatin1(line.mid(8));
        }
        messages << m;
    }
    return messages;
}

bool SmtpSink::WaitForMessages(int count, int ms) const
{
    const QDir dir(m_folder.path());
    return QTest::qWaitFor(
        [&] { return dir.entryList({QStringLiteral("*.eml")}, QDir::Files).size() >= count; }, ms);
}

QStringList SmtpSink::AuthAttempts() const
{
    const QString log = QString::fromUtf8(ReadAll(QDir(m_folder.path()).filePath(QStringLiteral("auth.log"))));
    return log.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void SmtpSink::Clear()
{
    QDir dir(m_folder.path());
    for (const QString &name : dir.entryList({QStringLiteral("*.eml"), QStringLiteral("*.env")}, QDir::Files))
        dir.remove(name);
}
