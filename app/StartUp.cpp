#include "StartUp.h"

#include "QtPrompter.h"
#include "TForm1.h"
#include "TSplashScreen.h"

#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <cstdio>
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

[[noreturn]] void startupFailed(int code)
{
    if (qApp)
        QMessageBox::critical(nullptr, QStringLiteral("Zandolet"), startupFailureText(code));
    else
        std::fprintf(stderr, "%s\n", qPrintable(startupFailureText(code)));
    if (qApp)
        QCoreApplication::quit();
    std::exit(0);
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
    if (!hasDisplay()) {
        std::fprintf(stderr, "Zandolet needs a graphical display, and neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
                             "Start it from a desktop session, or under a virtual one (xvfb-run -a zandolet).\n");
        return 1;
    }
    // Past a file-size limit a write must fail and be shown like a full disk,
    // not end the program with everything typed lost (the message file too).
    std::signal(SIGXFSZ, SIG_IGN);
    auto app = step(1, [&] { return std::make_unique<QApplication>(argc, argv); });
    auto splash = step(2, [] { return std::make_unique<TSplashScreen>(); });
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QtPrompter prompter;
    auto form = step(3, [&] {
        QApplication::setApplicationName(QStringLiteral("Zandolet"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
        return std::make_unique<TForm1>(TForm1::defaultSettingsPath(), &prompter);
    });
    prompter.setParent(form.get());

    while (splash->Showing())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    splash.reset();

    form->show();
    form->centerOnScreen();
    QObject::connect(form.get(), &QObject::destroyed, qApp, &QCoreApplication::quit);
    QApplication::setQuitOnLastWindowClosed(true);
    return app->exec();
}
