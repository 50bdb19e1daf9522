#pragma once
// Record files, name lists, text copies and mail are ISO-8859-1: the one test
// of what that character set can hold, and the one reader of its lines.
#include <QByteArray>
#include <QChar>
#include <QStringList>
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

// The line starting at `start`: [start, end) is its text, up to its LF and
// without one CR before it; `next` is where the line after it starts.
struct LineSpan {
    qsizetype start;
    qsizetype end;
    qsizetype next;
};
LineSpan lineAt(const QByteArray &bytes, qsizetype start);

enum class EmptyLines { Keep, Skip };
// The lines of `bytes`, split at LF as lineAt does; a last line without an
// LF counts, nothing after the last LF is no line.
QStringList lines(const QByteArray &bytes, EmptyLines empty = EmptyLines::Keep);

} // namespace Latin1
