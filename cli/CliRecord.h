#pragma once
// The record a command names ("KIND NAME" and an action flag), loaded as the
// window loads it: the defaults and name lists of the settings file first,
// then the record file over them, then the action that the flag chooses.
#include "Invocation.h"
#include "RecordFields.h"
#include "RecordKind.h"
#include "RecordStore.h"

#include <optional>

// "domain", "host", "contact", also in the plural; nothing for another word.
std::optional<RecordKind> kindFromWord(const QString &word);
// The kind named by `word`, or a usage failure.
RecordKind kindArgument(const QString &word);

class CliRecord {
public:
    // args[0] the kind, args[1] the name. Throws CliFailure when the name
    // cannot name a record or its record file is missing.
    explicit CliRecord(const Invocation &invocation);
    CliRecord(const CliRecord &) = delete;
    CliRecord &operator=(const CliRecord &) = delete;

    RecordKind kind;
    QString name;
    RecordFields fields;
    RecordStore store;
};
