// The painted caption bar of the main window, the setup dialog and the about
// box: colours read back from grabbed pixels, and the jobs of a title bar.
#include "FormHarness.h"
#include "GradientTable.h"
#include "InWindowDialog.h"
#include "TAboutBox.h"
#include "TSetupDlg.h"

#include <QAccessible>
#include <QMenu>
#include <QPaintEvent>
#include <QTest>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kGrey(128, 128, 128);

// The caption strip of a window, as the window is painted now.
QImage captionOf(TGradientForm &w)
{
    const QMargins m = w.contentsMargins();
    return w.grab(QRect(m.left(), m.left(), w.width() - m.left() - m.right(), m.top() - m.left())).toImage();
}

// The colours of a pixel row, one entry per run of equal pixels.
QList<QColor> runsOfRow(const QImage &image, int y)
{
    QList<QColor> runs;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (runs.isEmpty() || runs.constLast() != c)
            runs << c;
    }
    return runs;
}

// Counts the paints that reach a window's caption strip.
class CaptionPaints : public QObject {
public:
    explicit CaptionPaints(TGradientForm &w) : m_w(w) { w.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        const QMargins m = m_w.contentsMargins();
        if (e->type() == QEvent::Paint && static_cast<QPaintEvent *>(e)->rect().top() < m.top())
            ++count;
        return false;
    }

private:
    TGradientForm &m_w;
};

void setCaptionColours(const QColor &active, const QColor &inactive)
{
    QPalette pal = QGuiApplication::palette();
    pal.setColor(QPalette::Active, QPalette::Highlight, active);
    pal.setColor(QPalette::Disabled, QPalette::Highlight, inactive);
    QApplication::setPalette(pal);
}

} // namespace

class TestCaption : public QObject {
    Q_OBJECT
    WorkFolder m_work;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TGradientForm> m_dialog;

    // The window of a row: "main", "setup" or "about", shown and asked to be
    // active; tests wait for it with QTRY_VERIFY(w.isActiveWindow()).
    TGradientForm &window(const QString &which)
    {
        m_dialog.reset();
        m_dialog = makeDialog(which, *m_form);
        TGradientForm &w = m_dialog ? *m_dialog : *m_form;
        w.show();
        w.activateWindow();
        return w;
    }

private slots:
    void init()
    {
        setCaptionColours(kBlue, kGrey);
        m_form = makeForm(m_work.filePath("zandolet.ini"), m_prompter);
    }

    void cleanup()
    {
        m_dialog.reset();
        m_form.reset();
        QApplication::setPalette(QPalette());
    }

    void tableRunsFromBlackToTheCaptionColour_data()
    {
        QTest::addColumn<QColor>("caption");
        QTest::addColumn<int>("colors");
        QTest::addColumn<QList<int>>("blues");   // the whole table, when given
        QTest::newRow("8 blue") << kBlue << 8 << QList<int>{0, 36, 73, 109, 146, 182, 219, 255};
        QTest::newRow("64 navy") << QColor(0, 0, 128) << 64 << QList<int>{};
        QTest::newRow("64 odd") << QColor(49, 140, 199) << 64 << QList<int>{};
        QTest::newRow("256 odd") << QColor(253, 7, 130) << 256 << QList<int>{};
    }
    void tableRunsFromBlackToTheCaptionColour()
    {
        QFETCH(QColor, caption);
        QFETCH(int, colors);
        QFETCH(QList<int>, blues);
        const GradientTable table(caption, colors);
        QCOMPARE(table.size(), colors);
        QCOMPARE(table.at(0), QColor(Qt::black));
        QCOMPARE(table.at(colors - 1), caption);
        for (int i = 1; i < colors; ++i) {
            QVERIFY(table.at(i).red() >= table.at(i - 1).red());
            QVERIFY(table.at(i).blue() >= table.at(i - 1).blue());
        }
        for (int i = 0; i < blues.size(); ++i)
            QCOMPARE(table.at(i), QColor(0, 0, blues[i]));
    }

