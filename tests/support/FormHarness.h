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
#include "IPrompter.h"
#include "TForm1.h"
#include "TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class ScriptedPrompter : public IPrompter {
public:
    QStringList informations;
    QStringList questions;
    QStringList errors;
    QStringList warnings;
    int beeps = 0;
    QStringList log;          // every box in order, "I: ", "Q: ", "E: ", "W: ", "P: " before its text
    QList<bool> answers;      // answers to the next questions; Yes when none is left
    QList<Answer> choices;    // answers to the next Yes/No/Cancel questions; No when none is left
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
    Answer askYesNoCancel(const QString &text) override
    {
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
    void beep() override { ++beeps; }
    bool choosePrinter(QPrinter *printer) override
    {
        log << QStringLiteral("P: print dialog");
        return printerChoice ? printerChoice(printer) : false;
    }
};

// Picks entry `index` of a combo box from its list, as a user does.
inline void pickEntry(TForm1 &form, const QString &combo, int index)
{
    auto *c = form.control<QComboBox>(combo);
    c->setCurrentIndex(index);
    emit c->activated(index);
}

inline std::unique_ptr<TForm1> makeForm(const QString &settingsPath, ScriptedPrompter &prompter)
{
    return std::make_unique<TForm1>(settingsPath, &prompter);
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
