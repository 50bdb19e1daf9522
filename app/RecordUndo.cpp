#include "RecordUndo.h"

#include "ControlFields.h"
#include "FieldCatalogue.h"
#include "FormRules.h"
#include "PageNote.h"
#include "UndoShortcut.h"

#include <QAction>
#include <QLineEdit>

RecordUndo::RecordUndo(ControlFields &controls, QWidget *window)
    : QObject(window), m_controls(controls), m_action(new QAction(QStringLiteral("&Undo"), window))
{
    m_action->setShortcuts(QKeySequence::keyBindings(QKeySequence::Undo));
    m_action->setEnabled(false);
    connect(m_action, &QAction::triggered, this, &RecordUndo::undo);
    new UndoShortcut(window, [this] { return m_steps.canUndo(m_controls); });
}

void RecordUndo::editButton(const QString &name, bool byEscape)
{
    for (const CopyButtonDef &b : copyButtons())
        if (b.name == name) {
            const bool clear = b.isCancel;
            undoable(RecordKind::Domain, clear ? FieldsUndo::Kind::Clear : FieldsUndo::Kind::Copy,
                     clear ? QStringLiteral("%1 page cleared").arg(b.page) : b.caption, byEscape,
                     [this, name] { runCopyButton(m_controls, name); });
        }
    for (const ClearAllButtonDef &c : clearAllButtons())
        if (c.name == name) {
            const RecordKind kind = c.kind;
            const QString what = QString::fromLatin1(kindInfo(kind).outerPage).section(QLatin1Char(' '), 0, 0);
            undoable(kind, FieldsUndo::Kind::Clear, QStringLiteral("%1 record cleared").arg(what), byEscape,
                     [this, kind] { clearAll(m_controls, kind); });
        }
}

void RecordUndo::undoable(RecordKind kind, FieldsUndo::Kind how, const QString &what, bool byEscape,
                          const std::function<void()> &change)
{
    const bool step = m_steps.record(m_controls, kind, how, what, change);
    refresh();
    if (!step || how != FieldsUndo::Kind::Clear)
        return;
    const QString keys = m_action->shortcut().toString(QKeySequence::NativeText);
    tell(kind, QStringLiteral("%1%2. Edit > Undo (%3) brings it back.")
                   .arg(byEscape ? QStringLiteral("Escape: ") : QString(), what, keys));
}

void RecordUndo::copyStep(RecordKind kind, const QString &what, const std::function<void()> &change)
{
    undoable(kind, FieldsUndo::Kind::Copy, what, false, change);
}

void RecordUndo::undo()
{
    if (const auto undone = m_steps.undo(m_controls))
        tell(undone->kind, QStringLiteral("Undone: %1.").arg(undone->what));
    refresh();
}

void RecordUndo::forget(RecordKind kind)
{
    m_steps.forget(kind);
    refresh();
}

void RecordUndo::refresh()
{
    m_action->setEnabled(m_steps.canUndo(m_controls));
}

QLineEdit *RecordUndo::statusLine(RecordKind kind) const
{
    return m_controls.control<QLineEdit>(QLatin1String(kindInfo(kind).status));
}

void RecordUndo::tell(RecordKind kind, const QString &text)
{
    QLineEdit *status = statusLine(kind);
    status->setText(text);
    if (!m_note && m_noteArea)
        m_note = new PageNote(m_noteArea);
    // On its review page the status line says it already; the note would cover it.
    if (!m_note)
        return;
    if (status->isVisible())
        m_note->hide();
    else
        m_note->showText(text);
}
