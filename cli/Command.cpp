#include "Command.h"

#include "CliFailure.h"
#include "Exception.h"

#include <QCoreApplication>

namespace {

const QStringList kActions{QStringLiteral("--new"), QStringLiteral("--modify"), QStringLiteral("--delete")};

const char *const kActionHelp =
    "KIND is domain, host or contact; NAME names the record file in domains/, hosts/ or contacts/\n"
    "under the current directory. --new, --modify or --delete chooses the action the template\n"
    "carries (a record file keeps none); without one it carries none.\n\n";

QString overview()
{
    QString text = QStringLiteral("Usage: zandolet-cli [--settings FILE] COMMAND [ARGUMENTS]\n\n"
                                  "Renders, checks, mails and imports the records of the current directory, and looks\n"
                                  "names up as the WhoIs and Finger pages do.\n\n"
                                  "Commands:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  %1\n      %2\n").arg(QLatin1String(c.usage), QLatin1String(c.summary));
    text += QStringLiteral("\n'zandolet-cli COMMAND --help' describes a command. Exit status: 0 done, 1 problems found\n"
                           "or refused, 2 usage, 3 a file or the network failed.");
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
        {"list", "list domains|hosts|contacts", "the names in the kind's name list, one a line",
         "Prints the names of the kind's name list (domains.cbx, hosts.cbx, Contacts.cbx), one a line.\n", {}, 1, 1,
         runList},
        {"render", "render KIND NAME [--new|--modify|--delete] [--store]",
         "the registration template of a record, to standard output",
         "Prints the template as Show Form renders it, byte for byte: ISO-8859-1, every line ended by\n"
         "CR LF, as its text copy is. Writes nothing, unless --store writes what Show Form writes: the\n"
         "text copy, the record file and the name list (--delete removes the record's files).\n",
         kActions + QStringList{QStringLiteral("--store")}, 2, 2, runRender},
        {"check", "check KIND NAME [--new|--modify|--delete] [--network [--cacert=FILE]]",
         "what the registry would refuse in a record, one problem a line",
         "Prints each problem the check before mailing finds, one a line. Exit status 0 when the record\n"
         "is fit to mail, 1 when it has problems.\n"
         "--network then asks the network what the registry will: whether each name server answers\n"
         "for the domain with authority, over UDP and TCP, with the same serial and NS set, and its\n"
         "name has the address given; whether a new domain is free (over RDAP when Look Up With is\n"
         "RDAP); whether a host's name has its address; whether a contact's mail domain has an MX or\n"
         "address record. Its problems follow the others; \"warning: \" begins one that is no reason\n"
         "to refuse. Exit status 3 when nothing on the network answered and no problem was found.\n"
         "--cacert=FILE as for rdap.\n",
         kActions + QStringList{QStringLiteral("--network"), QStringLiteral("--cacert=")}, 2, 2, runCheck},
        {"import", "import KIND FILE.csv", "record files from a CSV file",
         "Writes one record file per row of FILE.csv and adds the names to the kind's name list. The\n"
         "header row names the record keys (as the record files spell them, in any case), and one column\n"
         "named as the name box (DomainNameEdit, HostName, Contactname) names each record. A row with an\n"
         "unknown key, a bad value or a name used twice is refused, naming the row; then nothing is\n"
         "written at all. The file is UTF-8 text; values may be quoted with \"...\".\n",
         {}, 2, 2, runImport},
        {"mail", "mail KIND NAME [--new|--modify|--delete] [--yes]",
         "mails the registration as the mail button does",
         "Checks the record as the mail button does, asks on the terminal (unless --yes), renders and\n"
         "stores it as Show Form does, and mails it with the settings of [Setup]. Progress goes to\n"
         "standard error. Exit status 0 only when the server took the message.\n",
         kActions + QStringList{QStringLiteral("--yes")}, 2, 2, runMail},
        {"rdap", "rdap NAME [--cacert=FILE]", "looks a domain name up with RDAP, as the WhoIs page does",
         "Finds the registry's RDAP service for NAME (a name in any script) in the bootstrap file, asks it\n"
         "over HTTPS and prints the answer as the WhoIs page shows it, the registrar's record below a\n"
         "\"--- server ---\" line. The steps and the reason a look-up ended early go to standard error.\n"
         "Exit status 0 with an answer, 1 when the registry knows no such name, 3 for any other failure.\n"
         "--cacert=FILE trusts the authorities in the PEM file FILE besides the system's, as a closed\n"
         "network's own RDAP service needs.\n",
         {QStringLiteral("--cacert=")}, 1, 1, runRdap},
        {"whois", "whois NAME [--server=HOST[:PORT]]", "looks a name up as the WhoIs page does",
         "Asks the WhoIs server of the settings file (or HOST, port 43 unless PORT is given) for NAME, a\n"
         "domain, host or contact in any script, and follows up to two referrals in the answers, each\n"
         "below a \"--- server ---\" line, never back to a server already asked. When the settings choose\n"
         "RDAP (Look Up With=RDAP) it looks NAME up as the rdap command does. The answer goes to standard\n"
         "output as the page shows it; the steps and the reason a look-up ended early go to standard\n"
         "error. A server gets 15 seconds to connect and 60 to send the next byte; a look-up ends after\n"
         "120 seconds, and an answer is cut at 1 MB or 20,000 lines. Exit status 0 with an answer, 1 when\n"
         "RDAP's registry knows no such name, 3 for any other failure.\n",
         {QStringLiteral("--server=")}, 1, 1, runWhois},
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
         "record (--network: also as check --network does), asks (unless --yes) and sends it (--dry-run\n"
         "prints the frames and connects to nothing);\n"
         "poll reads the message queue (--ack acknowledges each message). --cacert=FILE as for rdap. Exit\n"
         "status 1 when the registry refuses, 3 for a network, TLS, framing or file failure.\n",
         kActions + QStringList{"--yes", "--dry-run", "--network", "--ack", "--cacert="}, 1, 3, runEpp},
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

int runCommandLine(const QStringList &words, const Console &console, const QString &defaultSettings)
{
    Invocation inv{{}, {}, {}, defaultSettings, console};
    qsizetype at = 0;
    const auto usage = [&](const QString &text) {
        console.error(text);
        return ExitStatus::Usage;
    };
    for (; at < words.size() && words[at].startsWith(QLatin1String("--")); ++at) {
        if (words[at] == QLatin1String("--help")) {
            console.line(overview());
            return ExitStatus::Done;
        }
        if (words[at] == QLatin1String("--version")) {
            console.line(QStringLiteral("zandolet-cli " ZANDOLET_VERSION));
            return ExitStatus::Done;
        }
        if (words[at] != QLatin1String("--settings") || at + 1 == words.size())
            return usage(QStringLiteral("Unknown option %1; see zandolet-cli --help.").arg(words[at]));
        inv.settingsPath = words[++at];
    }
    if (at == words.size())
        return usage(QStringLiteral("No command given; see zandolet-cli --help."));
    const Command *command = findCommand(words[at]);
    if (!command)
        return usage(QStringLiteral("Unknown command \"%1\"; see zandolet-cli --help.").arg(words[at]));
    bool plain = false; // after "--" every word is an argument
    for (++at; at < words.size(); ++at) {
        const QString &w = words[at];
        if (plain || !w.startsWith(QLatin1String("--"))) {
            inv.args << w;
        } else if (w == QLatin1String("--")) {
            plain = true;
        } else if (w == QLatin1String("--help")) {
            const QString record = command->flags.contains(QStringLiteral("--new")) ? QLatin1String(kActionHelp) : QString();
            console.line(usageLine(*command) + QStringLiteral("\n\n") + (record + QLatin1String(command->help)).trimmed());
            return ExitStatus::Done;
        } else if (command->flags.contains(w)) {
            inv.flags.insert(w);
        } else if (const qsizetype eq = w.indexOf(QLatin1Char('=')); eq > 0 && command->flags.contains(w.left(eq + 1))) {
            inv.values.insert(w.left(eq), w.mid(eq + 1));
        } else {
            return usage(QStringLiteral("%1 takes no option %2. %3").arg(QLatin1String(command->name), w, usageLine(*command)));
        }
    }
    if (inv.args.size() < command->minArgs || inv.args.size() > command->maxArgs)
        return usage(usageLine(*command));
    try {
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
