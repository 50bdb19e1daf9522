// Builds the main window's pages from the field catalogue.
#include "AnchoredBox.h"
#include "FieldCatalogue.h"
#include "FingerPage.h"
#include "Mnemonics.h"
#include "PageLayout.h"
#include "RecordPage.h"
#include "RecordUndo.h"
#include "ReadableDisabled.h"
#include "ReviewPage.h"
#include "TForm1.h"
#include "WhoisPage.h"

#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>


namespace {

constexpr int kClientWidth = 538;
constexpr int kClientHeight = 383;
// Help topics of the look-up pages.
constexpr int kWhoIsHelp = 1032;
constexpr int kFingerHelp = 1033;

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
    m_undo->setNoteArea(m_pages);
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
    m_undo = new RecordUndo(*this, this);
    edit->addAction(m_undo->action());
    connect(edit, &QMenu::aboutToShow, m_undo, &RecordUndo::refresh);
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
                                                                : new AnchoredBox(buildRecordPage(kind, p.caption, *this, [this](const QString &name) {
                                                                      guarded([this, name] { m_undo->editButton(name, false); });
                                                                  }), growth);
        page->setToolTip(p.hint);
        giveMnemonics(page, menuKeys);
        // Qt reads "&&" as one ampersand, as the captions are written.
        inner->addTab(page, p.caption);
    }
    return inner;
}

