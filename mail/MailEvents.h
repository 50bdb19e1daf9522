#pragma once
// Event handler types of the mail components. The first argument is the
// sending component; an empty handler is simply not called.
#include "TNotifyEvent.h"

#include <QString>
#include <functional>

class QObject;

// The handler may change msg; the changed text is what gets raised.
using TmsErrorEvent = std::function<void(QObject *sender, QString &msg)>;
using TmsProgressEvent = std::function<void(QObject *sender, int perc)>;
