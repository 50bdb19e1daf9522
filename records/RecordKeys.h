#pragma once
// Keys of the record files and of the defaults sections, in the orders in
// which they are written and read. Tables only; RecordStore does the I/O.
#include "RecordKind.h"

#include <QString>
#include <vector>

enum class KeySource {
    FieldText,  // the text of `field` (a combo box's text, not its selected entry)
    ActionCode, // "N", "M", "D" or empty from the kind's action radios
    PublicFlag, // "Y", "N" or empty; loading selects the matching radio
};

struct KeyBinding {
    QString key;
    QString field;  // empty for ActionCode / PublicFlag
    KeySource source = KeySource::FieldText;
};

using KeyTable = std::vector<KeyBinding>;

// Record file, section kindInfo(kind).section.
const KeyTable &recordWriteOrder(RecordKind kind);
const KeyTable &recordLoadOrder(RecordKind kind);
// Defaults in the settings file, same section names, other key spellings.
const KeyTable &defaultsWriteOrder(RecordKind kind);
const KeyTable &defaultsStartupOrder(RecordKind kind);
