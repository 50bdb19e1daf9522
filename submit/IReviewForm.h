#pragma once
// What mailing needs of a kind's review page: the name check, the rendered
// form and a place to show the problems found. The window provides it.
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QStringList>

class IReviewForm {
public:
    virtual ~IReviewForm() = default;

    // Shows why the kind's name cannot be used; true when refused.
    virtual bool refuseRecordName(RecordKind kind) = 0;
    // Renders the record (text copy, record file) into the page's memo; false
    // when the user chose not to overwrite a record file changed outside.
    virtual bool renderIntoMemo(RecordKind kind) = 0;
    // The kind's memo, one entry a line.
    virtual QStringList memoLines(RecordKind kind) const = 0;
    // Marks the problems on the fields and the status line, replacing earlier marks.
    virtual void showProblems(RecordKind kind, const RegistrationProblems &problems) = 0;
};
