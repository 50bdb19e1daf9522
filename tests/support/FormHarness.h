#pragma once
// How a test drives the real main window (link the test with `zform`):
//
//   ScriptedPrompter prompter;                 // records every box shown
//   prompter.answers = {false};                // next Yes/No questions: No
//   auto form = makeForm(dir.filePath("z.ini"), prompter);
//   auto *edit = form->control<QLineEdit>("OOrgNameEdit");   // by control name
//   QTest::keyClicks(edit, "Example Inc");
//   QCOMPARE(prompter.errors, QStringList{});
//
// Record folders and name lists go to the current directory; a WorkFolder
// gives each case an empty one:  WorkFolder work;  work.filePath("hosts.cbx").
//
// Modal dialogs (setup, about) run their own loop; answer them with
// `whenShown<TSetupDlg>([](TSetupDlg *d) { ...; d->accept(); })`
// before the click that opens them.
#include "FieldCatalogue.h"
#include "IPrompter.h"
#include "TAboutBox.h"
#include "Latin1Guard.h"
#include "PreMailCheck.h"
#include "TForm1.h"
#include "TSetupDlg.h"
#include "TestFiles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>

class ScriptedPrompter : public IPrompter {
public:
    QStringList informations;
    QStringList questions;
    QStringList errors;
    QStringList warnings;
    QStringList cautions;     // the questions whose default is No
    int beeps = 0;
    QStringList log;          // every box in order, "I: ", "Q: ", "E: ", "W: ", "N: ", "P: " before its text
    QList<bool> answers;      // answers to the next questions; Yes when none is left
    QList<Answer> choices;    // answers to the next Yes/No/Cancel questions; No when none is left
    QList<Answer> presets;    // what Enter would have answered to each of them
    QList<bool> cautionAnswers; // answers to the next default-No questions; No (the default) when none is left
    // Answers the print dialog: configure the printer and return true, or
    // return false for Cancel (the default).
    std::function<bool(QPrinter *)> printerChoice;

    void information(const QString &text) override
    {
        informations << text;
        log << QStringLiteral("I: ") + text;
    }
    bool confirm(const QString &text) override
    {
        questions << text;
        log << QStringLiteral("Q: ") + text;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    Answer askYesNoCancel(const QString &text, Answer preset) override
    {
        presets << preset;
        questions << text;
        log << QStringLiteral("Q: ") + text;
        return choices.isEmpty() ? Answer::No : choices.takeFirst();
    }
    void error(const QString &text) override
    {
        errors << text;
        log << QStringLiteral("E: ") + text;
    }
    void warning(const QString &text) override
    {
        warnings << text;
        log << QStringLiteral("W: ") + text;
    }
    bool confirmDefaultNo(const QString &text) override
    {
        cautions << text;
        log << QStringLiteral("N: ") + text;
        return cautionAnswers.isEmpty() ? false : cautionAnswers.takeFirst();
    }
    void beep() override { ++beeps; }
    bool choosePrinter(QPrinter *printer) override
    {
        log << QStringLiteral("P: print dialog");
        return printerChoice ? printerChoice(printer) : false;
    }
};

// Picks entry `index` of a combo box as a user does: opens its list and
// chooses the row with the keyboard, so that Qt sets the text and signals.
inline void pickEntry(TForm1 &form, const QString &combo, int index)
{
    auto *c = form.control<QComboBox>(combo);
    QVERIFY2(c && c->isEnabled() && index < c->count(), qPrintable(combo));
    c->showPopup();
    QTRY_VERIFY(c->view()->isVisible());
    QTest::keyClick(c->view(), Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(c->view(), Qt::Key_Down);
    QTest::keyClick(c->view(), Qt::Key_Return);
    QTRY_VERIFY(!c->view()->isVisible());
    QCOMPARE(c->currentText(), c->itemText(index));
    // A desktop gives the window back its activation once the list closes;
    // the offscreen platform leaves it with the closed list.
    c->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(c->window()));
}

// The kind's review memo as shown, one entry a line.
inline QStringList memoLines(const ControlFields &controls, RecordKind kind)
{
    const QString text = memoText(controls.control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo)));
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// A check before mailing: tells kProgress, finds `found` `delayMs` after a start (never, when negative).
class ScriptedCheck : public PreMailCheck {
public:
    static inline const QString kProgress = QStringLiteral("Asking ns1.example.net (127.0.0.1)");
    const RegistrationProblems found;
    const int delayMs;
    int starts = 0, cancels = 0;

    ScriptedCheck(RegistrationProblems problems, int delay) : found(std::move(problems)), delayMs(delay) {}
    void start(const IFields &, RecordKind) override
    {
        ++starts;
        m_running = true;
        emit progress(kProgress);
        if (delayMs >= 0)
            QTimer::singleShot(delayMs, this, [this] {
                if (std::exchange(m_running, false))
                    emit finished(found);
            });
    }
    void cancel() override { cancels += std::exchange(m_running, false); }

private:
    bool m_running = false;
};

inline std::unique_ptr<TForm1> makeForm(const QString &settingsPath, ScriptedPrompter &prompter,
                                        const PreMailCheckFactory &networkCheck = {})
{
    return std::make_unique<TForm1>(settingsPath, &prompter, networkCheck);
}

// The dialog a test row names over `form`: "setup" or "about"; none for "main".
inline std::unique_ptr<TGradientForm> makeDialog(const QString &which, TForm1 &form)
{
    if (which == QLatin1String("setup"))
        return std::make_unique<TSetupDlg>(&form);
    if (which == QLatin1String("about"))
        return std::make_unique<TAboutBox>(&form);
    return nullptr;
}

// Runs `action` on the first visible top-level widget of type T, as soon as
// one shows up (polling the event loop, for at most `timeoutMs`).
template <class T> void whenShown(std::function<void(T *)> action, int timeoutMs = 5000)
{
    auto *timer = new QTimer;
    auto started = std::make_shared<qint64>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, started, timeoutMs] {
        *started += 10;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *t = qobject_cast<T *>(w); t && t->isVisible()) {
                timer->stop();
                timer->deleteLater();
                action(t);
                return;
            }
        if (*started > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

// Opens the setup dialog, lets `edit` change it and closes it with `result`.
inline void runSetup(TForm1 &form, std::function<void(TSetupDlg *)> edit, int result)
{
    bool shown = false;
    whenShown<TSetupDlg>([&](TSetupDlg *d) {
        shown = true;
        edit(d);
        d->done(result);
    });
    form.Setup2Click();
    QVERIFY2(shown, "the setup dialog did not show");
}

// The settings as the setup dialog shows them; closed with Cancel.
inline SetupValues shownSettings(TForm1 &form)
{
    SetupValues shown;
    runSetup(form, [&](TSetupDlg *d) { shown = d->values(); }, QDialog::Rejected);
    return shown;
}
