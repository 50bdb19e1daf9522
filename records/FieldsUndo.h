#pragma once
// One level of undo for what a button sets in bulk (Clear All, the copy and
// clear buttons): the texts and picked list entries of a record's fields
// before the change, given back while the fields still hold what the change
// left (typing or loading a record since makes it stale).
#include "RecordKind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class IFields;

class FieldsUndo {
public:
    // Runs `change` on the kind's fields and remembers what it replaced. A
    // change that alters nothing leaves nothing to undo.
    void record(IFields &fields, RecordKind kind, const std::function<void()> &change);
    // True while the last change can be undone.
    bool canUndo(const IFields &fields) const;
    // Puts the fields back as they were before the change, once; false when
    // there is nothing (any more) to undo.
    bool undo(IFields &fields);

private:
    struct Value {
        QString text;
        int picked = -1;     // the list entry picked, -1 for none
        QString pickedEntry; // its text, so that a changed list is noticed
        bool operator==(const Value &) const = default;
    };
    QList<Value> read(const IFields &fields) const;

    QStringList m_names;
    QList<Value> m_before;
    QList<Value> m_after;
};
