#pragma once
#include <QString>

// Where a render wrote the text copy: Show Form and Mail read it back at
// once; nothing keeps the path after that.
struct RenderResult {
    QString textPath;
    bool written = true; // false: the user chose not to overwrite a record file changed outside
};
