#pragma once
// Renders a record into its registration template and saves it: the text
// copy first, then the record file.
#include "RecordKind.h"
#include "RenderResult.h"
#include "TemplateRow.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <vector>

class IFields;
class RecordStore;

// Rows of the kind's template.
const std::vector<TemplateRow> &templateRows(RecordKind kind);

// The template's lines for the record as the fields hold it at `now`.
QStringList renderLines(RecordKind kind, const IFields &fields, const QDateTime &now,
                        const QLocale &locale = QLocale::system());

// Ensures the kind's folder, writes the text copy (atomically, the lines ended
// by CR LF), then the record file through the store. A text copy that cannot
// be written throws EInOutError and no record file is written; a failed
// record write throws EIniFileError. The name field must not be empty.
RenderResult renderRecord(RecordKind kind, const IFields &fields, RecordStore &store, const QDateTime &now);
