#include "Command.h"

#include "CliFailure.h"
#include "Exception.h"
#include "SettingsCheck.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace {

const QStringList kActions{QStringLiteral("--new"), QStringLiteral("--modify"), QStringLiteral("--delete")};

const char *const kActionHelp =
    "KIND is domain, host or contact; NAME names the record file in domains/, hosts/ or contacts/\n"
    "under the current directory. --new, --modify or --delete chooses the action the template\n"
    "carries (a record file keeps none); without one it carries none.\n\n";

QString overview()
{
    QString text = QStringLiteral("Usage: zandolet-cli [--settings FILE] [-q] COMMAND [ARGUMENTS]\n\n"
                                  "Renders, checks, mails and imports the records of the current directory, and looks\n"
                                  "names up as the WhoIs and Finger pages do.\n\n"
                                  "Commands:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  %1\n      %2\n").arg(QLatin1String(c.usage), QLatin1String(c.summary));
    text += QStringLiteral("\n'zandolet-cli help COMMAND' (or 'zandolet-cli COMMAND --help') describes a command.\n"
                           "--settings FILE reads another settings file; -q (--quiet) keeps standard error to errors;\n"
                           "-V (--version) prints the version. Exit status: 0 done, 1 problems found or refused,\n"
                           "2 usage, 3 a file or the network failed.");
    return text;
}

QString usageLine(const Command &c)
{
    return QStringLiteral("Usage: zandolet-cli %1").arg(QLatin1String(c.usage));
}

} // namespace

