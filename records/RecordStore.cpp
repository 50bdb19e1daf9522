#include "RecordStore.h"


#include "DirectoryIndex.h"
#include "Exception.h"
#include "FieldText.h"
#include "FormRules.h"
#include "IFields.h"
#include "IniFile.h"
#include "Latin1.h"
#include "NameList.h"
#include "RecordFileGuard.h"
#include "RecordKeys.h"
#include "StoredValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <exception>
#include <sys/stat.h>

namespace {

const QString kRecordExt = QStringLiteral(".ini");
const QString kTextExt = QStringLiteral(".txt");

QString nameOf(const IFields &fields, RecordKind kind)
{
    return fields.text(QLatin1String(kindInfo(kind).nameField));
}

// `folder`/`file`, the existing entry's own spelling when one matches without
// regard to case.
QString entryPath(const QString &folder, const QString &file)
{
    const QString real = DirectoryIndex::find(folder, file);
    return folder + QLatin1Char('/') + (real.isEmpty() ? file : real);
}

// Path of an existing entry, or empty.
QString existingEntryPath(const QString &folder, const QString &file)
{
    const QString real = DirectoryIndex::find(folder, file);
    return real.isEmpty() ? QString() : folder + QLatin1Char('/') + real;
}

void setIfDifferent(IFields &fields, const QString &field, const QString &value)
{
    if (fields.text(field) != value)
        fields.setText(field, value);
}

void checkIfNot(IFields &fields, const QString &radio)
{
    if (!fields.isChecked(radio))
        fields.check(radio);
}

std::vector<std::pair<QString, QString>> valuesFor(const IFields &fields, RecordKind kind, const KeyTable &table)
{
    std::vector<std::pair<QString, QString>> values;
    values.reserve(table.size());
    for (const KeyBinding &b : table) {
        switch (b.source) {
        case KeySource::FieldText:
            values.emplace_back(b.key, StoredValue::encode(fields.text(b.field)));
            break;
        case KeySource::ActionCode:
            values.emplace_back(b.key, actionCode(fields, kind));
            break;
        case KeySource::PublicFlag:
            values.emplace_back(b.key, publicFlag(fields));
            break;
        }
    }
    return values;
}

void removeQuietly(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

} // namespace

RecordStore::RecordStore(IFields &fields, QString settingsPath, MendedNote mended)
    : m_fields(fields), m_settingsPath(std::move(settingsPath)), m_mended(std::move(mended))
{
}

QString RecordStore::recordFolder(RecordKind kind)
{
    return entryPath(QDir::currentPath(), QLatin1String(kindInfo(kind).folder));
}

void RecordStore::ensureFolder(RecordKind kind)
{
    const QByteArray path = QFile::encodeName(recordFolder(kind));
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        ::mkdir(path.constData(), 0777); // one level; a failure shows up at the write
}

QString RecordStore::recordFilePath(RecordKind kind, const QString &name)
{
    return entryPath(recordFolder(kind), name + kRecordExt);
}

QString RecordStore::textCopyPath(RecordKind kind, const QString &name)
{
    return entryPath(recordFolder(kind), name + kTextExt);
}

QString RecordStore::listFilePath(RecordKind kind)
{
    return entryPath(QDir::currentPath(), QLatin1String(kindInfo(kind).listFile));
}

QString RecordStore::recordNameProblem(const QString &name)
{
    QString shown = name;
    shown.replace(QChar(0), QLatin1String("\\0"));
    const auto refuse = [&](const QString &why) {
        return QStringLiteral("The name \"%1\" cannot be used: %2.").arg(shown, why);
    };
    if (name.isEmpty())
        return refuse(QStringLiteral("it is empty"));
    for (const char *sep : {"/", "\\"})
        if (name.contains(QLatin1String(sep)))
            return refuse(QStringLiteral("it contains \"%1\"").arg(QLatin1String(sep)));
    if (name.contains(QChar(0)))
        return refuse(QStringLiteral("it contains a NUL character"));
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        return refuse(QStringLiteral("it contains a line break"));
    for (const QChar c : name)
        if (FieldText::refused(c, FieldText::Shape::OneLine))
            return refuse(QStringLiteral("it contains a control character"));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return refuse(QStringLiteral("it names a folder"));
    // The name lists are ISO-8859-1 files.
    if (const qsizetype bad = Latin1::firstUnfit(name); bad >= 0)
        return refuse(QStringLiteral("it contains \"%1\", which the name lists cannot hold").arg(name[bad]));
    const QByteArray encoded = QFile::encodeName(name + kRecordExt);
    if (QFile::decodeName(encoded) != name + kRecordExt)
        return refuse(QStringLiteral("it cannot be written as a file name"));
    if (encoded.size() > NAME_MAX)
        return refuse(QStringLiteral("it is too long for a file name"));
    return {};
}

void RecordStore::loadRecord(RecordKind kind)
{
    const QString name = nameOf(m_fields, kind);
    if (!recordNameProblem(name).isEmpty())
        return; // never look outside the record folder
    ensureFolder(kind);
    const QString path = existingEntryPath(recordFolder(kind), name + kRecordExt);
    if (m_guard)
        m_guard->remember(kind, path.isEmpty() ? recordFilePath(kind, name) : path);
    if (path.isEmpty())
        return;
    // An unreadable record must not empty the fields; a pipe or device is
    // refused by the load with an error.
    if (!QFileInfo(path).isReadable())
        return;

    const IniDocument doc = IniDocument::load(path);
    const QString section = QLatin1String(kindInfo(kind).section);
    FieldText::Mending mending;
    for (const KeyBinding &b : recordLoadOrder(kind)) {
        const QString value = StoredValue::read(doc, section, b.key);
        switch (b.source) {
        case KeySource::FieldText:
            setIfDifferent(m_fields, b.field, mending.take(value, FieldText::shapeOf(b.field), b.key));
            break;
        case KeySource::PublicFlag:
            if (value == QLatin1String("Y"))
                checkIfNot(m_fields, QStringLiteral("PublicYesRadio"));
            else if (value == QLatin1String("N"))
                checkIfNot(m_fields, QStringLiteral("PublicNoRadio"));
            break;
        case KeySource::ActionCode:
            break; // the action is never set by loading
        }
    }
    // The loaded schemes enable and caption their info fields as a pick does.
    applyRulesAfterLoad(m_fields, kind);
    report(kind, mending.note(QDir::current().relativeFilePath(path)));
}

void RecordStore::report(RecordKind kind, const QString &note) const
{
    if (m_mended && !note.isEmpty())
        m_mended(kind, note);
}

void RecordStore::saveRecord(RecordKind kind)
{
    const QString name = nameOf(m_fields, kind);
    ensureFolder(kind);
    const QString path = recordFilePath(kind, name);
    if (!recordNameProblem(name).isEmpty())
        throw EIniFileError(unableToWriteText(path));
    IniFile(path).writeStrings(QLatin1String(kindInfo(kind).section),
                               valuesFor(m_fields, kind, recordWriteOrder(kind)));
    if (m_guard)
        m_guard->remember(kind, path);
    if (m_onSaved)
        m_onSaved(kind);
}

bool RecordStore::mayWrite(RecordKind kind)
{
    if (!m_guard)
        return true;
    const QString name = nameOf(m_fields, kind);
    switch (m_guard->beforeWrite(kind, recordFilePath(kind, name))) {
    case RecordFileGuard::Choice::Overwrite:
        return true;
    case RecordFileGuard::Choice::Reload:
        loadRecord(kind);
        return false;
    case RecordFileGuard::Choice::Cancel:
        break;
    }
    return false;
}

void RecordStore::saveDefaults(RecordKind kind)
{
    IniFile(m_settingsPath)
        .writeStrings(QLatin1String(kindInfo(kind).section), valuesFor(m_fields, kind, defaultsWriteOrder(kind)));
}

void RecordStore::loadDefaultsAndLists()
{
    loadDefaultsAndLists(IniDocument::load(m_settingsPath));
}

void RecordStore::loadDefaultsAndLists(const IniDocument &settings)
{
    for (RecordKind kind : {RecordKind::Domain, RecordKind::Host, RecordKind::Contact}) {
        const QString section = QLatin1String(kindInfo(kind).section);
        FieldText::Mending mending;
        for (const KeyBinding &b : defaultsStartupOrder(kind))
            m_fields.setText(b.field, mending.take(StoredValue::read(settings, section, b.key),
                                                   FieldText::shapeOf(b.field), b.key));
        report(kind, mending.note(QStringLiteral("[%1] of %2").arg(section, QFileInfo(m_settingsPath).fileName())));
    }
    // A refused list stays empty; the others still load, then the first refusal is raised.
    std::exception_ptr refused;
    for (RecordKind kind : {RecordKind::Contact, RecordKind::Host, RecordKind::Domain}) {
        const KindInfo &k = kindInfo(kind);
        const QString path = existingEntryPath(QDir::currentPath(), QLatin1String(k.listFile));
        if (path.isEmpty())
            continue;
        QStringList names;
        try {
            names = NameList::read(path);
        } catch (const Exception &) {
            if (!refused)
                refused = std::current_exception();
            continue;
        }
        if (k.sortedList)
            NameList::sortIgnoringCase(names);
        m_fields.setItems(QLatin1String(k.nameField), names);
    }
    if (refused)
        std::rethrow_exception(refused);
}

void RecordStore::updateNameList(RecordKind kind)
{
    updateNameList(nameListUpdate(kind));
}

NameListUpdate RecordStore::nameListUpdate(RecordKind kind) const
{
    const QString nameField = QLatin1String(kindInfo(kind).nameField);
    NameListUpdate u;
    u.kind = kind;
    u.name = m_fields.text(nameField);
    u.action = actionCode(m_fields, kind);
    u.pickedIndex = m_fields.selectedIndex(nameField);
    u.pickedEntry = m_fields.items(nameField).value(u.pickedIndex);
    // Nothing of ours can be named by an unusable name.
    if (recordNameProblem(u.name).isEmpty()) {
        const QString folder = recordFolder(kind);
        u.recordPath = existingEntryPath(folder, u.name + kRecordExt);
        u.textPath = existingEntryPath(folder, u.name + kTextExt);
    }
    return u;
}

void RecordStore::updateNameList(const NameListUpdate &u)
{
    const KindInfo &k = kindInfo(u.kind);
    const QString nameField = QLatin1String(k.nameField);

    if (u.action == QLatin1String("N")) {
        // An unusable name was refused before the render; never list one.
        if (!recordNameProblem(u.name).isEmpty())
            return;
        QStringList items = m_fields.items(nameField);
        if (NameList::containsIgnoringCase(items, u.name))
            return;
        items.insert(k.sortedList ? NameList::sortedPosition(items, u.name) : items.size(), u.name);
        m_fields.setItems(nameField, items);
        NameList::write(listFilePath(u.kind), items);
    } else if (u.action == QLatin1String("D")) {
        QStringList items = m_fields.items(nameField);
        // The list may have changed since the entry was picked; remove that entry, not its old position.
        int picked = u.pickedIndex;
        if (picked >= 0 && (picked >= items.size() || items.at(picked) != u.pickedEntry))
            picked = items.indexOf(u.pickedEntry);
        if (picked >= 0) {
            items.removeAt(picked);
            m_fields.setItems(nameField, items);
        }
        NameList::write(listFilePath(u.kind), items);
        removeQuietly(u.recordPath);
        removeQuietly(u.textPath);
    }
}
