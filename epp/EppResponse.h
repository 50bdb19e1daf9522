#pragma once
// EppResponse: one frame from the registry read into a small tree and the
// parts every answer has (results, transaction ids, queue). The reader takes
// no DTD and expands no entity: a DOCTYPE is refused, and every element is
// matched by its namespace, not just its local name.
#include "EppOutcome.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace EppNs {
inline const QString Epp = QStringLiteral("urn:ietf:params:xml:ns:epp-1.0");
inline const QString Domain = QStringLiteral("urn:ietf:params:xml:ns:domain-1.0");
inline const QString Host = QStringLiteral("urn:ietf:params:xml:ns:host-1.0");
inline const QString Contact = QStringLiteral("urn:ietf:params:xml:ns:contact-1.0");
QString of(EppObject object);
} // namespace EppNs

struct EppNode {
    QString ns;
    QString name;
    QHash<QString, QString> attributes;
    QString text;
    QList<EppNode> children;

    // The first child of that namespace and name, or nullptr.
    const EppNode *child(const QString &ns, const QString &name) const;
    QList<const EppNode *> all(const QString &ns, const QString &name) const;
    QString childText(const QString &ns, const QString &name) const;
};

class EppResponse {
public:
    // Nothing but `error` set when the frame is not an EPP greeting or response.
    static EppResponse parse(const QByteArray &frame);

    QString error;        // why the frame was refused
    bool isGreeting = false;
    EppGreeting greeting;

    int code = 0;         // the first result's
    QString message;
    QStringList reasons;  // every <value> and <extValue><reason>
    QString clTrid;
    QString svTrid;
    bool hasQueue = false;
    EppMessage queued;
    EppNode resData;      // empty name when the answer has none

    bool succeeded() const { return code >= 1000 && code < 2000; }
    // "key: value" lines of an info's data, in order.
    QList<QPair<QString, QString>> lines() const;
};
