#pragma once
// A registration's problems shown where the record is filled in: their number
// and the first one on the kind's status line, and each on its field (see
// FieldMark).
#include "RegistrationCheck.h"

#include <functional>

class QWidget;

class ProblemMarks {
public:
    // A record field or review page control by its control name.
    using Controls = std::function<QWidget *(const QString &)>;

    // Replaces the kind's marks and status line; with no problems the fields'
    // own tool tips and the status line's previous text come back.
    static void show(const Controls &controls, RecordKind kind, const RegistrationProblems &problems);
};
