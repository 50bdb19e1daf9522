#pragma once
// Show Form and Print of the three review pages: the record rendered into the
// page's memo, and the memo on paper.
#include "RecordKind.h"
#include "RenderResult.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <memory>

class QPrinter;
class TForm1;

class TReviewPages : public QObject {
    Q_OBJECT
public:
    explicit TReviewPages(TForm1 &form);
    ~TReviewPages() override;

    // The kind's Show Form button: render, then the name list.
    void showForm(RecordKind kind);
    // The kind's Print button: the print dialog, then the memo's lines.
    void print(RecordKind kind);

    // The files the kind's last render wrote.
    RenderResult renderedFiles(RecordKind kind) const { return m_rendered[static_cast<size_t>(kind)]; }
    // The kind's memo, one entry a line.
    QStringList memoLines(RecordKind kind) const;
    // Shows why the kind's name cannot be used; true when refused.
    bool refuseRecordName(RecordKind kind);
    // Renders the record (text copy, record file) and loads the text copy into the memo.
    void renderIntoMemo(RecordKind kind);

private:
    TForm1 &m_form;
    std::array<RenderResult, 3> m_rendered;
    // One printer for the window's life, so the print dialog offers the last choices again.
    std::unique_ptr<QPrinter> m_printer;
};
