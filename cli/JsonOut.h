#pragma once
// --json: one JSON document on standard output, nothing else there.
#include "Invocation.h"
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QJsonArray>
#include <QJsonObject>

void writeJson(const Invocation &inv, const QJsonObject &object);
void writeJson(const Invocation &inv, const QJsonArray &array);

// The record key a field is stored under (the name box's own name for the
// name); empty for a field the record files do not keep.
QString recordKeyOf(RecordKind kind, const QString &field);

// {"key", "severity": "error"|"warning", "text", "network"}
QJsonObject problemJson(RecordKind kind, const RegistrationProblem &problem);
