#include "ReplyLimit.h"

QString ReplyLimit::cutText()
{
    return QStringLiteral("Answer cut off: the server sent more than %1 KB or %2 lines.")
        .arg(MaxBytes / 1024)
        .arg(MaxLines);
}
