// Every text of the windows measured from what they paint, light and dark;
// the memo's frame at whole and fractional scales.
#include "Contrast.h"
#include "FieldMark.h"
#include "FormHarness.h"
#include "TAboutBox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>

namespace {

void bringForward(QWidget *w) // every tab page that holds `w`
{
    for (; w && w->parentWidget(); w = w->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(w->parentWidget()->parentWidget()))
            tabs->setCurrentWidget(w);
}

// Puts text in `w` or takes it out, without the change signals that end a mark.
std::function<void(bool)> textSwitch(QWidget *w)
{
    auto *combo = qobject_cast<QComboBox *>(w);
    const bool field = qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) || combo;
    if ((combo && combo->isEditable()) || !(field || qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w)))
        return {}; // an editable combo box's line edit is measured
    if (combo && combo->count() == 0)
        combo->addItem(QStringLiteral("Hxg 42"));
    const char *property = combo ? "currentIndex" : qobject_cast<QPlainTextEdit *>(w) ? "plainText" : "text";
    QVariant on = combo ? QVariant(std::max(combo->currentIndex(), 0)) : w->property(property);
    if (!combo && on.toString().isEmpty() && !(field && (on = QStringLiteral("Hxg Sample 42")).isValid()))
        return {};
    const QVariant off = combo ? QVariant(-1) : QVariant(QString());
    return [=](bool shown) { const QSignalBlocker quiet(w); w->setProperty(property, shown ? on : off); };
}

// The pixels that change with the text are the text; its colour is its most
// contrasting pixel (inside a stroke), taken against every background pixel
// under the text. 0 when no text shows.
double paintedContrast(QWidget *w, const std::function<void(bool)> &show, QRect area)
{
    QImage shot[2];
    for (bool on : {false, true}) {
        show(on);
        shot[on] = w->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    }
    QRgb ink = 0;
    double inkRatio = 0;
    QRect box;
    for (int y = 0; y < shot[1].height(); ++y)
        for (int x = 0; x < shot[1].width(); ++x)
            if (const QRgb a = shot[1].pixel(x, y), b = shot[0].pixel(x, y); a != b) {
                box |= QRect(x, y, 1, 1);
                if (const double r = Contrast::ratio(a, b); r > inkRatio)
                    ink = a, inkRatio = r;
            }
    double worst = box.isEmpty() ? 0 : 21;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            worst = std::min(worst, Contrast::ratio(ink, shot[0].pixel(x, y)));
    return worst;
}

// Each text of `window` that reads badly; fields also marked and disabled.
QStringList unreadableTexts(TGradientForm *window)
{
    QStringList found;
    const auto check = [&](QWidget *w, const char *state, const std::function<void(bool)> &show, QRect area) {
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus(); // a text cursor would show in one grab only
        if (const double r = paintedContrast(w, show, area); r < Contrast::kReadable)
            found << QStringLiteral("%1 \"%2\" %3: %4:1")
                         .arg(window->objectName(), w->objectName().isEmpty() ? w->property("text").toString() : w->objectName(), QLatin1String(state))
                         .arg(r);
    };
    const QString title = window->windowTitle();
    check(window, "caption", [&](bool on) { window->setWindowTitle(on ? title : QString()); },
          QRect(0, 0, window->width(), window->contentsMargins().top()));
    for (QWidget *w : window->findChildren<QWidget *>()) {
        bringForward(w);
        const auto show = textSwitch(w);
        if (!show || !w->isVisible())
            continue;
        check(w, w->isEnabled() ? "as shown" : "disabled", show, w->rect());
        QWidget *field = qobject_cast<QComboBox *>(w->parentWidget()) ? w->parentWidget() : w;
        if (!w->isEnabled() || qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w))
            continue;
        const QColor base = field->palette().color(QPalette::Base);
        FieldMark::set(field, QStringLiteral("A problem"));
        check(w, "marked", show, w->rect());
        if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->view()->palette().color(QPalette::Base) != base)
            found << QStringLiteral("%1 \"%2\": its list is marked too").arg(window->objectName(), field->objectName());
        FieldMark::clear(field);
        field->setEnabled(false);
        check(w, "disabled", show, w->rect());
        field->setEnabled(true);
    }
    return found;
}

