// Show Form and Print of the three review pages.
#include "Exception.h"
#include "FieldCatalogue.h"
#include "IPrompter.h"
#include "RecordStore.h"
#include "TForm1.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"
#include "TextPrinter.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>

namespace {

// The information box shown when the kind's name field is empty.
QString emptyNameText(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Domain:
        return QStringLiteral("You did not enter a domain name on the TYPE tab.");
    case RecordKind::Host:
        return QStringLiteral("You did not enter a host name on the TYPE tab.");
    case RecordKind::Contact:
        break;
    }
    return displayCaption(
        QStringLiteral("You did not enter a Contact Name on the Aithorization, Notify && Authentication tab."));
}

} // namespace

bool TForm1::refuseRecordName(RecordKind kind)
{
    const QString name = text(QLatin1String(kindInfo(kind).nameField));
    if (name.isEmpty()) {
        m_prompter->information(emptyNameText(kind));
        return true;
    }
    const QString problem = RecordStore::recordNameProblem(name);
    if (!problem.isEmpty()) {
        m_prompter->information(problem);
        return true;
    }
    return false;
}

void TForm1::renderIntoMemo(RecordKind kind)
{
    RenderResult &rendered = m_rendered[static_cast<size_t>(kind)];
    rendered = renderRecord(kind, *this, *m_store, QDateTime::currentDateTime());
    const QStringList lines = TextCopy::read(rendered.textPath);
    control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo))->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList TForm1::memoLines(RecordKind kind) const
{
    const QString text = control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo))->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TForm1::showForm(RecordKind kind)
{
    if (refuseRecordName(kind))
        return;
    renderIntoMemo(kind);
    m_store->updateNameList(kind);
}

void TForm1::printMemo(RecordKind kind)
{
    if (text(QLatin1String(kindInfo(kind).nameField)).isEmpty()) {
        m_prompter->information(emptyNameText(kind));
        return;
    }
    QPrinter printer;
    if (!m_prompter->choosePrinter(&printer))
        return;
    const auto *memo = control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo));
    printLines(memoLines(kind), memo->font(), printer);
}

void TForm1::ShowFormClick() { showForm(RecordKind::Domain); }
void TForm1::HostShowFormClick() { showForm(RecordKind::Host); }
void TForm1::ContactShowFormClick() { showForm(RecordKind::Contact); }
void TForm1::BitBtn4Click() { printMemo(RecordKind::Domain); }
void TForm1::HostPrintClick() { printMemo(RecordKind::Host); }
void TForm1::ContactPrintClick() { printMemo(RecordKind::Contact); }

void TForm1::connectReviewHandlers()
{
    const struct {
        RecordKind kind;
        void (TForm1::*show)();
        void (TForm1::*print)();
    } pages[] = {
        {RecordKind::Domain, &TForm1::ShowFormClick, &TForm1::BitBtn4Click},
        {RecordKind::Host, &TForm1::HostShowFormClick, &TForm1::HostPrintClick},
        {RecordKind::Contact, &TForm1::ContactShowFormClick, &TForm1::ContactPrintClick},
    };
    for (const auto &p : pages) {
        const KindInfo &k = kindInfo(p.kind);
        auto show = p.show;
        auto print = p.print;
        connect(control<QPushButton>(QLatin1String(k.showButton)), &QPushButton::clicked, this,
                [this, show] { guarded([this, show] { (this->*show)(); }); });
        connect(control<QPushButton>(QLatin1String(k.printButton)), &QPushButton::clicked, this,
                [this, print] { guarded([this, print] { (this->*print)(); }); });
    }
}
