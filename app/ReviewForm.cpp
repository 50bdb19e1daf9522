#include "ReviewForm.h"

#include "TReviewPages.h"

bool ReviewForm::refuseRecordName(RecordKind kind)
{
    return m_pages.refuseRecordName(kind);
}

bool ReviewForm::renderIntoMemo(RecordKind kind)
{
    return m_pages.renderIntoMemo(kind);
}

QStringList ReviewForm::memoLines(RecordKind kind) const
{
    return m_pages.memoLines(kind);
}

void ReviewForm::showProblems(RecordKind kind, const RegistrationProblems &problems)
{
    m_pages.showProblems(kind, problems);
}
