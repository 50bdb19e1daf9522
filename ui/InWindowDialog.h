#pragma once
// A modal dialog shown inside its owner's window, centred over it, the rest of
// the window shaded and closed to the pointer and the keyboard until the
// dialog ends. Where the compositor alone places a dialog's own window
// (Wayland lets a program neither place a window nor ask for it to be
// centred, and some compositors put it anywhere), this is the one way the
// dialog opens over the window that asked for it.
class QDialog;

namespace InWindowDialog {

// Whether this platform's dialogs belong inside their owner's window.
bool suitsPlatform();

// QDialog::exec, with the dialog inside its parent's window.
int exec(QDialog &dialog);

} // namespace InWindowDialog
