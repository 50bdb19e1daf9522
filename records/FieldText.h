#pragma once
// What a field may hold. A control character is invisible in a field (a line
// edit paints C0 as a blank, DEL and the C1 range 0x80-0x9F as nothing, since
// ISO-8859-1 gives them no glyph), yet it would reach the template, the text
// copy and the mail as a raw byte. So no field holds one: C0, DEL and C1 are
// refused where they are typed and removed where a value is loaded. A
// one-line field holds no line break either: one would forge template lines.
// The purpose memo keeps its line breaks and its tabs, which it shows as the
// gap they are and which plain-text mail carries as they are.
#include <QString>
#include <QStringList>

namespace FieldText {

enum class Shape { OneLine, Memo };

// The memo or a one-line field, by the catalogue; an unknown name is one line.
Shape shapeOf(const QString &field);

// Whether `c` never appears in a field of that shape (a memo's CR and LF are allowed).
inline bool refused(QChar c, Shape shape)
{
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7F)
        return false;
    if (shape == Shape::Memo && (u == u'\r' || u == u'\n' || u == u'\t'))
        return false;
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

struct Cleaned {
    QString text;
    bool controlsRemoved = false; // control characters were taken out
    bool linesDropped = false;    // a one-line value was cut at its first line break
    bool changed() const { return controlsRemoved || linesDropped; }
};

// The value as a field of `shape` holds it: a one-line value up to its first
// CR or LF, a memo with its line breaks, and no refused character. A value
// with nothing to mend is returned as it is, uncopied.
Cleaned clean(const QString &value, Shape shape);

// What the loads from one file mended, for one status note naming its keys.
class Mending {
public:
    // `value` as `shape` holds it; `key` is remembered when it had to be mended.
    QString take(const QString &value, Shape shape, const QString &key);
    // Empty when nothing was mended.
    QString note(const QString &file) const;

private:
    QStringList m_controls; // keys whose control characters were removed
    QStringList m_cut;      // keys cut to their first line
};

} // namespace FieldText
