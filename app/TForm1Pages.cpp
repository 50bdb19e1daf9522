// Builds the main window's pages from the field catalogue.
#include "AnchoredBox.h"
#include "FieldCatalogue.h"
#include "FingerPage.h"
#include "FormRules.h"
#include "FrameOverlay.h"
#include "Latin1Guard.h"
#include "Mnemonics.h"
#include "PageLayout.h"
#include "ReadableDisabled.h"
#include "ReviewPage.h"
#include "TForm1.h"
#include "UndoShortcut.h"
#include "WhoisPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kClientWidth = 538;
constexpr int kClientHeight = 383;
// Help topics of the look-up pages.
constexpr int kWhoIsHelp = 1032;
constexpr int kFingerHelp = 1033;

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

void TForm1::buildWindow()
{
    setWindowTitle(QStringLiteral("Zandolet"));
    setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    // Disabled fields are silver with text that reads on it in any palette: a
    // value that is still mailed (a stored password, say) stays readable.
    new ReadableDisabled(this, QColor(0xC0, 0xC0, 0xC0));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    buildMenus(outer);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    // The default size is the smallest; the memos and answers take what the window grows by.
    m_pages->setMinimumSize(kClientWidth, kClientHeight);
    for (const KindInfo &k : recordKinds())
        m_pages->addTab(buildRecordPages(k.kind), QString::fromLatin1(k.outerPage));
    m_pages->addTab(m_whoisPage = new WhoisPage(*m_prompter), QStringLiteral("WhoIs"));
    m_pages->addTab(m_fingerPage = new FingerPage(*m_prompter), QStringLiteral("Finger"));
    // F1 anywhere on a look-up page opens that page's topic.
    setHelp(m_whoisPage, kWhoIsHelp);
    setHelp(m_fingerPage, kFingerHelp);
    outer->addWidget(m_pages);
    outer->activate();
    resize(minimumSize());

    // The keyboard starts in the first field of the first page.
    const PageDef &first = innerPages().front();
    for (const FieldDef *f : fieldsOfPage(first.kind, first.caption))
        if (f->type != ControlType::Radio) {
            control(f->name)->setFocus();
            break;
        }
}

QSize TForm1::windowGrowth() const
{
    return m_pages->size() - QSize(kClientWidth, kClientHeight);
}

void TForm1::buildMenus(QVBoxLayout *outer)
{
    auto *menu = new QMenuBar(this);
    const auto item = [this](QMenu *m, const QString &text, const QList<QKeySequence> &keys, void (TForm1::*handler)()) {
        QAction *a = m->addAction(text);
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        return a;
    };
    QMenu *file = menu->addMenu(QStringLiteral("&File"));
    item(file, QStringLiteral("&Setup"), {}, &TForm1::Setup2Click);
    QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    if (!quit.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
        quit << QKeySequence(Qt::CTRL | Qt::Key_Q);
    item(file, QStringLiteral("E&xit"), quit, &TForm1::Exit1Click);
    QMenu *edit = menu->addMenu(QStringLiteral("&Edit"));
    m_undoAction = item(edit, QStringLiteral("&Undo"), QKeySequence::keyBindings(QKeySequence::Undo), &TForm1::Undo1Click);
    m_undoAction->setEnabled(false);
    new UndoShortcut(this, [this] { return m_undo.canUndo(*this); });
    connect(edit, &QMenu::aboutToShow, this, [this] { m_undoAction->setEnabled(m_undo.canUndo(*this)); });
    QMenu *help = menu->addMenu(QStringLiteral("&Help"));
    QAction *contents = item(help, QStringLiteral("&Contents"), QKeySequence::keyBindings(QKeySequence::HelpContents),
                             &TForm1::Help2Click);
    // The menu shows F1, but outside the open menu F1 is the window's: the
    // topic of the focused field, or these contents when it has none.
    contents->setShortcutContext(Qt::WidgetShortcut);
    item(help, QStringLiteral("&About"), {}, &TForm1::About1Click);
    outer->setMenuBar(menu);
}

QWidget *TForm1::buildRecordPages(RecordKind kind)
{
    // Alt with a menu's letter stays the menu's on every page.
    QString menuKeys;
    for (const QAction *a : findChild<QMenuBar *>()->actions())
        menuKeys += QKeySequence::mnemonic(a->text()).toString().right(1);
    auto *inner = new QTabWidget;
    for (const PageDef &p : innerPages()) {
        if (p.kind != kind)
            continue;
        const auto growth = [this] { return windowGrowth(); };
        QWidget *page = p.caption == QLatin1String(kReviewPage) ? ::buildReviewPage(kind, *this, growth)
                                                                : new AnchoredBox(buildInnerPage(kind, p.caption), growth);
        page->setToolTip(p.hint);
        giveMnemonics(page, menuKeys);
        // Qt reads "&&" as one ampersand, as the captions are written.
        inner->addTab(page, p.caption);
    }
    return inner;
}

QWidget *TForm1::buildInnerPage(RecordKind kind, const QString &caption)
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
            registerControl(radio, f->name);
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
        registerControl(label, f->labelName);
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
            setPicked(f->name, -1);
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
        registerControl(w, f->name);
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
        registerControl(button, b.name);
        button->setAutoDefault(false);
        panel->addWidget(button);
        const QString name = b.name;
        connect(button, &QPushButton::clicked, this, [this, name] { guarded([this, name] { editButtonClick(name, false); }); });
    }
    return page;
}
