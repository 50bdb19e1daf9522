#include "FieldMark.h"

#include "ChangeWatch.h"
#include "Contrast.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QWidget>

namespace {

const char *const kProperty = "registrationProblem";
// How far a marked field's background moves towards red: pink on white, a
// dark red on a dark theme.
constexpr double kTint = 0.23;
const QColor kRed(0xFF, 0x00, 0x00);

} // namespace

FieldMark::FieldMark(QWidget *field)
    : QObject(field), m_toolTip(field->toolTip()), m_palette(field->palette()),
      m_ownPalette(field->testAttribute(Qt::WA_SetPalette))
{
}

void FieldMark::set(QWidget *field, const QString &toolTip)
{
    clear(field);
    auto *mark = new FieldMark(field);
    QPalette marked = field->palette();
    // A disabled field keeps its silver look.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        // The text (and a combo box's arrow) keeps its contrast on the tint.
        const struct {
            QPalette::ColorRole background, text;
        } pairs[] = {{QPalette::Base, QPalette::Text}, {QPalette::Button, QPalette::ButtonText}};
        for (const auto &p : pairs) {
            const QColor tint = Contrast::mix(marked.color(group, p.background), kRed, kTint);
            marked.setColor(group, p.background, tint);
            marked.setColor(group, p.text, Contrast::readableOn(tint, marked.color(group, p.text)));
        }
    }
    // A combo box's list takes the box's colours unless it has its own: the
    // mark belongs to the field, not to the entries offered.
    if (auto *combo = qobject_cast<QComboBox *>(field)) {
        QPalette list = field->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            for (QPalette::ColorRole role : {QPalette::Base, QPalette::Text, QPalette::Button, QPalette::ButtonText})
                list.setColor(group, role, list.color(group, role)); // set, so not inherited
        combo->view()->setPalette(list);
    }
    field->setPalette(marked);
    field->setToolTip(toolTip);
    field->setProperty(kProperty, true);
    mark->watchChanges(field);
}

void FieldMark::clear(QWidget *field)
{
    auto *mark = field->findChild<FieldMark *>(QString(), Qt::FindDirectChildrenOnly);
    if (!mark)
        return;
    field->setPalette(mark->m_ownPalette ? mark->m_palette : QPalette());
    if (auto *combo = qobject_cast<QComboBox *>(field))
        combo->view()->setPalette(QPalette());
    field->setToolTip(mark->m_toolTip);
    field->setProperty(kProperty, false);
    // Called from a change signal the mark listens to, so not deleted at once.
    mark->setParent(nullptr);
    mark->deleteLater();
}

void FieldMark::watchChanges(QWidget *field)
{
    // The mark is the context: the connection ends with it.
    ::watchChanges(field, this, [field] { clear(field); });
}
