#pragma once
// The registry's view of an object, read from an info answer's data.
#include "EppObjects.h"

#include <QHash>

struct EppNode;

namespace EppInfo {
EppDomain domain(const EppNode &infData);
EppHost host(const EppNode &infData);
EppContact contact(const EppNode &infData);
// A check answer's first name: free, and the reason when it is not.
bool available(const EppNode &chkData, QString *reason);
// Every name of a check answer (lower case) and whether it is free.
QHash<QString, bool> availability(const EppNode &chkData);
} // namespace EppInfo
