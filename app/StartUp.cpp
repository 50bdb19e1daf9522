#include "StartUp.h"

#include "QtPrompter.h"
#include "SettingsLocation.h"
#include "TForm1.h"
#include "TSplashScreen.h"
#include "WindowState.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
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

// Qt ends the process with a fatal message when no platform can be started
// (a display that cannot be reached); that is the first start-up step failing.
void platformFailureHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (g_previousHandler)
            g_previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(startupFailureText(1)));
    std::fflush(stderr);
    std::_Exit(1);
}

// The program's only options: --help and --version.
struct Options {
    QCommandLineParser parser;
    Options()
    {
        parser.setApplicationDescription(QStringLiteral("The Internet Domain Name Registration Manager"));
        parser.addHelpOption();
        parser.addVersionOption();
    }
    // The one of them asked for, in the order Qt answers them; empty for none.
    QString informationAsked() const
    {
        for (const char *name : {"version", "help", "help-all"})
            if (parser.isSet(QLatin1String(name)))
                return QLatin1String("--") + QLatin1String(name);
        return {};
    }
};

void setApplicationNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("Zandolet"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZANDOLET_VERSION));
}

// --help and --version need no display, so they are answered before one is
// looked for, on standard output. Returns false when neither is asked for.
bool answerInformationOptions(int &argc, char **argv)
{
    Options options;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Options meant for the window system are unknown here; they do not matter to these two.
    options.parser.parse(arguments);
    const QString asked = options.informationAsked();
    if (asked.isEmpty())
        return false;
    QCoreApplication app(argc, argv);
    setApplicationNames();
    options.parser.process({arguments.first(), asked});
    return true; // not reached: the parser ends the program
}

// An unknown option is refused, on standard error with a failure status.
void handleCommandLine(const QApplication &app)
{
    Options options;
    options.parser.process(app);
}

std::unique_ptr<QApplication> makeApplication(int &argc, char **argv)
{
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
    if (answerInformationOptions(argc, argv))
        return 0;
    if (!hasDisplay()) {
        std::fprintf(stderr, "Zandolet needs a graphical display, and neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
                             "Start it from a desktop session, or under a virtual one (xvfb-run -a zandolet).\n");
        return 1;
    }
    // Past a file-size limit a write must fail and be shown like a full disk,
    // not end the program with everything typed lost (the message file too).
    std::signal(SIGXFSZ, SIG_IGN);
    auto app = step(1, [&] { return makeApplication(argc, argv); });
    handleCommandLine(*app);
    auto splash = step(2, [] { return std::make_unique<TSplashScreen>(); });
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QtPrompter prompter;
    auto form = step(3, [&] {
        QApplication::setApplicationName(QStringLiteral("Zandolet"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
        const QString settings = TForm1::defaultSettingsPath();
        SettingsLocation::makeFolder(settings);
        return std::make_unique<TForm1>(settings, &prompter);
    });
    prompter.setParent(form.get());

    while (splash->Showing())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    splash.reset();

    // Where the window was when it last closed, or the middle of the screen.
    (new WindowState(*form, WindowState::pathBeside(form->settingsPath())))->show();
    QObject::connect(form.get(), &QObject::destroyed, qApp, &QCoreApplication::quit);
    QApplication::setQuitOnLastWindowClosed(true);
    return app->exec();
}