QPalette darkPalette() // GTK's Adwaita dark
{
    QPalette p(QColor(0x3a3a3a), QColor(0x323232));
    p.setColor(QPalette::Base, QColor(0x242424));
    p.setColor(QPalette::Highlight, QColor(0x15539e));
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        p.setColor(role, QColor(0xeeeeec));
        p.setColor(QPalette::Disabled, role, QColor(0x919494));
    }
    return p;
}

int grabMemo(const QString &name, const QString &out)
{
    WorkFolder work;
    ScriptedPrompter prompter;
    auto form = makeForm(work.filePath("z.ini"), prompter);
    form->show();
    auto *memo = form->control<QPlainTextEdit>(name);
    bringForward(memo);
    return QTest::qWaitForWindowExposed(form.get()) && memo->grab().save(out) ? 0 : 3;
}

} // namespace

class TestAppearance : public QObject {
    Q_OBJECT
private slots:
    void textsReadable_data()
    {
        QTest::addColumn<QPalette>("built"); // the desktop's palette as the window opens, then
        QTest::addColumn<QPalette>("palette");
        const QPalette light = QApplication::style()->standardPalette(), dark = darkPalette();
        QTest::newRow("light") << light << light;
        QTest::newRow("dark") << dark << dark;
        QTest::newRow("light, then dark") << light << dark;
    }
    void textsReadable()
    {
        QFETCH(QPalette, built);
        QFETCH(QPalette, palette);
        QApplication::setPalette(built);
        WorkFolder work;
        ScriptedPrompter prompter;
        auto form = makeForm(work.filePath("z.ini"), prompter);
        QApplication::setPalette(palette);
        TSetupDlg setup(form.get());
        TAboutBox about(form.get());
        QStringList found;
        for (TGradientForm *window : std::initializer_list<TGradientForm *>{form.get(), &setup, &about}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            found << unreadableTexts(window);
        }
        for (const QString &text : found)
            qWarning("%s", qPrintable(text));
        QCOMPARE(found.size(), 0);
    }

    void memoFrameWhole_data()
    {
        QTest::addColumn<QByteArray>("scale");
        QTest::addColumn<QString>("field"); // a review page's memo and a record field's
        for (const char *field : {kindInfo(RecordKind::Domain).memo, "PurposeEdit"})
            for (const char *scale : {"1", "1.25", "1.5", "2"})
                QTest::addRow("%s %s", field, scale) << QByteArray(scale) << QString::fromLatin1(field);
    }
    // The right and bottom edges show in the left edge's colour.
    void memoFrameWhole()
    {
        QFETCH(QByteArray, scale);
        QFETCH(QString, field);
        WorkFolder dir;
        qputenv("QT_SCALE_FACTOR", scale);
        const int status = QProcess::execute(QCoreApplication::applicationFilePath(), {"--grab-memo", field, dir.path("m.png")});
        qunsetenv("QT_SCALE_FACTOR");
        QCOMPARE(status, 0);
        const QImage memo(dir.path("m.png"));
        const QRgb frame = memo.pixel(0, memo.height() / 2);
        const auto drawn = [&](int x, int y, int dx, int dy) {
            return memo.pixel(x, y) == frame || memo.pixel(x - dx, y - dy) == frame || memo.pixel(x - 2 * dx, y - 2 * dy) == frame;
        };
        for (int y = 4; y < memo.height() - 4; ++y)
            QVERIFY2(drawn(memo.width() - 1, y, 1, 0), qPrintable(QStringLiteral("right edge, y %1").arg(y)));
        for (int x = 4; x < memo.width() - 4; ++x)
            QVERIFY2(drawn(x, memo.height() - 1, 0, 1), qPrintable(QStringLiteral("bottom edge, x %1").arg(x)));
    }
};

int main(int argc, char **argv)
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--grab-memo")
        return grabMemo(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestAppearance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appearance.moc"
