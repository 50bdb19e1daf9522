#pragma once
// The boxes every unit shows, so that tests can answer questions and record
// what was shown. Qt Core only; the window's prompter adds the rest.
#include <QString>

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Information box with one OK button (refusals of user input).
    virtual void information(const QString &text) = 0;
    // Warning box with Yes and No; true for Yes.
    virtual bool confirm(const QString &text) = 0;
    // Error box with one OK button.
    virtual void error(const QString &text) = 0;
};
