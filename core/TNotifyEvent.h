#pragma once
// A handler that learns only which component sent the event; empty means none.
#include <functional>

class QObject;

using TNotifyEvent = std::function<void(QObject *sender)>;
