// What a screen reader and the keyboard reach: names and roles of every control
// and caption button, and the record pages' Alt keys.
#include "FormHarness.h"
#include "FormRules.h"
#include "TAboutBox.h"

#include <QAccessibleActionInterface>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

using A = QAccessible;
namespace {
const QList<A::Role> kControls{A::EditableText, A::ComboBox, A::List,    A::ProgressBar, A::PushButton,
                               A::RadioButton,  A::CheckBox, A::PageTab, A::MenuItem};

// Every control under `iface` without a name; `names`: "page/name" of each field.
void walk(QAccessibleInterface *iface, QStringList &unnamed, QStringList &names)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *c = iface->child(i);
        QVERIFY(c && c->isValid() && c->parent() == iface && iface->indexOfChild(c) == i);
        const QString name = c->text(A::Name).trimmed();
        if (kControls.contains(c->role()) && name.isEmpty())
            unnamed << (c->object() ? c->object()->objectName() : QString::number(c->role(), 16));
        if (const FieldDef *f = c->object() ? findField(c->object()->objectName()) : nullptr)
            names << f->page + QLatin1Char('/') + name;
        if (c->role() != A::ComboBox) // its own list and line edit speak for it
            walk(c, unnamed, names);
    }
}
} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
    WorkFolder m_work;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TGradientForm> m_dialog;
    TGradientForm &window(const QString &which)
    {
        m_form = makeForm(m_work.filePath("zandolet.ini"), m_prompter);
        m_dialog = makeDialog(which, *m_form);
        (m_dialog ? m_dialog.get() : m_form.get())->show();
        return m_dialog ? *m_dialog : *m_form;
    }
private slots:
    void cleanup() { m_dialog.reset(), m_form.reset(); }
    void everyControlIsNamed_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("role");
        QTest::addColumn<QStringList>("captionButtons"); // from the left
        QTest::newRow("main") << "main" << int(A::Window) << QStringList{"Minimize", "Maximize", "Close"};
        QTest::newRow("setup") << "setup" << int(A::Dialog) << QStringList{"Close"};
        QTest::newRow("about") << "about" << int(A::Dialog) << QStringList{"Close"};
    }
    void everyControlIsNamed()
    {
        QFETCH(QString, which);
        QFETCH(int, role);
        QFETCH(QStringList, captionButtons);
        TGradientForm &w = window(which);
        QAccessibleInterface *iface = A::queryAccessibleInterface(&w);
        QCOMPARE(int(iface->role()), role);
        // The caption buttons come first, where they are drawn in the caption.
        QStringList buttons;
        for (int i = 0; i < captionButtons.size(); ++i) {
            QAccessibleInterface *b = iface->child(i);
            QCOMPARE(b->role(), A::PushButton);
            buttons << b->text(A::Name);
            const QRect r = b->rect().translated(-w.mapToGlobal(QPoint()));
            QVERIFY(r.top() >= 0 && r.bottom() < w.contentsMargins().top() && r.right() < w.width());
            QCOMPARE(iface->childAt(b->rect().center().x(), b->rect().center().y()), b);
        }
        QCOMPARE(buttons, captionButtons);
        QStringList unnamed, names;
        walk(iface, unnamed, names);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(' '))));
        // A label that repeats on a page names its fields apart.
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    }

    // Pressed through the reader, maximize maximizes and then says it restores; close closes.
    void captionButtonsPress()
    {
        TGradientForm &w = window(QStringLiteral("main"));
        QAccessibleInterface *iface = A::queryAccessibleInterface(&w);
        const QString press = QAccessibleActionInterface::pressAction();
        iface->child(1)->actionInterface()->doAction(press);
        QTRY_VERIFY(w.isMaximized());
        QCOMPARE(iface->child(1)->text(A::Name), QStringLiteral("Restore"));
        iface->child(2)->actionInterface()->doAction(press);
        QTRY_VERIFY(!w.isVisible());
    }

    // A record page's buttons: Alt keys apart from each other, the labels' and the menus'; texts as in the tables.
    void pageButtonsHaveDistinctMnemonics()
    {
        window(QStringLiteral("main"));
        QHash<QString, QString> captions; // control name -> the table's caption
        for (const CopyButtonDef &b : copyButtons())
            captions.insert(b.name, b.caption);
        for (const ClearAllButtonDef &b : clearAllButtons())
            captions.insert(b.name, b.caption);
        QStringList menuKeys;
        for (const QAction *a : m_form->findChild<QMenuBar *>()->actions())
            menuKeys << QKeySequence::mnemonic(a->text()).toString();
        qsizetype checked = 0;
        const QTabWidget *outer = m_form->findChild<QTabWidget *>("PageControl1");
        for (QTabWidget *pages : m_form->findChildren<QTabWidget *>())
            for (int p = 0; pages != outer && p < pages->count(); ++p) {
                QStringList keys = menuKeys;
                for (const QLabel *l : pages->widget(p)->findChildren<QLabel *>())
                    if (l->buddy() && !QKeySequence::mnemonic(l->text()).isEmpty())
                        keys << QKeySequence::mnemonic(l->text()).toString();
                for (const QPushButton *b : pages->widget(p)->findChildren<QPushButton *>()) {
                    checked += captions.contains(b->objectName());
                    QCOMPARE(displayCaption(b->text()), captions.value(b->objectName(), displayCaption(b->text())));
                    const QString key = QKeySequence::mnemonic(b->text()).toString();
                    QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(pages->tabText(p) + ": " + b->text()));
                    keys << key;
                }
            }
        QCOMPARE(checked, captions.size());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
