#pragma once
#include <QString>

// The two files a render wrote: Show Form and Mail read the text copy back
// at once; nothing keeps the paths after that.
struct RenderResult {
    QString textPath;
    QString recordPath;
};
