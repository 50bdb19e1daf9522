#pragma once
// Undo for what a button sets in bulk (Clear, Clear All, Escape, the copy
// buttons): every such step since the kind's record was loaded or stored,
// newest first.
//
// The rule, so that an undo never loses typing and never brings back
// something unexpected:
// - A step is undone only while every field it set still holds what it left
//   there. Once the user has typed into one of them, that step and every
//   older one are out of reach; they come back into reach only if the field
//   holds that text again (the typing undone or erased in the field itself).
//   Steps are never skipped, so they come back in the order they were made.
// - Loading or storing a kind's record, and any change of its name by the
//   user, forgets the kind's steps: an undo never carries one record's texts
//   into another, or takes a stored record away from what was stored.
// - At most kMaxSteps are kept; the oldest go first.
#include "RecordKind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class IFields;

class FieldsUndo {
public:
    enum class Kind { Clear, Copy };
    static constexpr int kMaxSteps = 100;

    // Runs `change` on the kind's fields and remembers what it replaced as one
    // step, `what` describing it ("Org page cleared"). A change that alters
    // nothing is no step; true when it was one.
    bool record(IFields &fields, RecordKind kind, Kind how, const QString &what, const std::function<void()> &change);
    // True while the newest step can be undone.
    bool canUndo(const IFields &fields) const;
    struct Undone {
        RecordKind kind;
        QString what;
    };
    // Puts back what the newest step replaced and says which step it was;
    // nothing when it cannot be undone.
    std::optional<Undone> undo(IFields &fields);
    // The kind's record was loaded, stored or renamed: its steps are gone.
    void forget(RecordKind kind);
    // True when a Clear step kept for the kind emptied a field that is still
    // empty: the record lost texts since it was loaded or stored.
    bool wasCleared(const IFields &fields, RecordKind kind) const;

private:
    struct Value {
        QString text;
        int picked = -1;     // the list entry picked, -1 for none
        QString pickedEntry; // its text, so that a changed list is noticed
        bool operator==(const Value &) const = default;
    };
    struct Change {
        QString field;
        Value before;
        Value after;
    };
    struct Step {
        RecordKind kind;
        Kind how;
        QString what;
        QList<Change> changes; // only the fields the step altered
    };
    static Value read(const IFields &fields, const QString &name);

    QList<Step> m_steps; // oldest first
};
