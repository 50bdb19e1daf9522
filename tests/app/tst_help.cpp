// The help window as a user works it: history buttons and their keys, the
// keys that close it, and one window that outlives the setup dialog it was
// opened from and keeps its size.
#include "FormHarness.h"
#include "HelpWindow.h"
#include "TSetupDlg.h"

#include <QLineEdit>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

class TestHelp : public QObject {
    Q_OBJECT
    std::unique_ptr<WorkFolder> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;

    HelpWindow *help() const { return m_form->findChild<HelpWindow *>(); }
    QString topic() const { return help()->findChild<QTextBrowser *>()->source().fileName(); }
    // Qt lets a modal window's descendants through, top-level ones included.
    static bool isInside(const QWidget *w, const QWidget *ancestor)
    {
        for (; w; w = w->parentWidget())
            if (w == ancestor)
                return true;
        return false;
    }
    QToolButton *button(const char *name) const { return help()->findChild<QToolButton *>(QLatin1String(name)); }

    // Opens the setup dialog, presses F1 in it, runs `inside` and closes it.
    void helpFromSetup(const std::function<void(TSetupDlg *)> &inside)
    {
        bool shown = false;
        whenShown<TSetupDlg>([&](TSetupDlg *d) {
            shown = true;
            d->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), d);
            QTest::keyClick(d->ServerEdit, Qt::Key_F1);
            inside(d);
            d->accept();
        });
        m_form->Setup2Click();
        QVERIFY(shown);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<WorkFolder>();
        m_prompter = ScriptedPrompter();
        m_form = makeForm(m_dir->filePath("zandolet.ini"), m_prompter);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup() { m_form.reset(); }

    void history_data()
    {
        QTest::addColumn<bool>("keys");
        QTest::newRow("buttons") << false;
        QTest::newRow("Alt+Left, Alt+Right") << true;
    }

    void history()
    {
        QFETCH(bool, keys);
        m_form->Help2Click();
        QTRY_VERIFY(help()->isVisible());
        help()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), help());
        QToolButton *back = button("HelpBack");
        QToolButton *forward = button("HelpForward");
        QVERIFY(back && forward && button("HelpContents"));
        QVERIFY(!back->isEnabled() && !forward->isEnabled());
        m_form->showHelp(1014);
        m_form->showHelp(1031);

        const auto go = [&](QToolButton *b, Qt::Key key) {
            if (keys)
                QTest::keyClick(help()->findChild<QTextBrowser *>(), key, Qt::AltModifier);
            else
                b->click();
        };
        const struct {
            QToolButton *button;
            Qt::Key key;
            const char *topic;
            bool backEnabled, forwardEnabled;
        } steps[] = {
            {back, Qt::Key_Left, "1014.html", true, true},
            {back, Qt::Key_Left, "contents.html", false, true},
            {back, Qt::Key_Left, "contents.html", false, true}, // nothing further back
            {forward, Qt::Key_Right, "1014.html", true, true},
            {forward, Qt::Key_Right, "1031.html", true, false},
            {forward, Qt::Key_Right, "1031.html", true, false},
        };
        for (const auto &s : steps) {
            go(s.button, s.key);
            QCOMPARE(topic(), QLatin1String(s.topic));
            QCOMPARE(back->isEnabled(), s.backEnabled);
            QCOMPARE(forward->isEnabled(), s.forwardEnabled);
        }
        button("HelpContents")->click();
        QCOMPARE(topic(), QStringLiteral("contents.html"));
        go(back, Qt::Key_Left);
        QCOMPARE(topic(), QStringLiteral("1031.html"));
    }

    void closeKeys_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::newRow("Escape") << QKeySequence(Qt::Key_Escape);
        QTest::newRow("Ctrl+W") << QKeySequence(Qt::CTRL | Qt::Key_W);
    }

    void closeKeys()
    {
        QFETCH(QKeySequence, key);
        m_form->showHelp(1014);
        HelpWindow *window = help();
        QTRY_VERIFY(window->isVisible());
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window);
        QTest::keySequence(window->findChild<QTextBrowser *>(), key);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(m_form->isVisible());
        // The same window comes back, where it was in its history.
        m_form->Help2Click();
        QCOMPARE(help(), window);
        QVERIFY(window->isVisible());
        QVERIFY(button("HelpBack")->isEnabled());
    }

    void outlivesTheSetupDialogAndKeepsItsSize()
    {
        HelpWindow *opened = nullptr;
        helpFromSetup([&](TSetupDlg *d) {
            opened = help();
            QVERIFY(opened);
            QTRY_VERIFY(opened->isVisible());
            // A modal dialog blocks every window but those inside it.
            QCOMPARE(QApplication::activeModalWidget(), d);
            QVERIFY(isInside(opened, d));
            opened->resize(640, 400);
        });
        QVERIFY(opened);
        QCOMPARE(help(), opened);
        QVERIFY(opened->isVisible());
        QCOMPARE(topic(), QStringLiteral("1031.html"));
        QCOMPARE(opened->size(), QSize(640, 400));

        opened->close();
        helpFromSetup([&](TSetupDlg *) {
            QCOMPARE(help(), opened);
            QTRY_VERIFY(opened->isVisible());
            QCOMPARE(opened->size(), QSize(640, 400));
        });
        // The main menu's contents use the same window.
        m_form->Help2Click();
        QCOMPARE(m_form->findChildren<HelpWindow *>().size(), 1);
        QCOMPARE(topic(), QStringLiteral("contents.html"));
        QCOMPARE(opened->size(), QSize(640, 400));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
