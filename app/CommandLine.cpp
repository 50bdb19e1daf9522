#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Options Qt and its platform plugins take out of the arguments themselves.
struct ToolkitOption {
    const char *name;
    bool takesValue;
};
constexpr ToolkitOption toolkitOptions[] = {
    {"platform", true},  {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true}, {"qwindowicon", true}, {"geometry", true},
    {"title", true},     {"icon", true},    {"session", true},   {"style", true},
    {"stylesheet", true}, {"display", true}, {"name", true},     {"visual", true},
    {"qmljsdebugger", true}, {"reverse", false}, {"testability", false}, {"widgetcount", false},
    {"qdevel", false},   {"qdebug", false}, {"nograb", false},   {"dograb", false},
};

void setupParser(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("The Internet Domain Name Registration Manager"));
    // Qt's options are single-dash words; read as bundled letters, "-reverse"
    // would be -r -e -v ... and ask for the version.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    for (const ToolkitOption &o : toolkitOptions) {
        QCommandLineOption option(QLatin1String(o.name));
        if (o.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    setupParser(parser);
    CommandLine result;
    if (!parser.parse(arguments)) {
        result.asked = Asked::Error;
        result.error = parser.errorText();
    } else if (parser.isSet(QStringLiteral("version"))) {
        result.asked = Asked::Version;
    } else if (parser.isSet(QStringLiteral("help"))) {
        result.asked = Asked::Help;
    } else if (parser.isSet(QStringLiteral("help-all"))) {
        result.asked = Asked::HelpAll;
    }
    return result;
}

void CommandLine::answer() const
{
    if (asked == Asked::Error) {
        std::fprintf(stderr, "zandolet: %s\nTry 'zandolet --help' for the options.\n", qPrintable(error));
        std::exit(2);
    }
    QCommandLineParser parser;
    setupParser(parser);
    const char *option = asked == Asked::Version ? "--version" : asked == Asked::HelpAll ? "--help-all" : "--help";
    parser.process({QCoreApplication::arguments().value(0), QLatin1String(option)}); // prints and exits
    std::exit(0);
}
