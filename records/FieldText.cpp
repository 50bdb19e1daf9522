#include "FieldText.h"

#include "FieldCatalogue.h"

namespace FieldText {

Shape shapeOf(const QString &field)
{
    const FieldDef *def = findField(field);
    return def && def->type == ControlType::Memo ? Shape::Memo : Shape::OneLine;
}

Cleaned clean(const QString &value, Shape shape)
{
    // The common case, a plain value, costs one scan and no copy.
    qsizetype first = 0;
    const bool memo = shape == Shape::Memo;
    const auto breaks = [memo](QChar c) { return !memo && (c == u'\r' || c == u'\n'); };
    while (first < value.size() && !refused(value[first], shape) && !breaks(value[first]))
        ++first;
    if (first == value.size())
        return {value};

    Cleaned out;
    out.text.reserve(value.size());
    out.text.append(QStringView(value).left(first));
    for (qsizetype i = first; i < value.size(); ++i) {
        const QChar c = value[i];
        if (breaks(c)) {
            out.linesDropped = true;
            break;
        }
        if (refused(c, shape))
            out.controlsRemoved = true;
        else
            out.text += c;
    }
    return out;
}

QString Mending::take(const QString &value, Shape shape, const QString &key)
{
    Cleaned c = clean(value, shape);
    if (c.controlsRemoved && !m_controls.contains(key))
        m_controls << key;
    if (c.linesDropped && !m_cut.contains(key))
        m_cut << key;
    return std::move(c.text);
}

QString Mending::note(const QString &file) const
{
    const QString sep = QStringLiteral(", ");
    QString what;
    if (!m_controls.isEmpty())
        what = QStringLiteral("Removed control characters from ") + m_controls.join(sep);
    if (!m_cut.isEmpty())
        what += (what.isEmpty() ? QStringLiteral("Kept") : QStringLiteral(" and kept")) +
                QStringLiteral(" only the first line of ") + m_cut.join(sep);
    return what.isEmpty() ? QString() : what + QStringLiteral(" in ") + file;
}

} // namespace FieldText
