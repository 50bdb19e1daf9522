#pragma once
// Every box the program shows goes through this seam, so that tests can
// answer questions and record what was shown.
#include <QString>

class QPrinter;

class IPrompter {
public:
    virtual ~IPrompter() = default;
    // Information box with one OK button (refusals of user input).
    virtual void information(const QString &text) = 0;
    // Warning box with Yes and No; true for Yes.
    virtual bool confirm(const QString &text) = 0;
    // Error box with one OK button.
    virtual void error(const QString &text) = 0;
    // Warning box with one OK button.
    virtual void warning(const QString &text) = 0;
    // The system's default sound, for input that gives nothing to do.
    virtual void beep() = 0;
    // The print dialog; false when cancelled.
    virtual bool choosePrinter(QPrinter *printer) = 0;
};
