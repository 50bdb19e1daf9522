// The main window as the catalogue builds it: controls, design state, menus,
// help.
#include "FieldCatalogue.h"
#include "FormHarness.h"
#include "HelpWindow.h"
#include "QtPrompter.h"
#include "StartUp.h"
#include "TSplashScreen.h"
#include "WindowState.h"

#include <QComboBox>
#include <QPointer>
#include <cmath>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

class TestMainWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
        m_form = makeForm(m_dir.filePath("zandolet.ini"), m_prompter);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    // Enter answers No to the question whose default is No.
    void cautionDefaultsToNo()
    {
        QtPrompter prompter(m_form.get());
        QString pressed;
        whenShown<QMessageBox>([&](QMessageBox *box) {
            pressed = box->defaultButton()->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(!prompter.confirmDefaultNo(QStringLiteral("Mail it anyway?")));
        QCOMPARE(pressed, QStringLiteral("&No"));
        // The box took the focus; later cases need the window active again.
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void everyCatalogueFieldIsBuilt_data()
    {
        QTest::addColumn<QString>("name");
        for (const FieldDef &f : fieldCatalogue())
            QTest::newRow(qPrintable(f.name)) << f.name;
    }
    void everyCatalogueFieldIsBuilt()
    {
        QFETCH(QString, name);
        const FieldDef &f = *findField(name);
        QWidget *w = m_form->control(name);
        QVERIFY2(w, "control missing");
        QCOMPARE(w->objectName(), name);
        QCOMPARE(w->toolTip(), f.hint);
        QCOMPARE(w->property("helpContext").toInt(), f.help);
        QCOMPARE(w->isEnabled(), !f.disabledAtStart);
        if (f.type == ControlType::Radio) {
            auto *r = qobject_cast<QRadioButton *>(w);
            QVERIFY(r);
            QCOMPARE(r->text(), f.label);
            QCOMPARE(r->isChecked(), f.checkedAtStart);
            return;
        }
        auto *label = m_form->control<QLabel>(f.labelName);
        QVERIFY2(label, "label missing");
        QCOMPARE(label->text(), f.label);
        QCOMPARE(label->toolTip(), f.labelHint);
        QCOMPARE(label->buddy(), w);
        if (f.type == ControlType::Combo) {
            auto *c = qobject_cast<QComboBox *>(w);
            QVERIFY(c && c->isEditable());
            QCOMPARE(m_form->items(name), f.items);
            // With no settings file the start-up defaults empty every combo.
            QCOMPARE(c->currentText(), QString());
            QCOMPARE(m_form->selectedEntry(name), QString());
        }
    }

    void disabledFieldsLookSilver()
    {
        const QColor silver(0xC0, 0xC0, 0xC0);
        for (const char *name : {"AuthInfoEdit", "HostAuthInfo", "HostNicHandle", "ContactAuthorizationType",
                                 "ContactAuthorizationInfo", "ContactNicHandle"}) {
            QWidget *w = m_form->control(QLatin1String(name));
            QVERIFY(!w->isEnabled());
            QCOMPARE(w->palette().color(QPalette::Disabled, QPalette::Base), silver);
            QVERIFY(w->palette().color(QPalette::Active, QPalette::Base) != silver);
        }
    }

    void pagesAndCaptions()
    {
        auto *pages = m_form->findChild<QTabWidget *>("PageControl1");
        QVERIFY(pages);
        QStringList outer;
        for (int i = 0; i < pages->count(); ++i)
            outer << pages->tabText(i);
        QCOMPARE(outer, (QStringList{"Domain Reg", "Host Reg", "Contact Reg", "WhoIs", "Finger"}));
        QCOMPARE(pages->currentIndex(), 0);
        const QStringList expected[] = {
            {"Type", "Org", "Admin", "Technical", "Billing", "Name Servers", "Review & Submit"},
            {"Type & Host", "Host Contact", "Review & Submit"},
            {"Authorization, Notify & Authentication", "Contact", "Review & Submit"},
        };
        for (int k = 0; k < 3; ++k) {
            auto *inner = qobject_cast<QTabWidget *>(pages->widget(k));
            QVERIFY(inner);
            QStringList captions;
            for (int i = 0; i < inner->count(); ++i)
                captions << displayCaption(inner->tabText(i));
            QCOMPARE(captions, expected[k]);
            QCOMPARE(inner->currentIndex(), 0);
        }
        QCOMPARE(pages->size(), QSize(538, 383));
    }

    void windowFrameAndMenus()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Zandolet"));
        const Qt::WindowFlags flags = m_form->windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowMaximizeButtonHint);
        // It opens at its default size, the smallest it takes.
        QCOMPARE(m_form->size(), m_form->minimumSize());
        QVERIFY(m_form->maximumSize().width() > 538);
        auto *menu = m_form->findChild<QMenuBar *>();
        QVERIFY(menu);
        QStringList titles, items;
        for (QAction *top : menu->actions()) {
            titles << top->text();
            for (QAction *a : top->menu()->actions()) {
                QVERIFY2(a->text().contains('&'), qPrintable(a->text())); // every item has a mnemonic
                items << displayCaption(a->text());
                if (items.last() == QLatin1String("Exit"))
                    QVERIFY(a->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
            }
        }
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "&Help"}));
        QCOMPARE(items, (QStringList{"Setup", "Exit", "Undo", "Contents", "About"}));
    }

    void reviewPages()
    {
        const struct {
            const char *memo, *family, *status, *progress;
        } pages[] = {{"Memo1", "Courier New", "status", "MailProgress"},
                     {"Memo2", "Courier", "hoststatus", "HostMailProgress"},
                     {"Memo3", "Courier", "Cstatus", "Cmailprogress"}};
        for (const auto &p : pages) {
            auto *memo = m_form->control<QPlainTextEdit>(QLatin1String(p.memo));
            QVERIFY(memo && memo->isReadOnly());
            QCOMPARE(memo->font().family(), QLatin1String(p.family));
            QCOMPARE(memo->font().pointSize(), 8);
            QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
            QCOMPARE(m_form->control<QLineEdit>(QLatin1String(p.status))->text(), QStringLiteral("status..."));
            auto *bar = m_form->control<QProgressBar>(QLatin1String(p.progress));
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 100);
        }
        QCOMPARE(displayCaption(m_form->control<QPushButton>("BitBtn1")->text()), QStringLiteral("Mail to InterNIC"));
        QCOMPARE(displayCaption(m_form->control<QPushButton>("ContactMailtoNic")->text()), QStringLiteral("Mail to NIC"));
        QCOMPARE(m_form->control<QPushButton>("HostShowForm")->toolTip(),
                 QStringLiteral("Shows the form as it will be sent to the Internic."));
    }

    void lookUpPagesExist()
    {
        for (const char *name : {"Label105", "tDomain", "bLookUp", "mResponse", "Label90", "tHost", "fingerlookup",
                                 "lResponse"})
            QVERIFY2(m_form->findChild<QWidget *>(QLatin1String(name)), name);
        QCOMPARE(m_form->findChild<QLabel *>("Label105")->text(), QStringLiteral("Domain Name to Look Up:"));
    }

    void hostCountryTakesTwoCharacters()
    {
        auto *country = m_form->control<QLineEdit>("HCCountry");
        QTest::keyClicks(country, "USA");
        QCOMPARE(country->text(), QStringLiteral("US"));
        auto *other = m_form->control<QLineEdit>("ContactCountry");
        QTest::keyClicks(other, "Switzerland");
        QCOMPARE(other->text(), QStringLiteral("Switzerland"));
    }

    void fieldsByName()
    {
        m_form->setText("PurposeEdit", "line one\r\nline two");
        QCOMPARE(m_form->control<QPlainTextEdit>("PurposeEdit")->toPlainText(), QStringLiteral("line one\nline two"));
        QCOMPARE(m_form->text("PurposeEdit"), QStringLiteral("line one\r\nline two"));

        // A scheme box selects the entry its text stands for; typing one away deselects it.
        auto *scheme = m_form->control<QComboBox>("HostAuthScheme");
        pickEntry(*m_form, "HostAuthScheme", 1);
        QCOMPARE(m_form->selectedEntry("HostAuthScheme"), QStringLiteral("CRYPT-PW"));
        QCOMPARE(m_form->selectedIndex("HostAuthScheme"), 1);
        QTest::keyClick(scheme->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(m_form->selectedEntry("HostAuthScheme"), QString());
        QCOMPARE(m_form->text("HostAuthScheme"), QStringLiteral("CRYPT-P"));
        m_form->setText("HostAuthScheme", "pgp");
        QCOMPARE(m_form->selectedEntry("HostAuthScheme"), QStringLiteral("PGP"));
        // A name box's typed text selects nothing.
        m_form->setItems("HostName", {"ns1"});
        m_form->setText("HostName", "ns1");
        QCOMPARE(m_form->selectedEntry("HostName"), QString());
    }

    // Every label on every record page stands at least 4 pixels clear of the
    // field beside it, and the groups of a page start their fields at one column.
    void labelsClearOfFieldsAndGroupsInLine()
    {
        auto *pages = m_form->findChild<QTabWidget *>("PageControl1");
        int labelsChecked = 0, groupPages = 0;
        for (int outer = 0; outer < 3; ++outer) {
            pages->setCurrentIndex(outer);
            auto *inner = qobject_cast<QTabWidget *>(pages->currentWidget());
            for (int i = 0; i < inner->count(); ++i) {
                inner->setCurrentIndex(i);
                QWidget *page = inner->currentWidget();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                const auto rectIn = [page](const QWidget *w) { return QRect(w->mapTo(page, QPoint()), w->size()); };
                for (const QLabel *label : page->findChildren<QLabel *>()) {
                    const QWidget *field = label->buddy();
                    if (!field || !label->isVisible())
                        continue;
                    const QRect l = rectIn(label), f = rectIn(field);
                    if (f.left() <= l.left() || f.top() > l.bottom() || f.bottom() < l.top())
                        continue; // not beside it
                    ++labelsChecked;
                    QVERIFY2(f.left() - l.right() - 1 >= 4,
                             qPrintable(label->objectName() + QStringLiteral(" on ") + inner->tabText(i)));
                }
                QSet<int> fieldColumns;
                const QList<QGroupBox *> groups = page->findChildren<QGroupBox *>();
                for (const QGroupBox *g : groups)
                    for (const QLabel *label : g->findChildren<QLabel *>())
                        if (label->buddy() && label->buddy()->parentWidget() == g)
                            fieldColumns.insert(label->buddy()->mapTo(page, QPoint()).x());
                if (groups.size() > 1 && !fieldColumns.isEmpty()) {
                    ++groupPages;
                    QVERIFY2(fieldColumns.size() == 1, qPrintable(inner->tabText(i)));
                }
            }
        }
        QVERIFY(labelsChecked > 40);
        QVERIFY(groupPages >= 1);
    }

    void startupFailureText()
    {
        QCOMPARE(::startupFailureText(3),
                 QStringLiteral("3->Cannot start application. Try Shutting down other applications"));
        QCOMPARE(::startupFailureText(1).left(3), QStringLiteral("1->"));
    }

    void splashStaysUpForItsFirstTimerTick()
    {
        QElapsedTimer clock;
        clock.start();
        TSplashScreen splash;
        QVERIFY(splash.Showing());
        QCOMPARE(splash.size(), QSize(161, 148));
        QTRY_VERIFY_WITH_TIMEOUT(!splash.Showing(), 5000);
        QVERIFY(clock.elapsed() >= 990);
    }

    void everyHelpContextHasATopic()
    {
        QSet<int> contexts{1031};
        for (const FieldDef &f : fieldCatalogue())
            contexts.insert(f.help);
        for (int c : contexts) {
            const QString url = HelpWindow::topicUrl(c);
            QCOMPARE(url, QStringLiteral(":/help/%1.html").arg(c));
            QFile topic(url);
            QVERIFY(topic.open(QIODevice::ReadOnly));
            QVERIFY(topic.readAll().contains("<title>"));
        }
        QCOMPARE(HelpWindow::topicUrl(0), QStringLiteral(":/help/contents.html"));
        QCOMPARE(HelpWindow::topicUrl(4242), QStringLiteral(":/help/contents.html"));
    }

    void f1OpensTheFocusedControlsTopic()
    {
        auto *pages = m_form->findChild<QTabWidget *>("PageControl1");
        pages->setCurrentIndex(0);
        QWidget *name = m_form->control("DomainNameEdit");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        auto *help = m_form->findChild<HelpWindow *>();
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
        QVERIFY(help->findChild<QTextBrowser *>()->source().toString().endsWith(QLatin1String("/1014.html")));
        QVERIFY(!help->findChild<QTextBrowser *>()->toPlainText().isEmpty());
        help->close();
    }
    // Text in a disabled field is still mailed, so it must be readable: at
    // least 4.5:1 against the silver background.
    void disabledFieldTextIsReadable_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"AuthInfoEdit", "HostAuthInfo", "HostNicHandle", "ContactAuthorizationType",
                                 "ContactAuthorizationInfo", "ContactNicHandle"})
            QTest::newRow(name) << name;
    }
    void disabledFieldTextIsReadable()
    {
        QFETCH(QString, name);
        QWidget *w = m_form->control(name);
        const bool wasEnabled = w->isEnabled();
        m_form->setEnabled(name, false);
        // Bring the field's pages to the front, so that it is laid out and drawn.
        for (QWidget *p = w; p->parentWidget(); p = p->parentWidget())
            if (auto *tabs = qobject_cast<QTabWidget *>(p->parentWidget()->parentWidget()))
                tabs->setCurrentWidget(p);
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->setText(name, QString());
        const QImage empty = w->grab().toImage();
        m_form->setText(name, "HIHIHI");
        const QImage filled = w->grab().toImage();
        m_form->setText(name, QString());
        m_form->setEnabled(name, wasEnabled);
        QCOMPARE(filled.size(), empty.size());
        const auto luminance = [](QRgb c) {
            const auto lin = [](int v) {
                const double s = v / 255.0;
                return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
        };
        // The strongest text pixel against what lies beneath it.
        double best = 1.0;
        for (int y = 0; y < filled.height(); ++y)
            for (int x = 0; x < filled.width(); ++x) {
                const QRgb text = filled.pixel(x, y), ground = empty.pixel(x, y);
                if (text == ground)
                    continue;
                const double a = luminance(text), b = luminance(ground);
                best = std::max(best, (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05));
            }
        QVERIFY2(best >= 4.5, qPrintable(QStringLiteral("contrast %1:1").arg(best, 0, 'f', 2)));
    }

    // Destroying the window while it is shown and a name box has the focus
    // (with a typed text that equals an entry) runs no handler of the window.
    void destroyingAShownWindowWithAFocusedNameBox()
    {
        ScriptedPrompter prompter;
        auto form = makeForm(m_dir.filePath("other.ini"), prompter);
        form->setItems("HostName", {"ns1.example.com", "ns2.example.com"});
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        qobject_cast<QTabWidget *>(form->findChild<QTabWidget *>("PageControl1"))->setCurrentIndex(1);
        QLineEdit *edit = form->control<QComboBox>("HostName")->lineEdit();
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, "ns2.example.com");
        const QPointer<QWidget> gone = form.get();
        form.reset();
        QVERIFY(gone.isNull());
        QCOMPARE(prompter.log, QStringList());
        QVERIFY(!QFile::exists(m_dir.filePath("other.ini")));
    }

    // The window comes back as it closed; the first time, or off every screen,
    // at its default size in the middle.
    void windowStateBetweenRuns_data()
    {
        QTest::addColumn<QByteArray>("state"); // written before the first run; empty: none
        QTest::addColumn<QRect>("closedAt");   // the first run's place and size; null: as it opened
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<QRect>("expected");   // null: the default size, centred
        const QRect moved(40, 50, 700, 500);
        QTest::newRow("first start") << QByteArray() << QRect() << false << QRect();
        QTest::newRow("moved and resized") << QByteArray() << moved << false << moved;
        QTest::newRow("maximized") << QByteArray() << moved << true << moved;
        QTest::newRow("off every screen")
            << QByteArray("[Window]\r\nLeft=9000\r\nTop=10\r\nWidth=700\r\nHeight=500\r\nMaximized=0\r\n")
            << QRect() << false << QRect();
        QTest::newRow("not a state") << QByteArray("[Window]\r\nLeft=x\r\n") << QRect() << false << QRect();
    }
    void windowStateBetweenRuns()
    {
        QFETCH(QByteArray, state);
        QFETCH(QRect, closedAt);
        QFETCH(bool, maximized);
        QFETCH(QRect, expected);
        WorkFolder dir;
        const QString settings = dir.filePath("zandolet.ini");
        if (!state.isEmpty())
            writeBytes(WindowState::pathBeside(settings), state);
        ScriptedPrompter prompter;
        const auto run = [&] {
            auto form = makeForm(settings, prompter);
            (new WindowState(*form, WindowState::pathBeside(settings)))->show();
            [&] { QVERIFY(QTest::qWaitForWindowExposed(form.get())); }();
            return form;
        };
        auto first = run();
        if (closedAt.isValid())
            first->QWidget::setGeometry(closedAt);
        if (maximized)
            first->showMaximized();
        QTRY_COMPARE(first->isMaximized(), maximized);
        const QRect opened = first->QWidget::geometry();
        QVERIFY(first->close());

        auto again = run();
        QTRY_COMPARE(again->isMaximized(), maximized);
        const QRect restored = maximized ? again->normalGeometry() : again->QWidget::geometry();
        if (expected.isNull()) {
            QCOMPARE(restored.size(), again->minimumSize());
            QCOMPARE(restored, opened);
            const QRect screen = again->screen()->availableGeometry();
            QVERIFY(qAbs(restored.center().x() - screen.center().x()) <= 1);
        } else {
            QCOMPARE(restored, expected);
        }
        QCOMPARE(prompter.log, QStringList());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
