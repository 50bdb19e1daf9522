#pragma once
// Why Show Form (and so every command that renders a record) refuses the
// record in `fields`: no name, or a name that cannot name its files. Empty
// when it renders.
#include "IFields.h"
#include "RecordKind.h"

#include <QString>

QString nameRefusal(const IFields &fields, RecordKind kind);
// The refusal of an empty name alone, as Print says it.
QString emptyNameText(RecordKind kind);
