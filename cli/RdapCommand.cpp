#include "CaCertificates.h"
#include "Command.h"
#include "IniFile.h"
#include "JsonOut.h"
#include "LookUpRun.h"
#include "LookUpSettings.h"
#include "LookUpText.h"
#include "RdapLookup.h"
#include "SetupKeys.h"

#include <QEventLoop>
#include <QJsonDocument>

namespace {

QString kindName(LookUpOutcome::Kind kind)
{
    switch (kind) {
    case LookUpOutcome::Kind::Found:
        return QStringLiteral("found");
    case LookUpOutcome::Kind::NotFound:
        return QStringLiteral("not found");
    case LookUpOutcome::Kind::Answered:
        return QStringLiteral("answered");
    case LookUpOutcome::Kind::Refused:
        return QStringLiteral("refused");
    case LookUpOutcome::Kind::TransportFailure:
        return QStringLiteral("transport failure");
    case LookUpOutcome::Kind::CutShort:
        return QStringLiteral("cut short");
    }
    return {};
}

// A record as the server sent it; it was read as an RDAP object already.
QJsonValue record(const QByteArray &json)
{
    if (json.isEmpty())
        return QJsonValue::Null;
    return QJsonDocument::fromJson(json).object();
}

} // namespace

int runRdap(const Invocation &inv)
{
    const QString name = inv.args.value(0);
    const LookUpSettings settings = LookUpSettings::read(IniDocument::load(inv.settingsPath), SetupKeys::Section);
    RdapLookup::Options options;
    options.bootstrapUrl = settings.rdapBootstrap;
    options.extraCaCertificates = caCertificatesOption(inv);
    const bool json = inv.has("--json");
    RdapLookup lookUp(options);
    int status = ExitStatus::Failure;
    QByteArray registry, registrar;
    // The page's lines: steps and failures on standard error here, the answer
    // on standard output, each as the page shows it; with --json the records
    // as received instead.
    QObject::connect(&lookUp, &RdapLookup::statusLine, [&inv](const QString &line) { inv.console.note(visibleText(line)); });
    QObject::connect(&lookUp, &RdapLookup::recordReceived, [&](const QByteArray &body, bool fromRegistrar) {
        (fromRegistrar ? registrar : registry) = body;
    });
    QObject::connect(&lookUp, &RdapLookup::answerLines, [&inv, json](const QStringList &lines) {
        if (!json)
            for (const QString &line : lines)
                inv.console.line(visibleText(line));
    });
    QObject::connect(&lookUp, &RdapLookup::errorLine, [&inv](const QString &line) { inv.console.error(visibleText(line)); });
    QEventLoop loop;
    LookUpOutcome outcome;
    QObject::connect(&lookUp, &RdapLookup::done, &loop, [&](const LookUpOutcome &o) {
        outcome = o;
        status = lookUpStatus(o);
        loop.quit();
    });
    lookUp.start(name);
    if (lookUp.isRunning())
        loop.exec();
    if (json)
        writeJson(inv, QJsonObject{{QStringLiteral("name"), name},
                                   {QStringLiteral("outcome"), kindName(outcome.kind)},
                                   {QStringLiteral("registrar"), outcome.registrar},
                                   {QStringLiteral("reason"), outcome.line()},
                                   {QStringLiteral("registry_record"), record(registry)},
                                   {QStringLiteral("registrar_record"), record(registrar)}});
    return status;
}
