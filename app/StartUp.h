#pragma once
#include <QString>

// "<code>->Cannot start application. Try Shutting down other applications"
QString startupFailureText(int code);

// True when Qt has somewhere to show windows.
bool hasDisplay();

// The program: splash, main window, message loop. Returns the exit code.
int runZandolet(int &argc, char **argv);
