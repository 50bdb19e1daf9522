// What the network check asks about, read from the record's fields.
#include "FieldCatalogue.h"
#include "IFields.h"
#include "NetworkCheckRequest.h"

NetworkCheckRequest networkCheckRequest(const IFields &fields, RecordKind kind)
{
    NetworkCheckRequest r;
    r.kind = kind;
    const KindInfo &info = kindInfo(kind);
    const QString action = actionCode(fields, kind);
    r.action = action == QLatin1String("M")   ? NetworkCheckRequest::Action::Modify
               : action == QLatin1String("D") ? NetworkCheckRequest::Action::Delete
                                              : NetworkCheckRequest::Action::New;
    r.nameField = QLatin1String(info.nameField);
    r.name = fields.text(r.nameField).trimmed();
    switch (kind) {
    case RecordKind::Domain: {
        // Name and address fields alternate in the block.
        const QStringList ns = blockFields(QStringLiteral("NS"));
        for (qsizetype i = 0; i + 1 < ns.size(); i += 2) {
            const QString name = fields.text(ns[i]).trimmed();
            if (!name.isEmpty())
                r.nameServers.push_back({ns[i], name, fields.text(ns[i + 1]).trimmed(), ns[i + 1]});
        }
        break;
    }
    case RecordKind::Host:
        r.hostAddressField = QStringLiteral("HostIPAddress");
        r.hostAddress = fields.text(r.hostAddressField).trimmed();
        break;
    case RecordKind::Contact:
        r.mailboxField = QStringLiteral("ContactMail");
        r.mailbox = fields.text(r.mailboxField).trimmed();
        break;
    }
    return r;
}
