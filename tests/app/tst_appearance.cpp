// How the windows look in a light and a dark palette and at fractional scales:
// every text measured from what the widget paints, and the memo's frame.
#include "Contrast.h"
#include "FieldMark.h"
#include "FormHarness.h"
#include "TAboutBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// Brings every tab page that holds `w` to the front.
void bringForward(QWidget *w)
{
    for (QWidget *child = w; child && child->parentWidget(); child = child->parentWidget())
        if (auto *stack = qobject_cast<QStackedWidget *>(child->parentWidget()))
            if (auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget()))
                tabs->setCurrentWidget(child);
}

// A dark theme as GTK's Adwaita dark paints it.
QPalette darkPalette()
{
    QPalette p;
    const struct {
        QPalette::ColorRole role;
        QRgb normal, disabled;
    } roles[] = {
        {QPalette::Window, 0x323232, 0x323232},     {QPalette::WindowText, 0xeeeeec, 0x919494},
        {QPalette::Base, 0x242424, 0x2d2d2d},       {QPalette::AlternateBase, 0x2e2e2e, 0x2e2e2e},
        {QPalette::Text, 0xeeeeec, 0x919494},       {QPalette::Button, 0x3a3a3a, 0x353535},
        {QPalette::ButtonText, 0xeeeeec, 0x919494}, {QPalette::Highlight, 0x15539e, 0x3a3a3a},
        {QPalette::HighlightedText, 0xffffff, 0x919494}, {QPalette::ToolTipBase, 0x1d1d1d, 0x1d1d1d},
        {QPalette::ToolTipText, 0xffffff, 0xffffff}, {QPalette::Light, 0x4a4a4a, 0x4a4a4a},
        {QPalette::Midlight, 0x404040, 0x404040},   {QPalette::Mid, 0x2a2a2a, 0x2a2a2a},
        {QPalette::Dark, 0x1e1e1e, 0x1e1e1e},       {QPalette::Shadow, 0x0a0a0a, 0x0a0a0a},
        {QPalette::PlaceholderText, 0x919494, 0x919494}, {QPalette::Link, 0x8ab4f8, 0x8ab4f8},
    };
    for (const auto &r : roles) {
        p.setColor(QPalette::Active, r.role, QColor(r.normal));
        p.setColor(QPalette::Inactive, r.role, QColor(r.normal));
        p.setColor(QPalette::Disabled, r.role, QColor(r.disabled));
    }
    return p;
}

// The contrast of the text a widget paints: `show` puts the text in, `hide`
// takes it out; the pixels that change are the text. The text's colour is its
// most contrasting pixel (the inside of a stroke), compared with the lightest
// or darkest background anywhere under the text. 0 when no text shows at all.
double paintedContrast(QWidget *w, const std::function<void(bool)> &textShown, QRect area = {})
{
    const auto grab = [&](bool shown) {
        textShown(shown);
        return w->grab(area.isValid() ? area : w->rect()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage with = grab(false).isNull() ? QImage() : grab(true);
    const QImage without = grab(false);
    textShown(true);
    QColor ink;
    double inkRatio = 0;
    QRect box;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                box |= QRect(x, y, 1, 1);
                const double r = Contrast::ratio(QColor(with.pixel(x, y)), QColor(without.pixel(x, y)));
                if (r > inkRatio)
                    inkRatio = r, ink = QColor(with.pixel(x, y));
            }
    double worst = box.isEmpty() ? 0 : 21;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            worst = std::min(worst, Contrast::ratio(ink, QColor(without.pixel(x, y))));
    return worst;
}

// Puts text in or takes it out of `w` without its change signals (a problem
// mark ends on a change); nothing when `w` shows no text of its own.
std::function<void(bool)> textSwitch(QWidget *w)
{
    const QString sample = QStringLiteral("Hxg Sample 42");
    if (auto *label = qobject_cast<QLabel *>(w); label && !label->text().isEmpty())
        return [label, text = label->text()](bool on) { label->setText(on ? text : QString()); };
    if (auto *button = qobject_cast<QAbstractButton *>(w); button && !button->text().isEmpty())
        return [button, text = button->text()](bool on) { button->setText(on ? text : QString()); };
    if (auto *edit = qobject_cast<QLineEdit *>(w); edit && !qobject_cast<QComboBox *>(w->parentWidget())) {
        const QString text = edit->text().isEmpty() ? sample : edit->text();
        return [edit, text](bool on) { const QSignalBlocker quiet(edit); edit->setText(on ? text : QString()); };
    }
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        if (combo->isEditable()) {
            const QString text = combo->currentText().isEmpty() ? sample : combo->currentText();
            return [combo, text](bool on) { const QSignalBlocker quiet(combo); combo->setEditText(on ? text : QString()); };
        }
        if (combo->count() == 0)
            combo->addItem(sample);
        return [combo, index = std::max(combo->currentIndex(), 0)](bool on) {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(on ? index : -1);
        };
    }
    if (auto *memo = qobject_cast<QPlainTextEdit *>(w)) {
        const QString text = memo->toPlainText().isEmpty() ? sample : memo->toPlainText();
        return [memo, text](bool on) { const QSignalBlocker quiet(memo); memo->setPlainText(on ? text : QString()); };
    }
    return {};
}

