#include "StartUp.h"

#include "CommandLine.h"
#include "NetworkPreMailCheck.h"
#include "QtPrompter.h"
#include "SettingsLocation.h"
#include "TForm1.h"
#include "TSplashScreen.h"
#include "WindowState.h"

#include <QApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

QString startupFailureText(int code)
{
    return QString::number(code) + QStringLiteral("->Cannot start application. Try Shutting down other applications");
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

namespace {

// A failed start is a failure to whoever started the program: the text goes
// to standard error as well, and the exit status is not 0.
[[noreturn]] void startupFailed(int code)
{
    std::fprintf(stderr, "%s\n", qPrintable(startupFailureText(code)));
    if (qApp) {
        QMessageBox::critical(nullptr, QStringLiteral("Zandolet"), startupFailureText(code));
        QCoreApplication::quit();
    }
    std::exit(1);
}

QtMessageHandler g_previousHandler = nullptr;
QString g_platformArgument;   // -platform's value, if given

// The platform plugins Qt was asked to try, as it picks them.
QStringList requestedPlatforms()
{
    QString names = g_platformArgument;
    if (names.isEmpty())
        names = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (names.isEmpty())
        names = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ? QStringLiteral("wayland")
                                                                                     : QStringLiteral("xcb");
    QStringList out;
    for (const QString &name : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        out << name.section(QLatin1Char(':'), 0, 0);
    return out;
}

// What failed and what to do about it, for a platform that cannot be started:
// the first plugin asked for that is not installed, or else the first one,
// which is installed but found no display. `available`: the plugins Qt has.
QString platformFailureText(const QStringList &available)
{
    const QStringList requested = requestedPlatforms();
    if (requested.isEmpty())
        return startupFailureText(1);
    QString missing;
    for (const QString &name : requested)
        if (missing.isEmpty() && !available.contains(name))
            missing = name;
    const QString plugin = missing.isEmpty() ? requested.first() : missing;
    const QString what = QStringLiteral("Zandolet cannot start: the Qt platform plugin \"") + plugin + QLatin1Char('"');
    if (missing.isEmpty())
        return what + QStringLiteral(" could not reach its display (DISPLAY=\"") + qEnvironmentVariable("DISPLAY") +
               QStringLiteral("\", WAYLAND_DISPLAY=\"") + qEnvironmentVariable("WAYLAND_DISPLAY") +
               QStringLiteral("\").\nStart it inside a desktop session, or choose the session's own platform with "
                              "QT_QPA_PLATFORM=xcb (X11) or QT_QPA_PLATFORM=wayland.");
    const QString text = what + QStringLiteral(" is not installed.\n");
    if (plugin == QLatin1String("wayland"))
        return text + QStringLiteral("Install the package qt6-wayland, or set QT_QPA_PLATFORM=xcb to run it through "
                                     "X11 (XWayland).");
    return text + QStringLiteral("Set QT_QPA_PLATFORM to a plugin that is installed (") +
           available.join(QStringLiteral(", ")) + QStringLiteral("), such as xcb.");
}

// Qt ends the process with a fatal message, which lists the plugins it has,
// when no platform can be started (a plugin missing, a display that cannot be
// reached); that is the first start-up step failing.
void platformFailureHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (g_previousHandler)
            g_previousHandler(type, context, message);
        return;
    }
    static const QRegularExpression list(QStringLiteral("Available platform plugins are: ([^\n]*)\\."));
    const QStringList available = list.match(message).captured(1).split(QStringLiteral(", "), Qt::SkipEmptyParts);
    std::fprintf(stderr, "%s\n", qPrintable(platformFailureText(available)));
    std::fflush(stderr);
    std::_Exit(1);
}

void setApplicationNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("Zandolet"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZANDOLET_VERSION));
}

// The options need no display, so they are answered before one is looked for.
void answerOptions(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine options = CommandLine::parse(arguments);
    if (options.asked == CommandLine::Asked::Run)
        return;
    QCoreApplication app(argc, argv);
    setApplicationNames();
    options.answer();
}

std::unique_ptr<QApplication> makeApplication(int &argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            g_platformArgument = QString::fromLocal8Bit(argv[i + 1]);
    g_previousHandler = qInstallMessageHandler(platformFailureHandler);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    setApplicationNames();
    QGuiApplication::setDesktopFileName(QStringLiteral("zandolet"));
    return app;
}

template <class F> auto step(int code, F &&f)
{
    try {
        return f();
    } catch (...) {
        startupFailed(code);
    }
}

} // namespace

int runZandolet(int &argc, char **argv)
{
    answerOptions(argc, argv);
    if (!hasDisplay()) {
        std::fprintf(stderr, "Zandolet needs a graphical display, and neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
                             "Start it from a desktop session, or under a virtual one (xvfb-run -a zandolet).\n");
        return 1;
    }
    // Past a file-size limit a write must fail and be shown like a full disk,
    // not end the program with everything typed lost (the message file too).
    std::signal(SIGXFSZ, SIG_IGN);
    auto app = step(1, [&] { return makeApplication(argc, argv); });
    auto splash = step(2, [] { return std::make_unique<TSplashScreen>(); });
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QtPrompter prompter;
    const QString settings = TForm1::defaultSettingsPath();
    auto form = step(3, [&] {
        QApplication::setApplicationName(QStringLiteral("Zandolet"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
        SettingsLocation::makeFolder(settings);
        return std::make_unique<TForm1>(settings, &prompter, [settings] { return makeNetworkPreMailCheck(settings); });
    });
    prompter.setParent(form.get());

    while (splash->Showing())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    splash.reset();

    // Where the window was when it last closed, or the middle of the screen.
    (new WindowState(*form, WindowState::pathBeside(settings)))->show();
    QObject::connect(form.get(), &QObject::destroyed, qApp, &QCoreApplication::quit);
    QApplication::setQuitOnLastWindowClosed(true);
    return app->exec();
}
