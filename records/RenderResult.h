#pragma once
#include <QString>

// The two files a render wrote; the main window keeps them until the next
// render of the kind (Show Form and Mail read the text copy, Delete removes both).
struct RenderResult {
    QString textPath;
    QString recordPath;
};
