#include "CliFailure.h"
#include "CliRecord.h"
#include "Command.h"
#include "EppJobs.h"
#include "LookUpText.h"
#include "NetworkRun.h"
#include "RegistrationCheck.h"

#include <QEventLoop>
#include <QFileInfo>

namespace {

EppSettings eppSettings(const Invocation &inv, bool needPassword)
{
    QString withheld;
    EppSettings settings = EppSettings::read(inv.settingsPath, &withheld);
    if (needPassword && settings.password.isEmpty() && !withheld.isEmpty())
        throw CliFailure{ExitStatus::Failure, QStringLiteral("The EPP password is unknown because %1.").arg(withheld)};
    if (inv.values.contains(QStringLiteral("--cacert"))) {
        const QString file = inv.values.value(QStringLiteral("--cacert"));
        settings.extraCa = QSslCertificate::fromPath(file);
        if (settings.extraCa.isEmpty())
            throw CliFailure{ExitStatus::Failure, QStringLiteral("%1 holds no PEM certificate.").arg(file)};
    }
    return settings;
}

int exitStatus(const EppOutcome &outcome)
{
    switch (outcome.result) {
    case EppOutcome::Result::Success: return ExitStatus::Done;
    case EppOutcome::Result::Refused:
    case EppOutcome::Result::Problems: return ExitStatus::Problems;
    case EppOutcome::Result::Failed:
    case EppOutcome::Result::Cancelled: break;
    }
    return ExitStatus::Failure;
}

// Runs the job to its end, its steps on standard error; a failure ends the command there.
EppOutcome runJob(EppJob &job, const Invocation &inv)
{
    EppOutcome outcome;
    QEventLoop loop;
    QObject::connect(&job, &EppJob::step, [&inv](const EppStep &s) { inv.console.error(visibleText(s.text())); });
    QObject::connect(&job, &EppJob::finished, [&](const EppOutcome &o) {
        outcome = o;
        loop.quit();
    });
    job.start();
    loop.exec();
    if (!outcome.succeeded()) {
        for (const QString &p : outcome.problems)
            inv.console.error(visibleText(p));
        throw CliFailure{exitStatus(outcome), visibleText(outcome.text())};
    }
    return outcome;
}

EppObject objectArgument(const QString &word)
{
    switch (kindArgument(word)) {
    case RecordKind::Domain: return EppObject::Domain;
    case RecordKind::Host: return EppObject::Host;
    case RecordKind::Contact: break;
    }
    return EppObject::Contact;
}

int hello(const Invocation &inv)
{
    EppHelloJob job(eppSettings(inv, true));
    const EppGreeting g = runJob(job, inv).greeting;
    const auto line = [&inv](const char *key, const QString &value) {
        inv.console.line(QStringLiteral("%1: %2").arg(QLatin1String(key), visibleText(value)));
    };
    line("server", g.serverId);
    line("date", g.serverDate);
    line("versions", g.versions.join(QLatin1Char(' ')));
    line("languages", g.languages.join(QLatin1Char(' ')));
    line("objects", g.objects.join(QLatin1Char(' ')));
    line("extensions", g.extensions.join(QLatin1Char(' ')));
    return ExitStatus::Done;
}

int check(const Invocation &inv)
{
    EppCheckJob job(eppSettings(inv, true), objectArgument(inv.args.value(1)), inv.args.value(2));
    const EppOutcome o = runJob(job, inv);
    if (o.available) {
        inv.console.line(QStringLiteral("free"));
        return ExitStatus::Done;
    }
    inv.console.line(o.availabilityReason.isEmpty() ? QStringLiteral("taken") : QStringLiteral("taken: ") + visibleText(o.availabilityReason));
    return ExitStatus::Problems;
}

// The record of that name, when there is one, as a Modify would send it.
std::optional<EppRecord> localRecord(const Invocation &inv)
{
    const Invocation forRecord{inv.args.mid(1), {QStringLiteral("--modify")}, {}, inv.settingsPath, inv.console};
    const RecordKind kind = kindArgument(inv.args.value(1));
    if (!RecordStore::recordNameProblem(inv.args.value(2)).isEmpty()
        || !QFileInfo::exists(RecordStore::recordFilePath(kind, inv.args.value(2))))
        return std::nullopt;
    CliRecord record(forRecord);
    return EppRecord::fromFields(record.fields, record.kind, record.name, EppAction::Modify);
}

int info(const Invocation &inv)
{
    const EppObject object = objectArgument(inv.args.value(1));
    const std::optional<EppRecord> record = localRecord(inv);
    // A contact is known to the registry by its id, which its record keeps.
    QString name = inv.args.value(2);
    if (record && object == EppObject::Contact && !record->field(QStringLiteral("ContactNicHandle")).isEmpty())
        name = record->field(QStringLiteral("ContactNicHandle"));
    EppInfoJob job(eppSettings(inv, true), object, name);
    if (record)
        job.compareWith(*record);
    const EppOutcome o = runJob(job, inv);
    for (const auto &[key, value] : o.info)
        inv.console.line(QStringLiteral("%1: %2").arg(visibleText(key), visibleText(value)));
    if (!o.difference)
        inv.console.line(QStringLiteral("There is no local record to compare with."));
    else if (o.difference->adding.isEmpty() && o.difference->removing.isEmpty() && o.difference->changing.isEmpty())
        inv.console.line(QStringLiteral("The local record agrees with the registry."));
    else
        inv.console.line(QStringLiteral("A Modify would send: ") + visibleText(o.difference->text()));
    return ExitStatus::Done;
}

int send(const Invocation &inv)
{
    const Invocation forRecord{inv.args.mid(1), inv.flags, inv.values, inv.settingsPath, inv.console};
    CliRecord record(forRecord);
    const EppAction action = inv.has("--new") ? EppAction::New : inv.has("--modify") ? EppAction::Modify : EppAction::Delete;
    if (!inv.has("--new") && !inv.has("--modify") && !inv.has("--delete"))
        throw CliFailure{ExitStatus::Usage, QStringLiteral("Give one of --new, --modify and --delete.")};
    const EppRecord snapshot = EppRecord::fromFields(record.fields, record.kind, record.name, action);
    QStringList problems;
    for (const RegistrationProblem &p : checkRegistration(record.fields, record.kind))
        if (!p.warning)
            problems << p.text;
    problems << EppSendJob::problems(snapshot);
    const EppSettings settings = eppSettings(inv, !inv.has("--dry-run"));
    // The mail button's checks: the network's too when [Setup] wants it or --network asks.
    if (problems.isEmpty() && !inv.has("--dry-run") && (inv.has("--network") || networkCheckWanted(inv.settingsPath)))
        for (const RegistrationProblem &p : runNetworkCheck(inv, record).problems)
            if (!p.warning)
                problems << p.text;
    for (const QString &p : problems)
        inv.console.error(p);
    if (!problems.isEmpty())
        throw CliFailure{ExitStatus::Problems, QStringLiteral("Not sent: the record has problems.")};
    if (inv.has("--dry-run")) {
        for (const QByteArray &frame : EppSendJob::dryRun(snapshot, settings))
            inv.console.writeBytes(frame + '\n');
        return ExitStatus::Done;
    }
    const QString verb = action == EppAction::New ? QStringLiteral("Create") : action == EppAction::Modify ? QStringLiteral("Modify") : QStringLiteral("Delete");
    if (!inv.has("--yes") && !inv.console.confirm(QStringLiteral("%1 %2 at %3?").arg(verb, record.name, settings.server)))
        throw CliFailure{ExitStatus::Problems, QStringLiteral("Not sent.")};
    EppSendJob job(settings, snapshot);
    QString transcript = RecordStore::textCopyPath(record.kind, record.name);
    transcript.replace(transcript.size() - 4, 4, QStringLiteral(".epp.log"));
    RecordStore::ensureFolder(record.kind);
    job.setTranscript(transcript);
    const EppOutcome o = runJob(job, inv);
    if (!o.handles.isEmpty()) {
        EppRecord::writeHandles(o.handles, record.fields, record.kind, record.name);
        record.store.saveRecord(record.kind);
    }
    inv.console.line(visibleText(o.text()));
    return ExitStatus::Done;
}

int poll(const Invocation &inv)
{
    EppPollJob job(eppSettings(inv, true), inv.has("--ack"));
    const EppOutcome o = runJob(job, inv);
    for (const EppMessage &m : o.messages)
        inv.console.line(QStringLiteral("%1 %2 %3").arg(visibleText(m.id), visibleText(m.date), visibleText(m.text)));
    if (o.messages.isEmpty())
        inv.console.line(QStringLiteral("No messages."));
    return ExitStatus::Done;
}

} // namespace

int runEpp(const Invocation &inv)
{
    const QString sub = inv.args.value(0);
    const QList<std::tuple<const char *, qsizetype, int (*)(const Invocation &)>> table{
        {"hello", 1, hello}, {"check", 3, check}, {"info", 3, info}, {"send", 3, send}, {"poll", 1, poll}};
    for (const auto &[word, count, run] : table)
        if (sub == QLatin1String(word)) {
            if (inv.args.size() != count)
                break;
            return run(inv);
        }
    throw CliFailure{ExitStatus::Usage,
                     QStringLiteral("Usage: zandolet-cli epp hello|check KIND NAME|info KIND NAME|send KIND NAME --new|--modify|--delete [--yes] [--dry-run] [--network]|poll [--ack]")};
}
