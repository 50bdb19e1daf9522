#pragma once
// Runs a function whenever a field's value changes (its text, its choice, its
// check), for as long as `context` lives. Texts set with the field's signals
// blocked are not seen.
#include <functional>

class QObject;
class QWidget;

void watchChanges(QWidget *field, QObject *context, const std::function<void()> &changed);
