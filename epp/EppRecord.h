#pragma once
// A snapshot of one record as it is sent: its kind, name, action and the
// texts of its fields, taken when the send starts so that nothing read later
// from a window can change what goes out.
#include "RecordKind.h"

#include <QHash>
#include <QString>

class IFields;

enum class EppAction { New, Modify, Delete };

struct EppRecord {
    RecordKind kind = RecordKind::Domain;
    QString name;     // the domain, the host name, or the contact's name
    EppAction action = EppAction::New;
    // Field name -> text, as the record file keys them ("AHandleEdit",
    // "HostIPAddress", "RegistrantHandle"); "Public" holds "Y", "N" or "".
    QHash<QString, QString> fields;

    QString field(const QString &name) const { return fields.value(name).trimmed(); }

    // Every field the record file keeps, from `fields`; a domain's
    // RegistrantHandle from its stored record file, when there is one.
    static EppRecord fromFields(const IFields &fields, RecordKind kind, const QString &name, EppAction action);

    // Writes the ids a send made up (EppOutcome::handles) into the record:
    // field texts into `fields`, RegistrantHandle straight into the record
    // file (which keeps it across the window's saves). Save the record after.
    static void writeHandles(const QList<QPair<QString, QString>> &handles, IFields &fields, RecordKind kind,
                             const QString &name);
};

// The record key that keeps the registrant's contact id in a domain record.
inline const QString kRegistrantHandleKey = QStringLiteral("RegistrantHandle");
