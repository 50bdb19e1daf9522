#pragma once
// Blanks are spaces and tabs: what the record files' reader trims from the
// ends of a value and what a scheme box's text may carry around its entry.
// A no-break space is a character like any other, kept where it stands.
#include <QStringView>

namespace Blanks {

inline bool is(QChar c)
{
    return c == u' ' || c == u'\t';
}

inline QStringView trimmed(QStringView s)
{
    while (!s.isEmpty() && is(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && is(s.back()))
        s.chop(1);
    return s;
}

} // namespace Blanks