const std::vector<Command> &commands()
{
    static const std::vector<Command> table{
        {"list", "list domains|hosts|contacts [--json]", "the names in the kind's name list, one a line",
         "Prints the names of the kind's name list (domains.cbx, hosts.cbx, Contacts.cbx), one a line;\n"
         "--json prints them as a JSON array.\n",
         {QStringLiteral("--json")}, 1, 1, runList},
        {"render", "render KIND NAME [--new|--modify|--delete] [--store [--yes]] [--utf-8]",
         "the registration template of a record, to standard output",
         "Prints the template as Show Form renders it, byte for byte: ISO-8859-1, every line ended by\n"
         "CR LF, as its text copy is. Writes nothing, unless --store writes what Show Form writes: the\n"
         "text copy, the record file and the name list. With --delete that removes the record's files\n"
         "and its name: asked on the terminal unless --yes, and what was removed is said.\n"
         "--utf-8 prints the template as UTF-8 with LF line ends, for grep and pipes.\n",
         kActions + QStringList{QStringLiteral("--store"), QStringLiteral("--yes"), QStringLiteral("--utf-8")}, 2, 2, runRender},
        {"check", "check KIND NAME [--new|--modify|--delete] [--network [--cacert=FILE]] [--json]",
         "what the registry would refuse in a record, one problem a line",
         "Prints each problem the check before mailing finds, one a line. Exit status 0 when the record\n"
         "is fit to mail, 1 when it has problems.\n"
         "--network then asks the network what the registry will: whether each name server answers\n"
         "for the domain with authority, over UDP and TCP, with the same serial and NS set, and its\n"
         "name has the address given; whether a new domain is free (over RDAP when Look Up With is\n"
         "RDAP); whether a host's name has its address; whether a contact's mail domain has an MX or\n"
         "address record. Its problems follow the others; \"warning: \" begins one that is no reason\n"
         "to refuse. Exit status 3 when nothing on the network answered and no problem was found.\n"
         "--cacert=FILE as for rdap. --json prints {\"kind\", \"name\", \"fit\", \"problems\": [{\"key\",\n"
         "\"severity\": \"error\"|\"warning\", \"text\", \"network\"}]}.\n",
         kActions + QStringList{QStringLiteral("--network"), QStringLiteral("--cacert="), QStringLiteral("--json")}, 2, 2, runCheck},
        {"import", "import KIND FILE.csv|- [--delimiter=,|;|tab] [--encoding=utf-8|cp1252] [--trim] [--ignore-unknown] [--json]\n"
                   "       zandolet-cli import --keys KIND", "record files from a CSV file",
         "Writes one record file per row of FILE.csv and adds the names to the kind's name list. The\n"
         "header row names the record keys (as the record files spell them, in any case), and one column\n"
         "named as the name box (DomainNameEdit, HostName, Contactname) names each record. A row with an\n"
         "unknown key, a bad value or a name used twice is refused, naming the row; then nothing is\n"
         "written at all. A name with blanks before or after it is refused, unless --trim removes the\n"
         "blanks around every value; --ignore-unknown skips unknown columns with one warning. - reads\n"
         "standard input. The delimiter (comma, semicolon or tab) is the one the header holds most of,\n"
         "unless --delimiter names it; values may be quoted with \"...\". The text is UTF-8, with or\n"
         "without a byte-order mark, or Windows-1252 with --encoding=cp1252. Empty rows are skipped.\n"
         "The summary counts records created, updated and unchanged; --json prints {\"created\",\n"
         "\"updated\", \"unchanged\", \"refused\"}, each a list. --keys lists the keys of KIND's records.\n",
         {QStringLiteral("--trim"), QStringLiteral("--ignore-unknown"), QStringLiteral("--keys"), QStringLiteral("--delimiter="),
          QStringLiteral("--encoding="), QStringLiteral("--json")},
         1, 2, runImport},
        {"mail", "mail KIND NAME [--new|--modify|--delete] [--yes] [--cacert=FILE]",
         "mails the registration as the mail button does",
         "Checks the record as the mail button does, with the network too unless [Setup] says\n"
         "Check Network=No, asks on the terminal, renders and stores it as Show Form does, and mails it\n"
         "with the settings of [Setup]. --yes answers the question for a record without errors; a\n"
         "record with errors is never mailed with --yes. Progress goes to standard error. Exit status 0\n"
         "only when the server took the message. --cacert=FILE as for rdap.\n",
         kActions + QStringList{QStringLiteral("--yes"), QStringLiteral("--cacert=")}, 2, 2, runMail},
        {"rdap", "rdap NAME [--cacert=FILE] [--json]", "looks a domain name up with RDAP, as the WhoIs page does",
         "Finds the registry's RDAP service for NAME (a name in any script) in the bootstrap file, asks it\n"
         "over HTTPS and prints the answer as the WhoIs page shows it, the registrar's record below a\n"
         "\"--- server ---\" line. The steps and the reason a look-up ended early go to standard error.\n"
         "Exit status 0 with an answer, 1 when the registry knows no such name, 3 for any other failure.\n"
         "--cacert=FILE trusts the authorities in the PEM file FILE besides the system's, as a closed\n"
         "network's own RDAP service needs. --json prints {\"name\", \"outcome\", \"registrar\", \"reason\",\n"
         "\"registry_record\", \"registrar_record\"}: the outcome (found, not found, refused, transport failure,\n"
         "cut short) and the records as the servers sent them (null when none came).\n",
         {QStringLiteral("--cacert="), QStringLiteral("--json")}, 1, 1, runRdap},
        {"whois", "whois NAME [--server=HOST[:PORT]] [--cacert=FILE]", "looks a name up as the WhoIs page does",
         "Asks the WhoIs server of the settings file (or HOST, port 43 unless PORT is given) for NAME, a\n"
         "domain, host or contact in any script, and follows up to two referrals in the answers, each\n"
         "below a \"--- server ---\" line, never back to a server already asked. When the settings choose\n"
         "RDAP (Look Up With=RDAP) it looks NAME up as the rdap command does, unless --server names a\n"
         "WHOIS server; --cacert=FILE as for rdap. The answer goes to standard\n"
         "output as the page shows it; the steps and the reason a look-up ended early go to standard\n"
         "error. A server gets 15 seconds to connect and 60 to send the next byte; a look-up ends after\n"
         "120 seconds, and an answer is cut at 1 MB or 20,000 lines. Exit status 0 with an answer, 1 when\n"
         "RDAP's registry knows no such name, 3 for any other failure.\n",
         {QStringLiteral("--server="), QStringLiteral("--cacert=")}, 1, 1, runWhois},
        {"finger", "finger [USER@]HOST [--port=PORT]", "asks a host's Finger service, as the Finger page does",
         "Asks the Finger service of HOST (port 79 unless PORT is given) about USER, or, without USER,\n"
         "for the users logged in there. The answer goes to standard output as the page shows it; the\n"
         "steps and the reason a look-up ended early go to standard error. The waits and bounds are the\n"
         "whois command's. Exit status 0 with an answer, 3 for a failure.\n",
         {QStringLiteral("--port=")}, 1, 1, runFinger},
        {"epp", "epp hello|check KIND NAME|info KIND NAME|send KIND NAME --new|--modify|--delete [--yes] [--dry-run] [--network]|poll [--ack]",
         "talks to the registry over EPP: greeting, availability, an object, a record sent, the message queue",
         "hello prints the registry's greeting; check says whether NAME is free (exit 0) or taken (1); info\n"
         "prints the registry's object, then what a Modify of the local record would change; send checks the\n"
         "record as mail does (the network too unless Setup says Check Network=No; --network: always),\n"
         "asks (unless --yes) and sends it (--dry-run\n"
         "prints the frames and connects to nothing);\n"
         "poll reads the message queue (--ack acknowledges each message). --cacert=FILE as for rdap. Exit\n"
         "status 1 when the registry refuses, 3 for a network, TLS, framing or file failure.\n",
         kActions + QStringList{"--yes", "--dry-run", "--network", "--ack", "--cacert="}, 1, 3, runEpp},
        {"settings", "settings", "the settings file in use and its [Setup] values",
         "Prints which settings file is in use and the [Setup] values it holds, passwords masked.\n", {}, 0, 0,
         runSettings},
    };
    return table;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : commands())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

