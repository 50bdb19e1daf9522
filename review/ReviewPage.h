#pragma once
// Builds a kind's review page: the memo the record is rendered into, its
// buttons, and the status line and progress bar of a send. Each control is
// registered under its control name.
#include "RecordKind.h"

class ControlFields;
class QWidget;

QWidget *buildReviewPage(RecordKind kind, ControlFields &controls);
