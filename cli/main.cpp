#include "Command.h"
#include "SettingsLocation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkProxyFactory>

#include <csignal>

namespace {

// The window's program, whose settings file this program reads: beside this
// one when installed, in the build tree's app/ folder beside cli/.
QString windowProgram()
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QStringLiteral("/zandolet");
    const QString built = folder + QStringLiteral("/../app/zandolet");
    return !QFileInfo::exists(beside) && QFileInfo::exists(built) ? built : beside;
}

} // namespace

int main(int argc, char **argv)
{
    // Past a file-size limit a write must fail with a message, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    // https_proxy and no_proxy, as curl and git take them.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    return runCommandLine(words, Console(), SettingsLocation::forProgram(windowProgram()));
}