    // The first N - 1 colours fill the strip from the left edge to the right:
    // black at the left, one step short of the caption colour at the right.
    void captionShowsTheGradient_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("colors");
        for (const char *w : {"main", "setup", "about"})
            for (int n : {8, 64, 256})
                QTest::addRow("%s %d", w, n) << QString::fromLatin1(w) << n;
    }
    void captionShowsTheGradient()
    {
        QFETCH(QString, which);
        QFETCH(int, colors);
        TGradientForm &w = window(which);
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(w.GradientColors(), 64);
        w.SetGradientColors(colors);
        QCOMPARE(w.GradientColors(), colors);
        const QImage caption = captionOf(w);
        QCOMPARE(caption.pixelColor(0, caption.height() / 2), QColor(Qt::black));

        const QList<QColor> runs = runsOfRow(caption, 0);   // above icon, buttons and text
        QCOMPARE(runs.size(), colors - 1);
        for (int i = 1; i < runs.size(); ++i) {
            QCOMPARE(runs[i].red(), 0);
            QVERIFY(runs[i].blue() > runs[i - 1].blue());
        }
        QVERIFY(runs.constLast().blue() < 255);
        QVERIFY(runs.constLast().blue() >= 255 - (255 + colors - 2) / (colors - 1));
        if (colors == 8) {
            QList<int> blues;
            for (const QColor &c : runs)
                blues << c.blue();
            QCOMPARE(blues, (QList<int>{0, 36, 73, 109, 146, 182, 219}));
        }
        // The caption text is white.
        bool white = false;
        for (int y = 0; y < caption.height() && !white; ++y)
            for (int x = 0; x < caption.width() / 2 && !white; ++x)
                white = caption.pixelColor(x, y) == QColor(Qt::white);
        QVERIFY(white);
    }

    void paintWhenFollowsTheActiveState_data()
    {
        QTest::addColumn<int>("when");
        QTest::addColumn<bool>("gradientActive");
        QTest::addColumn<bool>("gradientInactive");
        QTest::newRow("always") << int(TGradientForm::gfpAlways) << true << true;
        QTest::newRow("active") << int(TGradientForm::gfpActive) << true << false;
        QTest::newRow("never") << int(TGradientForm::gfpNever) << false << false;
    }
    void paintWhenFollowsTheActiveState()
    {
        QFETCH(int, when);
        QFETCH(bool, gradientActive);
        QFETCH(bool, gradientInactive);
        TGradientForm &main = window("main");
        QTRY_VERIFY(main.isActiveWindow());
        main.SetPaintGradient(TGradientForm::TGFPaintWhen(when));

        auto check = [&](bool gradient, const QColor &caption) {
            const QList<QColor> runs = runsOfRow(captionOf(main), 0);
            if (gradient) {
                QCOMPARE(runs.constFirst(), QColor(Qt::black));
                QCOMPARE(runs.size(), 63);
                QVERIFY(qAbs(runs.constLast().red() - caption.red()) <= 3);
                QVERIFY(qAbs(runs.constLast().blue() - caption.blue()) <= 5);
            } else {
                QCOMPARE(runs, QList<QColor>{caption});
            }
        };
        check(gradientActive, kBlue);
        // The about box takes the focus; the main window shows inactive.
        TGradientForm &about = window("about");
        QTRY_VERIFY(about.isActiveWindow());
        QVERIFY(!main.isActiveWindow());
        check(gradientInactive, kGrey);
        // And active again once it has it back.
        main.activateWindow();
        QTRY_VERIFY(main.isActiveWindow());
        check(gradientActive, kBlue);
    }

    void paletteChangeRebuildsTheTables()
    {
        TGradientForm &w = window("setup");
        QTRY_VERIFY(w.isActiveWindow());
        w.SetGradientColors(8);
        QCOMPARE(runsOfRow(captionOf(w), 0).constLast(), QColor(0, 0, 219));
        setCaptionColours(QColor(255, 0, 0), kGrey);
        QTRY_COMPARE(runsOfRow(captionOf(w), 0).constLast(), QColor(219, 0, 0));
    }

    // Only a real change paints the caption again.
    void changesRepaintOnlyWhenTheyChangeSomething_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("repaints");
        QTest::addColumn<int>("colors");   // GradientColors afterwards
        QTest::newRow("same caption") << "caption Zandolet" << false << 64;
        QTest::newRow("new caption") << "caption Zandolet 2" << true << 64;
        QTest::newRow("7 colours") << "colors 7" << false << 64;
        QTest::newRow("300 colours") << "colors 300" << false << 64;
        QTest::newRow("same colours") << "colors 64" << false << 64;
        QTest::newRow("256 colours") << "colors 256" << true << 256;
        QTest::newRow("same paint when") << "when 0" << false << 64;
        QTest::newRow("paint when never") << "when 2" << true << 64;
    }
    void changesRepaintOnlyWhenTheyChangeSomething()
    {
        QFETCH(QString, change);
        QFETCH(bool, repaints);
        QFETCH(int, colors);
        TGradientForm &main = window("main");
        QTRY_VERIFY(main.isActiveWindow());
        QTest::qWait(50);   // the first paints are done
        const QImage before = captionOf(main);
        CaptionPaints paints(main);
        const QString what = change.section(' ', 0, 0), value = change.section(' ', 1);
        if (what == QLatin1String("caption"))
            main.SetCaption(value);
        else if (what == QLatin1String("colors"))
            main.SetGradientColors(value.toInt());
        else
            main.SetPaintGradient(TGradientForm::TGFPaintWhen(value.toInt()));
        QTest::qWait(50);
        QCOMPARE(paints.count > 0, repaints);
        QCOMPARE(captionOf(main) != before, repaints);
        QCOMPARE(main.GradientColors(), colors);
        QCOMPARE(main.windowTitle(), main.Caption());
    }

    void longCaptionEndsInAnEllipsis()
    {
        TGradientForm &w = window("setup");
        QTRY_VERIFY(w.isActiveWindow());
        w.setWindowTitle(QString(300, QLatin1Char('H')));
        QCOMPARE(w.Caption(), w.windowTitle());
        const QImage caption = captionOf(w);
        // Text pixels stand out from the blue gradient by their red.
        auto textRows = [&](int x) {
            int rows = 0;
            for (int y = 0; y < caption.height(); ++y)
                rows += caption.pixelColor(x, y).red() > 160 && caption.pixelColor(x, y).blue() > 160;
            return rows;
        };
        int last = 0;
        for (int x = 0; x < caption.width() - 24; ++x)
            if (textRows(x))
                last = x;
        QVERIFY(last > caption.width() / 2);
        // The last glyph is dots on the base line; an H's stems are as tall as the text.
        QVERIFY(textRows(last) <= 3);
        QVERIFY(textRows(last - 1) <= 3);
        int tallest = 0;
        for (int x = 0; x < 40; ++x)
            tallest = qMax(tallest, textRows(x));
        QVERIFY(tallest >= 7);
    }

    // What users do with a title bar, on the real windows. Positions count
    // from the caption's right end: the close button, 2 pixels, then the
    // maximize and minimize buttons, 16 pixels each.
    void titleBarJobs_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("main close button") << "main" << "click -10" << "closed";
        QTest::newRow("main minimize button") << "main" << "click -46" << "minimized";
        QTest::newRow("main maximize button") << "main" << "click -28" << "maximized";
        QTest::newRow("main caption double-click") << "main" << "double-click" << "maximized";
        QTest::newRow("main icon") << "main" << "click 10" << "menu";
        QTest::newRow("main Alt+Space") << "main" << "alt+space" << "menu";
        QTest::newRow("main Alt+F4") << "main" << "alt+f4" << "closed";
        QTest::newRow("main drag") << "main" << "drag" << "moved";
        QTest::newRow("setup close button") << "setup" << "click -10" << "closed";
        QTest::newRow("setup Alt+F4") << "setup" << "alt+f4" << "closed";
        QTest::newRow("setup drag") << "setup" << "drag" << "moved";
        QTest::newRow("setup has no icon") << "setup" << "click 10" << "unchanged";
        QTest::newRow("about Alt+Space") << "about" << "alt+space" << "menu";
        QTest::newRow("about close button") << "about" << "click -10" << "closed";
    }
    void titleBarJobs()
    {
        QFETCH(QString, which);
        QFETCH(QString, action);
        QFETCH(QString, outcome);
        TGradientForm &w = window(which);
        QTRY_VERIFY(w.isActiveWindow());
        const QMargins m = w.contentsMargins();
        const int middle = (m.left() + m.top()) / 2;
        const QPoint start = w.pos();
        bool finished = false;
        connect(&w, &QDialog::finished, this, [&] { finished = true; });

        if (action.startsWith(QLatin1String("click "))) {
            const int x = action.mid(6).toInt();
            QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(x < 0 ? w.width() - m.right() + x : m.left() + x, middle));
        } else if (action == QLatin1String("double-click")) {
            QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(w.width() / 3, middle));
        } else if (action == QLatin1String("alt+space")) {
            QTest::keyClick(&w, Qt::Key_Space, Qt::AltModifier);
        } else if (action == QLatin1String("alt+f4")) {
            QTest::keyClick(&w, Qt::Key_F4, Qt::AltModifier);
        } else {
            const QPoint from(w.width() / 3, middle);
            QTest::mousePress(&w, Qt::LeftButton, {}, from);
            QTest::mouseMove(&w, from + QPoint(40, 30));
            // The window has moved under the pointer.
            QTest::mouseRelease(&w, Qt::LeftButton, {}, from);
        }

        auto *menu = w.findChild<QMenu *>(QStringLiteral("WindowMenu"));
        QVERIFY(menu);
        if (outcome == QLatin1String("menu")) {
            QTRY_VERIFY(menu->isVisible());
            QCOMPARE(menu->actions().constLast()->text(), QStringLiteral("&Close"));
            QCOMPARE(menu->actions().constLast()->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
            menu->close();
        } else {
            QVERIFY(!menu->isVisible());
        }
        // Closing ends a dialog as Cancel does.
        QCOMPARE(!w.isVisible(), outcome == QLatin1String("closed"));
        QCOMPARE(finished && w.result() == QDialog::Rejected, outcome == QLatin1String("closed"));
        QCOMPARE(w.isMinimized(), outcome == QLatin1String("minimized"));
        QCOMPARE(w.isMaximized(), outcome == QLatin1String("maximized"));
        if (!w.isMaximized())
            QCOMPARE(w.pos(), outcome == QLatin1String("moved") ? start + QPoint(40, 30) : start);
    }

    // The client areas keep their sizes below the caption.
    void clientAreasKeepTheirSizes_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QSize>("client");
        QTest::newRow("setup") << "setup" << QSize(404, 322);
        QTest::newRow("about") << "about" << QSize(443, 291);
    }
    void clientAreasKeepTheirSizes()
    {
        QFETCH(QString, which);
        QFETCH(QSize, client);
        TGradientForm &w = window(which);
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(w.contentsRect().size(), client);
        QVERIFY(w.contentsMargins().top() > w.contentsMargins().bottom() + 15);
        QCOMPARE(w.minimumSize(), w.maximumSize());
    }
    // Shown inside the main window (as on Wayland): centred over it, the only
    // part that takes keys (Tab stays in it; its F1 and Alt+F4 are its own),
    // ended by its keys; afterwards the window is as it was.
    void dialogInsideItsOwner_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<int>("result"); // -1: still open (then Escape)
        for (const char *w : {"setup", "about"}) {
            QTest::addRow("%s Escape", w) << QString::fromLatin1(w) << QKeyCombination(Qt::Key_Escape) << 0;
            QTest::addRow("%s Enter", w) << QString::fromLatin1(w) << QKeyCombination(Qt::Key_Return) << 1;
            QTest::addRow("%s Alt+F4", w) << QString::fromLatin1(w) << (Qt::ALT | Qt::Key_F4) << 0;
        }
        QTest::newRow("setup F1") << "setup" << QKeyCombination(Qt::Key_F1) << -1;
    }
    void dialogInsideItsOwner()
    {
        QFETCH(QString, which);
        QFETCH(QKeyCombination, key);
        QFETCH(int, result);
        m_form->move(120, 80);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        auto *first = m_form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).constFirst();
        first->setEnabled(false);
        QHash<QWidget *, bool> enabled;
        for (QWidget *w : m_form->findChildren<QWidget *>())
            enabled.insert(w, w->isEnabled());
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus && m_form->isAncestorOf(focus));
        m_dialog = makeDialog(which, *m_form);
        TGradientForm *dialog = m_dialog.get();
        int helps = 0;
        if (auto *setup = qobject_cast<TSetupDlg *>(dialog))
            connect(setup, &TSetupDlg::helpRequested, this, [&] { ++helps; });
        const auto checks = [&] {
            QVERIFY(dialog->isVisible() && !dialog->isWindow());
            QVERIFY((QRect(dialog->pos(), dialog->size()).center() - m_form->rect().center()).manhattanLength() <= 2);
            auto *backdrop = m_form->findChild<QWidget *>(QStringLiteral("dialogBackdrop"));
            QVERIFY(backdrop && backdrop->isVisible() && backdrop->geometry() == m_form->rect());
            QAccessibleInterface *named = QAccessible::queryAccessibleInterface(dialog);
            QVERIFY(named && named->role() == QAccessible::Dialog);
            QCOMPARE(named->text(QAccessible::Name), dialog->windowTitle());
            // Its caption moves it within the window.
            const QPoint before = dialog->pos(), from(dialog->width() / 3, dialog->contentsMargins().top() / 2);
            QTest::mousePress(dialog, Qt::LeftButton, {}, from);
            QTest::mouseMove(dialog, from + QPoint(40, 30));
            QTest::mouseRelease(dialog, Qt::LeftButton, {}, from);
            QCOMPARE(dialog->pos(), before + QPoint(40, 30));
            for (int i = 0; i < 20; ++i) {
                QVERIFY(dialog->isAncestorOf(QApplication::focusWidget()));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
            if (result < 0) {
                QVERIFY(dialog->isVisible());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            }
        };
        QTimer::singleShot(0, dialog, [&] {
            checks();
            if (dialog->isVisible()) // a check failed
                dialog->done(-2);
        });
        QCOMPARE(InWindowDialog::exec(*dialog), qMax(result, 0));
        QCOMPARE(helps, result < 0 ? 1 : 0);
        QVERIFY(!m_form->findChild<QWidget *>(QStringLiteral("dialogBackdrop")));
        for (auto it = enabled.cbegin(); it != enabled.cend(); ++it)
            QVERIFY2(it.key()->isEnabled() == it.value(), qPrintable(it.key()->objectName()));
        QCOMPARE(QApplication::focusWidget(), focus);
    }
};

QTEST_MAIN(TestCaption)
#include "tst_caption.moc"
