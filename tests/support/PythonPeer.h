#pragma once
// Starts a scripted peer written in Python that says "PORT N" on its first
// line once it listens; the port, or 0 with `error` saying why.
#include <QProcess>
#include <QTest>

inline quint16 startPythonPeer(QProcess &process, const QStringList &args, int timeoutMs, QString &error)
{
    process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!process.waitForStarted()) {
        error = process.errorString();
        return 0;
    }
    (void)QTest::qWaitFor([&] { return process.canReadLine() || process.state() != QProcess::Running; }, timeoutMs);
    const QByteArray first = process.readLine().trimmed();
    if (!first.startsWith("PORT ")) {
        error = QString::fromLocal8Bit(process.readAllStandardError());
        return 0;
    }
    return first.mid(5).toUShort();
}