bool isField(QWidget *w)
{
    return (qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w->parentWidget()))
        || qobject_cast<QComboBox *>(w) || qobject_cast<QPlainTextEdit *>(w);
}

// Every text of `window` and its caption below the least readable ratio, one
// line each; fields also marked with a problem and disabled.
QStringList unreadableTexts(TGradientForm *window)
{
    QStringList found;
    const auto check = [&](QWidget *w, const QString &state, const std::function<void(bool)> &shown, QRect area = {}) {
        // A text cursor would count as text in one grab and not the other.
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
        const double r = paintedContrast(w, shown, area);
        if (r < Contrast::kReadable)
            found << QStringLiteral("%1 %2 \"%3\" %4: %5:1")
                         .arg(window->objectName(), QString::fromLatin1(w->metaObject()->className()),
                              w->objectName(), state)
                         .arg(r, 0, 'f', 2);
    };
    check(window, QStringLiteral("caption"),
          [window, title = window->windowTitle()](bool on) { window->setWindowTitle(on ? title : QString()); },
          QRect(0, 0, window->width(), window->contentsMargins().top()));
    for (QWidget *w : window->findChildren<QWidget *>()) {
        bringForward(w);
        const auto shown = textSwitch(w);
        if (!shown || !w->isVisible())
            continue;
        check(w, w->isEnabled() ? QStringLiteral("as shown") : QStringLiteral("disabled"), shown);
        if (!isField(w) || !w->isEnabled())
            continue;
        FieldMark::set(w, QStringLiteral("A problem"));
        check(w, QStringLiteral("marked"), shown);
        FieldMark::clear(w);
        w->setEnabled(false);
        check(w, QStringLiteral("disabled"), shown);
        w->setEnabled(true);
    }
    return found;
}

int grabMemo(const QString &out)
{
    WorkFolder work;
    ScriptedPrompter prompter;
    auto form = makeForm(work.filePath("z.ini"), prompter);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return 3;
    auto *memo = form->control<QPlainTextEdit>(QLatin1String(kindInfo(RecordKind::Domain).memo));
    bringForward(memo);
    QApplication::processEvents();
    return memo->grab().toImage().save(out) ? 0 : 4;
}

} // namespace

class TestAppearance : public QObject {
    Q_OBJECT
private slots:
    void textsReadable_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << QApplication::style()->standardPalette();
        QTest::newRow("dark") << darkPalette();
    }
    void textsReadable()
    {
        QFETCH(QPalette, palette);
        QApplication::setPalette(palette);
        WorkFolder work;
        ScriptedPrompter prompter;
        auto form = makeForm(work.filePath("z.ini"), prompter);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        TSetupDlg setup(form.get());
        TAboutBox about(form.get());
        QStringList found;
        for (TGradientForm *window : {static_cast<TGradientForm *>(form.get()), static_cast<TGradientForm *>(&setup),
                                      static_cast<TGradientForm *>(&about)}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            found << unreadableTexts(window);
        }
        for (const QString &f : found)
            qWarning("%s", qPrintable(f));
        QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1 texts read badly").arg(found.size())));
    }

    // The memo's frame shows on all four sides at whole and fractional scales.
    void memoFrameWhole_data()
    {
        QTest::addColumn<QString>("scale");
        for (const char *scale : {"1", "1.25", "1.5", "2"})
            QTest::newRow(scale) << QString::fromLatin1(scale);
    }
    void memoFrameWhole()
    {
        QFETCH(QString, scale);
        QTemporaryDir dir;
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
        helper.setProcessEnvironment(env);
        const QString shot = dir.filePath(QStringLiteral("memo.png"));
        helper.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--grab-memo"), shot});
        QVERIFY(helper.waitForFinished(60000));
        QCOMPARE(helper.exitCode(), 0);
        const QImage memo(shot);
        QVERIFY(!memo.isNull());
        // The left and top edges are whole; their first pixel is the frame's colour.
        const QRgb frame = memo.pixel(0, memo.height() / 2);
        QCOMPARE(memo.pixel(memo.width() / 2, 0), frame);
        const auto edgeDrawn = [&](bool right, int along) {
            for (int in = 1; in <= 3; ++in)
                if ((right ? memo.pixel(memo.width() - in, along) : memo.pixel(along, memo.height() - in)) == frame)
                    return true;
            return false;
        };
        for (int y = 4; y < memo.height() - 4; ++y)
            QVERIFY2(edgeDrawn(true, y), qPrintable(QStringLiteral("right edge missing at y=%1").arg(y)));
        for (int x = 4; x < memo.width() - 4; ++x)
            QVERIFY2(edgeDrawn(false, x), qPrintable(QStringLiteral("bottom edge missing at x=%1").arg(x)));
    }
};

int main(int argc, char **argv)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--grab-memo")
        return grabMemo(QString::fromLocal8Bit(argv[2]));
    TestAppearance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appearance.moc"
