#pragma once
// The review pages as the mail workflow sees them.
#include "IReviewForm.h"

class TReviewPages;

class ReviewForm : public IReviewForm {
public:
    explicit ReviewForm(TReviewPages &pages) : m_pages(pages) {}

    bool refuseRecordName(RecordKind kind) override;
    bool renderIntoMemo(RecordKind kind) override;
    QStringList memoLines(RecordKind kind) const override;
    void showProblems(RecordKind kind, const RegistrationProblems &problems) override;

private:
    TReviewPages &m_pages;
};
