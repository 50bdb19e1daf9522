#include "FieldMark.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace {

const char *const kProperty = "registrationProblem";
const QColor kMarked(0xFF, 0xC4, 0xC4);

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
        marked.setColor(group, QPalette::Base, kMarked);
        marked.setColor(group, QPalette::Button, kMarked);
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
    field->setToolTip(mark->m_toolTip);
    field->setProperty(kProperty, false);
    // Called from a change signal the mark listens to, so not deleted at once.
    mark->setParent(nullptr);
    mark->deleteLater();
}

void FieldMark::watchChanges(QWidget *field)
{
    // The mark is the context: the connection ends with it.
    const auto changed = [field] { clear(field); };
    if (auto *e = qobject_cast<QLineEdit *>(field))
        connect(e, &QLineEdit::textChanged, this, changed);
    else if (auto *c = qobject_cast<QComboBox *>(field))
        connect(c, &QComboBox::currentTextChanged, this, changed);
    else if (auto *m = qobject_cast<QPlainTextEdit *>(field))
        connect(m, &QPlainTextEdit::textChanged, this, changed);
    else if (auto *b = qobject_cast<QAbstractButton *>(field))
        connect(b, &QAbstractButton::toggled, this, changed);
}
