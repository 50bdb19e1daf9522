// What a screen reader and the keyboard reach: every control of the main
// window, Setup and About has a name, the windows and their painted caption
// buttons have the roles of what they are, and the record pages' buttons have
// Alt keys that repeat nowhere on a page and leave the visible texts alone.
#include "FormHarness.h"
#include "FormRules.h"
#include "TAboutBox.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

namespace {

// Roles of what a user reads, types into or presses.
bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::EditableText: case QAccessible::ComboBox: case QAccessible::List:
    case QAccessible::ProgressBar: case QAccessible::PushButton: case QAccessible::RadioButton:
    case QAccessible::CheckBox: case QAccessible::PageTab: case QAccessible::MenuItem:
        return true;
    default:
        return false;
    }
}

// "path: role" of every control under `iface` without a name.
void unnamed(QAccessibleInterface *iface, const QString &path, QStringList &out)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *c = iface->child(i);
        QVERIFY(c && c->isValid());
        QCOMPARE(c->parent(), iface);
        QCOMPARE(iface->indexOfChild(c), i);
        const QString here = path + QLatin1Char('/') + (c->object() ? c->object()->objectName() : QString());
        if (isControl(c->role()) && c->text(QAccessible::Name).trimmed().isEmpty())
            out << here + QStringLiteral(": ") + QString::number(c->role(), 16);
        if (c->role() != QAccessible::ComboBox) // its own list and line edit speak for it
            unnamed(c, here, out);
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
        if (which == QLatin1String("setup"))
            m_dialog = std::make_unique<TSetupDlg>(m_form.get());
        else if (which == QLatin1String("about"))
            m_dialog = std::make_unique<TAboutBox>(m_form.get());
        TGradientForm &w = m_dialog ? *m_dialog : *m_form;
        w.show();
        return w;
    }

private slots:
    void cleanup()
    {
        m_dialog.reset();
        m_form.reset();
    }

    void everyControlIsNamed_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("role");
        QTest::addColumn<QStringList>("captionButtons"); // from the left
        QTest::newRow("main window") << "main" << int(QAccessible::Window)
                                     << QStringList{"Minimize", "Maximize", "Close"};
        QTest::newRow("setup") << "setup" << int(QAccessible::Dialog) << QStringList{"Close"};
        QTest::newRow("about") << "about" << int(QAccessible::Dialog) << QStringList{"Close"};
    }
    void everyControlIsNamed()
    {
        QFETCH(QString, which);
        QFETCH(int, role);
        QFETCH(QStringList, captionButtons);
        TGradientForm &w = window(which);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&w);
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), w.windowTitle());

        // The caption buttons come first, drawn where the reader says.
        QStringList names;
        for (int i = 0; i < captionButtons.size(); ++i) {
            QAccessibleInterface *b = iface->child(i);
            QCOMPARE(b->role(), QAccessible::PushButton);
            names << b->text(QAccessible::Name);
            const QRect r = b->rect();
            QVERIFY(!r.isEmpty() && w.frameGeometry().contains(r));
            QCOMPARE(iface->childAt(r.center().x(), r.center().y()), b);
            QCOMPARE(r.top() - w.mapToGlobal(QPoint(0, 0)).y() < w.contentsMargins().top(), true);
        }
        QCOMPARE(names, captionButtons);

        QStringList missing;
        unnamed(iface, w.objectName(), missing);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    // Pressed through the reader, the caption's maximize button does its job
    // and then says it restores; close closes.
    void captionButtonsPress()
    {
        TGradientForm &w = window(QStringLiteral("main"));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&w);
        QAccessibleInterface *maximize = iface->child(1);
        QCOMPARE(maximize->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        maximize->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(w.isMaximized());
        QCOMPARE(maximize->text(QAccessible::Name), QStringLiteral("Restore"));
        iface->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(!w.isVisible());
    }

    // Fields whose labels repeat on a page are told apart; the label stays.
    void repeatedLabelsGetDistinctNames()
    {
        window(QStringLiteral("main"));
        for (QTabWidget *pages : m_form->findChildren<QTabWidget *>())
            for (int p = 0; pages != m_form->findChild<QTabWidget *>("PageControl1") && p < pages->count(); ++p) {
                QStringList names;
                for (QWidget *f : pages->widget(p)->findChildren<QWidget *>()) {
                    if (!findField(f->objectName()) || qobject_cast<QLabel *>(f))
                        continue;
                    const QString name = QAccessible::queryAccessibleInterface(f)->text(QAccessible::Name);
                    QVERIFY2(!names.contains(name), qPrintable(name));
                    names << name;
                }
            }
        QCOMPARE(m_form->control<QLabel>("fourthnseditLabel")->text(), QStringLiteral("Additional Nameserver:"));
        QCOMPARE(QAccessible::queryAccessibleInterface(m_form->control<QWidget>("fourthnsedit"))->text(QAccessible::Name),
                 QStringLiteral("Additional Nameserver 2"));
        QCOMPARE(QAccessible::queryAccessibleInterface(m_form->control<QWidget>("ContactAuthenticationType"))
                     ->text(QAccessible::Name),
                 QStringLiteral("Authorization Type (Authentication)"));
    }

    // Every button of a record page has an Alt key of its own on that page,
    // apart from the labels' and the menus'; its visible text is unchanged.
    void pageButtonsHaveDistinctMnemonics()
    {
        window(QStringLiteral("main"));
        QHash<QString, QString> captions; // control name -> the table's caption
        for (const CopyButtonSpec &b : copyButtons())
            captions.insert(b.name, b.caption);
        for (const ClearAllButtonSpec &b : clearAllButtons())
            captions.insert(b.name, b.caption);
        for (const KindInfo &k : recordKinds())
            for (auto [name, caption] : {std::pair{k.showButton, "Show Form"}, {k.mailButton, k.mailCaption},
                                         {k.printButton, "Print"}, {k.defaultButton, "Save as Default"}})
                captions.insert(QLatin1String(name), QLatin1String(caption));
        QString menuKeys;
        for (const QAction *a : m_form->findChild<QMenuBar *>()->actions())
            menuKeys += QKeySequence::mnemonic(a->text()).toString();
        QVERIFY(menuKeys.contains(QLatin1String("Alt+F")));

        int checked = 0;
        for (QTabWidget *pages : m_form->findChildren<QTabWidget *>())
            for (int p = 0; pages != m_form->findChild<QTabWidget *>("PageControl1") && p < pages->count(); ++p) {
                QStringList keys;
                const QWidget *page = pages->widget(p);
                for (const QLabel *l : page->findChildren<QLabel *>())
                    if (l->buddy() && !QKeySequence::mnemonic(l->text()).isEmpty())
                        keys << QKeySequence::mnemonic(l->text()).toString();
                for (const QPushButton *b : page->findChildren<QPushButton *>()) {
                    if (!captions.contains(b->objectName()))
                        continue;
                    ++checked;
                    QCOMPARE(displayCaption(b->text()), captions.value(b->objectName()));
                    const QString key = QKeySequence::mnemonic(b->text()).toString();
                    QVERIFY2(!key.isEmpty() && !keys.contains(key) && !menuKeys.contains(key),
                             qPrintable(pages->tabText(p) + QLatin1Char(' ') + b->text()));
                    keys << key;
                }
            }
        QCOMPARE(checked, captions.size());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
