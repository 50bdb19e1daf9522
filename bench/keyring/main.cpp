// Keyring calls against a private session bus and gnome-keyring-daemon:
// load and save with the keyring unlocked, locked and stopped (no answer).
// Prints the slowest of each and the longest gap between the ticks of a 10 ms
// timer meanwhile (what a window would feel); the goal is at most a second.
#include "PasswordKeeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRounds = 5;

QByteArray bus(const QStringList &call)
{
    QProcess ask;
    ask.start(QStringLiteral("dbus-send"), QStringList{"--session", "--print-reply"} + call);
    return ask.waitForFinished(5000) ? ask.readAllStandardOutput() : QByteArray();
}

struct Timing {
    qint64 slowestMs = 0;
    qint64 longestGapMs = 0;
};

Timing measure(const std::function<void()> &call)
{
    Timing t;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer tick;
        qint64 gap = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            gap = std::max(gap, tick.restart());
        });
        ticker.start(10);
        QElapsedTimer whole;
        whole.start();
        tick.start();
        call();
        t.slowestMs = std::max(t.slowestMs, whole.elapsed());
        t.longestGapMs = std::max({t.longestGapMs, gap, tick.elapsed()});
    }
    return t;
}

void report(const char *what, const Timing &t)
{
    std::printf("%-34s slowest %5lld ms  longest pause %5lld ms  (goal 1000 ms: %.2f)\n", what,
                static_cast<long long>(t.slowestMs), static_cast<long long>(t.longestGapMs),
                double(std::max(t.slowestMs, t.longestGapMs)) / 1000.0);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("run"));
    qunsetenv("DISPLAY");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.filePath(QStringLiteral("run"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QCoreApplication app(argc, argv);

    QProcess busDaemon;
    busDaemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!busDaemon.waitForReadyRead(10000)) {
        std::fprintf(stderr, "no dbus-daemon\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", busDaemon.readLine().trimmed());
    QProcess keyring;
    keyring.start(QStringLiteral("gnome-keyring-daemon"), {"--foreground", "--unlock", "--components=secrets"});
    keyring.write("unlock-me");
    keyring.closeWriteChannel();
    for (int i = 0; i < 100 && !bus({"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.secrets"})
                                    .contains("boolean true");
         ++i)
        QThread::msleep(100);
    if (!PasswordKeeper(QStringLiteral("bench"), 10000).save(QStringLiteral("kept"))) {
        std::fprintf(stderr, "the keyring took no password\n");
        return 1;
    }

    PasswordKeeper keeper(QStringLiteral("bench"));
    if (keeper.load(QString()) != QStringLiteral("kept")) {
        std::fprintf(stderr, "the keyring gave the password back wrong\n");
        return 1;
    }
    report("unlocked: load", measure([&] { keeper.load(QString()); }));
    report("unlocked: save", measure([&] { keeper.save(QStringLiteral("kept")); }));
    bus({"--dest=org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.Secret.Service.Lock",
         "array:objpath:/org/freedesktop/secrets/collection/login"});
    report("locked: load", measure([&] { keeper.load(QString()); }));
    report("locked: save", measure([&] { keeper.save(QStringLiteral("new")); }));
    ::kill(pid_t(keyring.processId()), SIGSTOP);
    report("no answer: load", measure([&] { keeper.load(QString()); }));
    report("no answer: save", measure([&] { keeper.save(QStringLiteral("new")); }));
    ::kill(pid_t(keyring.processId()), SIGCONT);
    keyring.terminate();
    keyring.waitForFinished(5000);
    busDaemon.terminate();
    busDaemon.waitForFinished(5000);
    return 0;
}
