#pragma once
// Runs an event handler: an error that reaches it is shown in an error box
// with its text, and the program goes on. No exception crosses the event loop.
#include <functional>

class IMessageBoxes;

void guarded(IMessageBoxes &boxes, const std::function<void()> &handler);
