#include "CloseQuestion.h"

#include "Exception.h"
#include "FieldsUndo.h"
#include "IPrompter.h"
#include "UnstoredChanges.h"

#include <QDateTime>
#include <exception>

bool mayCloseWindow(const IFields &fields, RecordStore &store, IPrompter &prompter, const FieldsUndo &history)
{
    const QList<RecordKind> kinds = UnstoredChanges::kinds(fields);
    if (kinds.isEmpty())
        return true;
    QList<RecordKind> cleared;
    for (RecordKind kind : kinds)
        if (history.wasCleared(fields, kind))
            cleared << kind;
    // Enter must not store a cleared record empty: then it keeps the window open.
    const auto preset = cleared.isEmpty() ? IPrompter::Answer::Yes : IPrompter::Answer::Cancel;
    switch (prompter.askYesNoCancel(UnstoredChanges::question(fields, kinds, cleared), preset)) {
    case IPrompter::Answer::Cancel:
        return false;
    case IPrompter::Answer::No:
        return true;
    case IPrompter::Answer::Yes:
        break;
    }
    // A record that could not be stored keeps the window open, with what was typed.
    try {
        UnstoredChanges::store(fields, store, kinds, QDateTime::currentDateTime());
    } catch (const Exception &e) {
        prompter.error(e.Message());
        return false;
    } catch (const std::exception &e) {
        prompter.error(QString::fromLocal8Bit(e.what()));
        return false;
    }
    return true;
}
