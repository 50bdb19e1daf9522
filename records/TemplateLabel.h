#pragma once
// Labels of template field lines: the field's line code from the catalogue,
// the row's name, dots, and ": " closing the label at the row's width.
#include <QString>

struct TemplateRow;

// "4a. " from "4a", "1.  " from "1": the code and a period in four columns.
QString lineCodePrefix(const QString &lineCode);

// The full label of a field row, e.g. "4a. NIC Handle (if known)......: ".
// Throws std::logic_error when the row's field is not in the catalogue.
QString templateLabel(const TemplateRow &row);
