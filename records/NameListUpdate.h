#pragma once
// What a show or mail does to the store once it has succeeded, taken from the
// fields when it starts: a send lets the user edit the window for seconds, and
// what the user does meanwhile must not change which record is listed or deleted.
#include "RecordKind.h"

#include <QString>

struct NameListUpdate {
    RecordKind kind = RecordKind::Domain;
    QString name;
    QString action;       // "N", "M", "D" or empty
    int pickedIndex = -1; // the entry picked from the list, -1 when none
    QString pickedEntry;
    // The record's two files as they were when the update was taken; empty when missing.
    QString recordPath;
    QString textPath;
};
