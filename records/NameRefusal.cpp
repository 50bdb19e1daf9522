#include "NameRefusal.h"

#include "FieldCatalogue.h"
#include "RecordStore.h"

QString emptyNameText(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Domain:
        return QStringLiteral("You did not enter a domain name on the TYPE tab.");
    case RecordKind::Host:
        return QStringLiteral("You did not enter a host name on the TYPE tab.");
    case RecordKind::Contact:
        break;
    }
    return displayCaption(
        QStringLiteral("You did not enter a Contact Name on the Aithorization, Notify && Authentication tab."));
}

QString nameRefusal(const IFields &fields, RecordKind kind)
{
    const QString name = fields.text(QLatin1String(kindInfo(kind).nameField));
    return name.isEmpty() ? emptyNameText(kind) : RecordStore::recordNameProblem(name);
}