namespace {

// Options every command takes, before or after its name.
struct CommonOptions {
    QCommandLineOption settings{QStringList{QStringLiteral("settings")}, QStringLiteral("Reads FILE as the settings file."),
                                QStringLiteral("FILE")};
    QCommandLineOption quiet{QStringList{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("Standard error carries errors only.")};
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Describes it.")};
    QCommandLineOption version{QStringList{QStringLiteral("V"), QStringLiteral("version")},
                               QStringLiteral("Prints the version.")};

    void addTo(QCommandLineParser &parser) const { parser.addOptions({settings, quiet, help, version}); }
};

// Where the command's name is among the words: the first word that is no
// option and no option's value; -1 when there is none.
qsizetype commandAt(const QStringList &words)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i] == QLatin1String("--"))
            return -1;
        if (words[i] == QLatin1String("--settings"))
            ++i;
        else if (!words[i].startsWith(QLatin1Char('-')))
            return i;
    }
    return -1;
}

QString commandHelp(const Command &c)
{
    const QString record = c.flags.contains(QStringLiteral("--new")) ? QLatin1String(kActionHelp) : QString();
    return usageLine(c) + QStringLiteral("\n\n") + (record + QLatin1String(c.help)).trimmed() +
           QStringLiteral("\n\n--settings FILE (or --settings=FILE), -q (--quiet), -h (--help) and -V (--version) "
                          "may stand anywhere.");
}

int usage(const Console &console, const QString &text)
{
    console.error(text);
    return ExitStatus::Usage;
}

int runWords(const QStringList &words, const Console &console, const QString &defaultSettings)
{
    const CommonOptions common;
    QCommandLineParser parser;
    common.addTo(parser);
    const qsizetype at = commandAt(words);
    const Command *command = nullptr;
    if (at >= 0 && words[at] != QLatin1String("help")) {
        command = findCommand(words[at]);
        if (!command)
            return usage(console, QStringLiteral("Unknown command \"%1\"; see zandolet-cli --help.").arg(words[at]));
        for (const QString &flag : command->flags) {
            const bool takesValue = flag.endsWith(QLatin1Char('='));
            const QString name = flag.mid(2).chopped(takesValue ? 1 : 0);
            parser.addOption(takesValue ? QCommandLineOption(name, QString(), name.toUpper()) : QCommandLineOption(name));
        }
    }
    QStringList argv{QStringLiteral("zandolet-cli")};
    argv += at >= 0 ? words.mid(0, at) + words.mid(at + 1) : words;
    if (!parser.parse(argv)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (command && !unknown.isEmpty())
            return usage(console, QStringLiteral("%1 takes no option %2%3. %4")
                                      .arg(QLatin1String(command->name), unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                           unknown.first(), usageLine(*command)));
        return usage(console, parser.errorText() + QStringLiteral(" See zandolet-cli --help."));
    }
    if (parser.isSet(common.version)) {
        console.line(QStringLiteral("zandolet-cli " ZANDOLET_VERSION));
        return ExitStatus::Done;
    }
    if (at >= 0 && words[at] == QLatin1String("help")) { // "help" or "help COMMAND"
        const QStringList topic = parser.positionalArguments();
        const Command *described = topic.size() == 1 ? findCommand(topic.first()) : nullptr;
        if (topic.size() > 1 || (topic.size() == 1 && !described))
            return usage(console, QStringLiteral("Usage: zandolet-cli help [COMMAND]"));
        console.line(described ? commandHelp(*described) : overview());
        return ExitStatus::Done;
    }
    if (parser.isSet(common.help)) {
        console.line(command ? commandHelp(*command) : overview());
        return ExitStatus::Done;
    }
    if (!command)
        return usage(console, QStringLiteral("No command given; see zandolet-cli --help."));

    Invocation inv{parser.positionalArguments(), {}, {}, defaultSettings, console};
    inv.console.setQuiet(parser.isSet(common.quiet));
    const bool namedSettings = parser.isSet(common.settings);
    if (namedSettings)
        inv.settingsPath = parser.value(common.settings);
    for (const QString &flag : command->flags) {
        const QString name = flag.mid(2).chopped(flag.endsWith(QLatin1Char('=')) ? 1 : 0);
        if (!parser.isSet(name))
            continue;
        if (flag.endsWith(QLatin1Char('=')))
            inv.values.insert(flag.chopped(1), parser.value(name));
        else
            inv.flags.insert(flag);
    }
    if (inv.args.size() < command->minArgs || inv.args.size() > command->maxArgs)
        return usage(console, usageLine(*command));
    try {
        checkSettingsFile(inv.settingsPath, namedSettings, inv.console);
        return command->run(inv);
    } catch (const CliFailure &f) {
        console.error(f.text);
        return f.status;
    } catch (const Exception &e) {
        console.error(e.Message());
        return ExitStatus::Failure;
    } catch (const std::exception &e) {
        console.error(QString::fromLocal8Bit(e.what()));
        return ExitStatus::Failure;
    }
}

} // namespace

int runCommandLine(const QStringList &words, const Console &console, const QString &defaultSettings)
{
    const int status = runWords(words, console, defaultSettings);
    // Output that never arrived is a failure, whatever the command thought.
    if (const int error = console.outputError()) {
        console.error(QStringLiteral("Cannot write to standard output: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
        return ExitStatus::Failure;
    }
    return status;
}
