#include "RecordPage.h"

#include "ControlFields.h"
#include "FieldCatalogue.h"
#include "FormRules.h"
#include "FrameOverlay.h"
#include "Latin1Guard.h"
#include "PageLayout.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

// A grid of labels and their fields: the label keeps a visible gap to its field.
QGridLayout *fieldGrid(QWidget *parent)
{
    auto *grid = new QGridLayout(parent);
    compact(grid);
    grid->setHorizontalSpacing(6);
    // Spare width goes to the fields, so the label column stays as set.
    grid->setColumnStretch(1, 1);
    return grid;
}

// The groups of a page start their fields at one column, after the widest label.
void alignGroups(const QList<QGridLayout *> &groups)
{
    int labelWidth = 0;
    for (QGridLayout *g : groups)
        for (int i = 0; i < g->count(); ++i) {
            int row, column, rowSpan, columnSpan;
            g->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            if (column == 0 && columnSpan == 1)
                labelWidth = std::max(labelWidth, g->itemAt(i)->sizeHint().width());
        }
    for (QGridLayout *g : groups)
        g->setColumnMinimumWidth(0, labelWidth);
}

void setHelp(QWidget *w, int context)
{
    if (context)
        w->setProperty("helpContext", context);
}

} // namespace

QWidget *buildRecordPage(RecordKind kind, const QString &caption, ControlFields &controls,
                         const std::function<void(const QString &)> &onEditButton)
{
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    compact(row);
    auto *fieldsBox = new QWidget;
    QGridLayout *grid = fieldGrid(fieldsBox);
    row->addWidget(fieldsBox, 1);

    QHash<QString, QGridLayout *> groups;
    QList<QGridLayout *> groupOrder;
    QButtonGroup *radioGroup = nullptr;
    QHBoxLayout *radioRow = nullptr;
    QGridLayout *radioTarget = nullptr;
    QGridLayout *target = grid;

    for (const FieldDef *f : fieldsOfPage(kind, caption)) {
        target = grid;
        if (!f->group.isEmpty()) {
            if (!groups.contains(f->group)) {
                auto *box = new QGroupBox(f->group.trimmed());
                QGridLayout *g = fieldGrid(box);
                grid->addWidget(box, grid->rowCount(), 0, 1, 2);
                groups.insert(f->group, g);
                groupOrder.append(g);
            }
            target = groups.value(f->group);
        }
        const int r = target->rowCount();

        if (f->type == ControlType::Radio) {
            auto *radio = new QRadioButton(f->label);
            controls.registerControl(radio, f->name);
            radio->setToolTip(f->hint);
            setHelp(radio, f->help);
            radio->setChecked(f->checkedAtStart);
            // Consecutive radios form one exclusive choice.
            if (!radioRow || radioTarget != target) {
                radioRow = new QHBoxLayout;
                radioRow->setSpacing(8);
                radioGroup = new QButtonGroup(page);
                radioTarget = target;
                if (f->name.startsWith(QLatin1String("Public"))) {
                    auto *label = new QLabel(QStringLiteral("Auth Type to be made"));
                    setHelp(label, f->help);
                    target->addWidget(label, r, 0);
                    target->addLayout(radioRow, r, 1);
                } else {
                    target->addLayout(radioRow, r, 0, 1, 2);
                }
            }
            radioGroup->addButton(radio);
            radioRow->addWidget(radio);
            continue;
        }
        radioGroup = nullptr;
        radioRow = nullptr;

        auto *label = new QLabel(f->label);
        controls.registerControl(label, f->labelName);
        label->setToolTip(f->labelHint);
        setHelp(label, f->help);

        QWidget *w = nullptr;
        if (f->type == ControlType::Combo) {
            auto *c = new QComboBox;
            c->setEditable(true);
            c->setInsertPolicy(QComboBox::NoInsert);
            c->setCompleter(nullptr);
            c->addItems(f->items);
            c->setEditText(f->designText);
            controls.setPicked(f->name, -1);
            w = c;
        } else if (f->type == ControlType::Memo) {
            auto *m = new QPlainTextEdit;
            m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            m->setTabChangesFocus(true);
            m->setFixedHeight(90);
            new FrameOverlay(m);
            w = m;
        } else {
            auto *e = new QLineEdit;
            if (f->maxLength)
                limitTyping(e, f->maxLength);
            w = e;
        }
        controls.registerControl(w, f->name);
        if (const QString name = ::accessibleName(*f); !name.isEmpty())
            w->setAccessibleName(name);
        guardLatin1(w);
        w->setToolTip(f->hint);
        setHelp(w, f->help);
        w->setEnabled(!f->disabledAtStart);
        label->setBuddy(w);
        target->addWidget(label, r, 0);
        target->addWidget(w, r, 1);
    }
    grid->setRowStretch(grid->rowCount(), 1);
    alignGroups(groupOrder);

    // The domain pages' copy and clear panel.
    QVBoxLayout *panel = nullptr;
    for (const CopyButtonDef &b : copyButtons()) {
        if (kind != RecordKind::Domain || b.page != caption)
            continue;
        if (!panel) {
            auto *frame = new QGroupBox;
            panel = new QVBoxLayout(frame);
            compact(panel);
            row->addWidget(frame, 0, Qt::AlignTop);
        }
        auto *button = new QPushButton(b.caption);
        controls.registerControl(button, b.name);
        button->setAutoDefault(false);
        panel->addWidget(button);
        const QString name = b.name;
        QObject::connect(button, &QPushButton::clicked, button, [onEditButton, name] { onEditButton(name); });
    }
    return page;
}
