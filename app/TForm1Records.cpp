// The record pages' handlers: loading on a name change, the editing rules,
// defaults and the review pages' buttons.
#include "ChangeWatch.h"
#include "FieldCatalogue.h"
#include "FormRules.h"
#include "IPrompter.h"
#include "ListEntry.h"
#include "RecordUndo.h"
#include "RecordStore.h"
#include "TForm1.h"
#include "RecordCheckRun.h"
#include "EppWorkflow.h"
#include "TMailWorkflow.h"
#include "TReviewPages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>

void TForm1::connectCombo(QComboBox *combo, const std::function<void()> &onUserChange)
{
    const QString name = combo->objectName();
    // Qt takes a typed text that equals an entry for a pick of that entry when
    // editing ends; in a name box only the drop-down list and the arrow keys pick.
    disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
    // Only the user's typing or picking counts as a change; texts set by the
    // program block these signals.
    connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, name, onUserChange] {
        setPicked(name, -1);
        if (onUserChange)
            guarded(onUserChange);
    });
    connect(combo, &QComboBox::activated, this, [this, name, onUserChange](int index) {
        setPicked(name, index);
        if (onUserChange)
            guarded(onUserChange);
    });
    if (!hasFixedList(name))
        return;
    // A scheme or notify box stands for the entry its text matches but for
    // case; once editing ends it shows that entry's spelling, which is what
    // the template prints, and the rule runs as after a pick.
    connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this, name, onUserChange] {
        const QString entry = listEntryFor(name, text(name));
        if (entry.isEmpty() || entry == text(name))
            return;
        setText(name, entry);
        if (onUserChange)
            guarded(onUserChange);
    });
}

void TForm1::connectRecordHandlers()
{
    for (const FieldDef &f : fieldCatalogue()) {
        if (f.type != ControlType::Combo)
            continue;
        std::function<void()> rule;
        for (const KindInfo &k : recordKinds())
            if (f.name == QLatin1String(k.nameField)) {
                const RecordKind kind = k.kind;
                // Another record by name: the old one's undo steps must not reach it.
                rule = [this, kind] {
                    m_undo->forget(kind);
                    m_store->loadRecord(kind);
                };
            }
        for (const SchemeRuleDef &s : schemeRules())
            if (f.name == s.schemeField) {
                const QString name = f.name;
                rule = [this, name] { schemeChanged(*this, name); };
            }
        if (f.name == QLatin1String("ContactAuthenticationType"))
            rule = [this] { authenticationChanged(*this); };
        connectCombo(control<QComboBox>(f.name), rule);
    }

    for (const QString &radio : actionRuleRadios())
        connect(control<QRadioButton>(radio), &QRadioButton::toggled, this, [this, radio](bool on) {
            if (on)
                guarded([this, radio] { actionClicked(*this, *m_prompter, radio); });
        });

    for (const KindInfo &k : recordKinds()) {
        const RecordKind kind = k.kind;
        connect(control<QPushButton>(QLatin1String(k.defaultButton)), &QPushButton::clicked, this,
                [this, kind] {
                    guarded([this, kind] {
                        m_store->saveDefaults(kind);
                        m_mail->showBriefly(kind, QStringLiteral("Saved as default"));
                    });
                });
    }
    for (const ClearAllButtonDef &c : clearAllButtons()) {
        const QString name = c.name;
        connect(control<QPushButton>(name), &QPushButton::clicked, this,
                [this, name] { guarded([this, name] { m_undo->editButton(name, false); }); });
    }
    // A stored record is where undo starts again.
    m_store->setOnSaved([this](RecordKind kind) { m_undo->forget(kind); });

    // Escape presses the cancel button of the page on show, where it has one.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        // A mail waiting for its check is what Escape ends first.
        if (m_mail->waiting()) {
            m_mail->stop();
            return;
        }
        if (m_epp->busy()) {
            m_epp->stop();
            return;
        }
        auto *inner = qobject_cast<QTabWidget *>(m_pages->currentWidget());
        if (!inner)
            return;
        for (const QString &name : cancelButtonNames())
            if (auto *b = control<QPushButton>(name); b && b->isEnabled() && inner->currentWidget()->isAncestorOf(b))
                guarded([this, name] { m_undo->editButton(name, true); });
    });
}

void TForm1::connectChecks()
{
    connect(m_review.get(), &TReviewPages::formShown, this, [this](RecordKind kind) {
        // A mail's or a send's check goes on; its result is shown when it ends.
        if (m_mail->waiting() || m_epp->busy())
            return;
        RecordCheckRun::Handlers handlers;
        handlers.finished = [this, kind](const RegistrationProblems &problems) { m_review->showProblems(kind, problems); };
        m_checks->start(kind, std::move(handlers));
    });
    for (const FieldDef &f : fieldCatalogue())
        if (QWidget *w = control(f.name)) {
            const RecordKind kind = f.kind;
            watchChanges(w, this, [this, kind] { m_checks->edited(kind); });
        }
}

void TForm1::Undo1Click()
{
    m_undo->undo();
}

QLineEdit *TForm1::statusLine(RecordKind kind) const
{
    return control<QLineEdit>(QLatin1String(kindInfo(kind).status));
}
