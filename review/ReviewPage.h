#pragma once
// Builds a kind's review page: the memo the record is rendered into, its
// buttons, and the status line and progress bar of a send. Each control is
// registered under its control name. `growth`: how far the window is beyond
// its default size; the memo takes it, the rows below keep their width.
#include "RecordKind.h"

#include <QSize>
#include <functional>

class ControlFields;
class QWidget;

QWidget *buildReviewPage(RecordKind kind, ControlFields &controls, const std::function<QSize()> &growth);
