#pragma once
// Show Form and Print of the three review pages: the record rendered into the
// page's memo, and the memo on paper.
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QObject>
#include <QStringList>
#include <memory>

class ControlFields;
class IFields;
class IPrompter;
class QPrinter;
class RecordStore;

class TReviewPages : public QObject {
    Q_OBJECT
public:
    // What the pages work with; none of it is owned.
    struct Parts {
        IFields &fields;               // the record's fields
        const ControlFields &controls; // the review pages' memos and buttons
        IPrompter &prompter;
        RecordStore &store;
    };
    explicit TReviewPages(const Parts &parts);
    ~TReviewPages() override;

    // The kind's Show Form button: render, then the name list.
    void showForm(RecordKind kind);
    // The kind's Print button: the print dialog, then the memo's lines.
    void print(RecordKind kind);

    // The kind's memo, one entry a line.
    QStringList memoLines(RecordKind kind) const;
    // Shows why the kind's name cannot be used; true when refused.
    bool refuseRecordName(RecordKind kind);
    // Renders the record (text copy, record file) and loads the text copy into the memo.
    bool renderIntoMemo(RecordKind kind);
    // Marks the problems on the kind's fields and status line, replacing earlier marks.
    void showProblems(RecordKind kind, const RegistrationProblems &problems);

signals:
    // Show Form rendered the kind's record and marked its offline problems.
    void formShown(RecordKind kind);

private:
    Parts m_parts;
    // One printer for the window's life, so the print dialog offers the last choices again.
    std::unique_ptr<QPrinter> m_printer;
};
