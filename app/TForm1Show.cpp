// Show Form, Print and the mail buttons of the three review pages.
#include "Exception.h"
#include "FieldCatalogue.h"
#include "IPrompter.h"
#include "Latin1Guard.h"
#include "RecordStore.h"
#include "TForm1.h"
#include "TMailWorkflow.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"
#include "TextPrinter.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
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

// The margins a new print job starts with: those of the default printer, or
// when there is none (printing to a PDF file) the ones the system's text
// printing uses, a quarter inch at the sides and half an inch at top and bottom.
QMarginsF platformPageMargins()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull()) {
        const QMarginsF margins = QPrinter(printer).pageLayout().margins(QPageLayout::Point);
        if (!margins.isNull())
            return margins;
    }
    return QMarginsF(18, 36, 18, 36);
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
    const QString text = memoText(control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo)));
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
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>();
        m_printer->setPageMargins(platformPageMargins(), QPageLayout::Point);
    }
    if (!m_prompter->choosePrinter(m_printer.get()))
        return;
    const auto *memo = control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo));
    printLines(memoLines(kind), memo->font(), *m_printer);
}

void TForm1::BitBtn1Click() { m_mail->mail(RecordKind::Domain); }
void TForm1::HostMailtoNicClick() { m_mail->mail(RecordKind::Host); }
void TForm1::ContactMailtoNicClick() { m_mail->mail(RecordKind::Contact); }

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
        void (TForm1::*mail)();
    } pages[] = {
        {RecordKind::Domain, &TForm1::ShowFormClick, &TForm1::BitBtn4Click, &TForm1::BitBtn1Click},
        {RecordKind::Host, &TForm1::HostShowFormClick, &TForm1::HostPrintClick, &TForm1::HostMailtoNicClick},
        {RecordKind::Contact, &TForm1::ContactShowFormClick, &TForm1::ContactPrintClick, &TForm1::ContactMailtoNicClick},
    };
    for (const auto &p : pages) {
        const KindInfo &k = kindInfo(p.kind);
        const std::pair<const char *, void (TForm1::*)()> buttons[] = {
            {k.showButton, p.show}, {k.printButton, p.print}, {k.mailButton, p.mail}};
        for (const auto &[button, handler] : buttons)
            connect(control<QPushButton>(QLatin1String(button)), &QPushButton::clicked, this,
                    [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    }
}
