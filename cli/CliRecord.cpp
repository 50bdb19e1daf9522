#include "CliRecord.h"

#include "CliFailure.h"
#include "FieldCatalogue.h"
#include "NameList.h"
#include "NameRefusal.h"

#include <QDir>
#include <QFileInfo>

std::optional<RecordKind> kindFromWord(const QString &word)
{
    const QString w = word.toLower();
    for (const KindInfo &k : recordKinds()) {
        const QString folder = QLatin1String(k.folder); // "domains", "hosts", "contacts"
        if (w == folder || w == folder.chopped(1))
            return k.kind;
    }
    return std::nullopt;
}

RecordKind kindArgument(const QString &word)
{
    if (const auto kind = kindFromWord(word))
        return *kind;
    throw CliFailure{ExitStatus::Usage, QStringLiteral("\"%1\" is no record kind: say domain, host or contact.").arg(word)};
}

namespace {

const char *actionRadio(const KindInfo &k, const Invocation &inv)
{
    const char *chosen = nullptr;
    int count = 0;
    for (const auto &[flag, radio] : {std::pair{"--new", k.newRadio}, {"--modify", k.modifyRadio}, {"--delete", k.deleteRadio}})
        if (inv.has(flag)) {
            chosen = radio;
            ++count;
        }
    if (count > 1)
        throw CliFailure{ExitStatus::Usage, QStringLiteral("Give one of --new, --modify and --delete.")};
    return chosen;
}

} // namespace

CliRecord::CliRecord(const Invocation &inv)
    : kind(kindArgument(inv.args.value(0))), name(inv.args.value(1)),
      store(fields, inv.settingsPath, [&inv](RecordKind, const QString &note) { inv.console.note(note); })
{
    const KindInfo &k = kindInfo(kind);
    if (const QString problem = RecordStore::recordNameProblem(name); !problem.isEmpty())
        throw CliFailure{ExitStatus::Problems, problem};
    const char *radio = actionRadio(k, inv);
    // The choices a fresh window starts with (Confidential), the actions aside:
    // here a flag chooses the action.
    for (const FieldDef &f : fieldCatalogue())
        if (f.kind == kind && f.checkedAtStart &&
            !QStringList{QLatin1String(k.newRadio), QLatin1String(k.modifyRadio), QLatin1String(k.deleteRadio)}.contains(f.name))
            fields.check(f.name);
    store.loadDefaultsAndLists();

    const QString path = RecordStore::recordFilePath(kind, name);
    if (!QFileInfo::exists(path))
        throw CliFailure{ExitStatus::Failure, QStringLiteral("There is no %1 record %2: %3 does not exist.")
                                                  .arg(QLatin1String(k.folder).chopped(1), name,
                                                       QDir::current().relativeFilePath(path))};
    const QString nameField = QLatin1String(k.nameField);
    fields.setText(nameField, name);
    const QStringList list = fields.items(nameField);
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].compare(name, Qt::CaseInsensitive) == 0)
            fields.setSelectedIndex(nameField, int(i));
    store.loadRecord(kind);
    // The record file names the record as the window loads it (a contact's
    // Contactname); what Show Form refuses, every command refuses.
    if (const QString refusal = nameRefusal(fields, kind); !refusal.isEmpty())
        throw CliFailure{ExitStatus::Problems, refusal};
    if (radio)
        fields.check(QLatin1String(radio));
}
