#pragma once
// Builds one of a kind's field pages from the field catalogue: labels and
// fields in groups, radios in rows, and on the domain pages the copy and
// clear panel.
#include "RecordKind.h"

#include <QString>
#include <functional>

class ControlFields;
class QWidget;

// `onEditButton`: a copy or clear button of the panel was clicked (its name).
QWidget *buildRecordPage(RecordKind kind, const QString &caption, ControlFields &controls,
                         const std::function<void(const QString &)> &onEditButton);
