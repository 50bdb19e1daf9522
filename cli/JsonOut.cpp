#include "JsonOut.h"

#include "RecordKeys.h"

#include <QJsonDocument>

void writeJson(const Invocation &inv, const QJsonObject &object)
{
    inv.console.writeBytes(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

void writeJson(const Invocation &inv, const QJsonArray &array)
{
    inv.console.writeBytes(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString recordKeyOf(RecordKind kind, const QString &field)
{
    if (field == QLatin1String(kindInfo(kind).nameField))
        return field;
    for (const KeyBinding &b : recordWriteOrder(kind))
        if (b.field == field)
            return b.key;
    return {};
}

QJsonObject problemJson(RecordKind kind, const RegistrationProblem &problem)
{
    return {{QStringLiteral("key"), recordKeyOf(kind, problem.field)},
            {QStringLiteral("severity"), problem.warning ? QStringLiteral("warning") : QStringLiteral("error")},
            {QStringLiteral("text"), problem.text},
            {QStringLiteral("network"), problem.network}};
}
