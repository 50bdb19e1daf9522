#pragma once
// Edit > Undo over the record pages: the copy and clear buttons (and Escape)
// change the fields as steps that Undo takes back, and a clear says so on the
// kind's status line and, when that line is not on show, in a note on the page.
#include "FieldsUndo.h"

#include <QObject>

class ControlFields;
class PageNote;
class QAction;
class QLineEdit;

class RecordUndo : public QObject {
public:
    // `controls`: the record fields and the review pages' status lines;
    // `window`: where the undo keys work and the menu item lives.
    RecordUndo(ControlFields &controls, QWidget *window);

    // Edit > Undo, enabled while a step is in reach; triggering it undoes.
    QAction *action() const { return m_action; }
    // The widget whose bottom edge a note covers (the page control).
    void setNoteArea(QWidget *over) { m_noteArea = over; }
    // A copy or clear button of the record pages, clicked or reached by Escape.
    void editButton(const QString &name, bool byEscape);
    // Runs `change` of the kind's fields as a step Undo takes back, as a copy button's.
    void copyStep(RecordKind kind, const QString &what, const std::function<void()> &change);
    void undo();
    // A loaded or stored record starts the kind's undo afresh.
    void forget(RecordKind kind);
    // Puts `text` on the kind's status line and in a note on the page on show.
    void tell(RecordKind kind, const QString &text);
    void refresh();
    const FieldsUndo &steps() const { return m_steps; }

private:
    void undoable(RecordKind kind, FieldsUndo::Kind how, const QString &what, bool byEscape,
                  const std::function<void()> &change);
    QLineEdit *statusLine(RecordKind kind) const;

    ControlFields &m_controls;
    FieldsUndo m_steps;
    QAction *m_action;
    QWidget *m_noteArea = nullptr;
    PageNote *m_note = nullptr;
};
