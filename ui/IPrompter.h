#pragma once
// Every box the program shows goes through this seam, so that tests can
// answer questions and record what was shown.
#include "IMessageBoxes.h"

class QPrinter;

class IPrompter : public IMessageBoxes {
public:
    enum class Answer { Yes, No, Cancel };
    // Warning box with Yes, No and Cancel; Enter gives `preset`, Escape and the
    // close box answer Cancel.
    virtual Answer askYesNoCancel(const QString &text, Answer preset) = 0;
    // Warning box with one OK button.
    virtual void warning(const QString &text) = 0;
    // Warning box with Yes and No where No is the default (Enter answers No); true for Yes.
    virtual bool confirmDefaultNo(const QString &text) = 0;
    // The system's default sound, for input that gives nothing to do.
    virtual void beep() = 0;
    // The print dialog; false when cancelled.
    virtual bool choosePrinter(QPrinter *printer) = 0;
};
