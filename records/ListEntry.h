#pragma once
// The scheme and notify boxes print a list entry, and their list is fixed.
// Whatever put a text into such a box (a pick, typing, a record, a default,
// undo), a text equal to one of its entries but for case and blanks around
// it stands for that entry, as the record files' reader trims those blanks,
// so that what the box shows, what the template prints and what a stored
// record reopens as agree; any other text stands for none and is not printed.
#include <QString>

// True for a combo box whose entries are fixed by the field catalogue (the
// name boxes' lists are the user's, and their pick is what counts).
bool hasFixedList(const QString &combo);
// The entry of the box's fixed list that `text` stands for, in the entry's
// own spelling; empty when it stands for none or the box has no fixed list.
QString listEntryFor(const QString &combo, const QString &text);
