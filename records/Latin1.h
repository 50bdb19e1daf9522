#pragma once
// Record files, name lists, text copies and mail are ISO-8859-1: the one test
// of what that character set can hold.
#include <QChar>
#include <QStringView>

namespace Latin1 {

inline bool fits(QChar c)
{
    return c.unicode() <= 0xFF;
}

// Position of the first character ISO-8859-1 cannot hold, or -1.
inline qsizetype firstUnfit(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!fits(text[i]))
            return i;
    return -1;
}

inline bool fits(QStringView text)
{
    return firstUnfit(text) < 0;
}

} // namespace Latin1
