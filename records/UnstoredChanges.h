#pragma once
// What closing the window offers to keep: record pages holding a named record
// whose fields differ from what is stored for it.
#include "RecordKind.h"

#include <QDateTime>
#include <QList>

class IFields;
class RecordStore;

namespace UnstoredChanges {

// True when the kind's name field holds a name its files can have and loading
// the record stored under it (none stored: every key empty) would change a
// field. A record marked for deletion has nothing to keep.
bool differs(const IFields &fields, RecordKind kind);
// The kinds for which `differs` holds, in page order.
QList<RecordKind> kinds(const IFields &fields);
// The question naming those records; those in `cleared` lost texts to a
// clear, and the question says so.
QString question(const IFields &fields, const QList<RecordKind> &kinds, const QList<RecordKind> &cleared);
// Stores each kind as Show Form does: the text copy and the record file, then
// the name list.
void store(const IFields &fields, RecordStore &store, const QList<RecordKind> &kinds, const QDateTime &now);

} // namespace UnstoredChanges
