#include "TReviewPages.h"

#include "ControlFields.h"
#include "FieldCatalogue.h"
#include "Guarded.h"
#include "IPrompter.h"
#include "Latin1Guard.h"
#include "NameRefusal.h"
#include "ProblemMarks.h"
#include "RecordStore.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"
#include "TextPrinter.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace {

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

QString documentTitle(RecordKind kind, const QString &name)
{
    const char *what = kind == RecordKind::Domain ? "Domain" : kind == RecordKind::Host ? "Host" : "Contact";
    return QStringLiteral("%1 - %2 record").arg(name, QLatin1String(what));
}

// The status line after a print: how much, and where it went.
QString printedText(int pages, const QPrinter &printer)
{
    const QString count = pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages);
    if (!printer.outputFileName().isEmpty())
        return QStringLiteral("Printed %1 to %2").arg(count, QFileInfo(printer.outputFileName()).fileName());
    return QStringLiteral("Printed %1 on %2").arg(count, printer.printerName());
}

} // namespace

TReviewPages::TReviewPages(const Parts &parts) : m_parts(parts)
{
    for (const KindInfo &k : recordKinds()) {
        const RecordKind kind = k.kind;
        connect(m_parts.controls.control<QPushButton>(QLatin1String(k.showButton)), &QPushButton::clicked, this,
                [this, kind] { guarded(m_parts.prompter, [this, kind] { showForm(kind); }); });
        connect(m_parts.controls.control<QPushButton>(QLatin1String(k.printButton)), &QPushButton::clicked, this,
                [this, kind] { guarded(m_parts.prompter, [this, kind] { print(kind); }); });
    }
}

TReviewPages::~TReviewPages() = default;

bool TReviewPages::refuseRecordName(RecordKind kind)
{
    const QString refusal = nameRefusal(m_parts.fields, kind);
    if (!refusal.isEmpty())
        m_parts.prompter.information(refusal);
    return !refusal.isEmpty();
}

bool TReviewPages::renderIntoMemo(RecordKind kind)
{
    const RenderResult rendered = renderRecord(kind, m_parts.fields, m_parts.store, QDateTime::currentDateTime());
    if (!rendered.written)
        return false;
    const QStringList lines = TextCopy::read(rendered.textPath);
    m_parts.controls.control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo))->setPlainText(lines.join(QLatin1Char('\n')));
    return true;
}

QStringList TReviewPages::memoLines(RecordKind kind) const
{
    const QString text = memoText(m_parts.controls.control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo)));
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TReviewPages::showForm(RecordKind kind)
{
    if (refuseRecordName(kind))
        return;
    if (!renderIntoMemo(kind))
        return;
    m_parts.store.updateNameList(kind);
    showProblems(kind, checkRegistration(m_parts.fields, kind));
    emit formShown(kind);
}

void TReviewPages::showProblems(RecordKind kind, const RegistrationProblems &problems)
{
    ProblemMarks::show([this](const QString &name) { return m_parts.controls.control(name); }, kind, problems);
}

void TReviewPages::print(RecordKind kind)
{
    if (m_parts.fields.text(QLatin1String(kindInfo(kind).nameField)).isEmpty()) {
        m_parts.prompter.information(emptyNameText(kind));
        return;
    }
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>();
        m_printer->setPageMargins(platformPageMargins(), QPageLayout::Point);
    }
    // The job's title: what a PDF shows as its title and a print queue as the job.
    m_printer->setDocName(documentTitle(kind, m_parts.fields.text(QLatin1String(kindInfo(kind).nameField))));
    if (!m_parts.prompter.choosePrinter(m_printer.get()))
        return;
    const auto *memo = m_parts.controls.control<QPlainTextEdit>(QLatin1String(kindInfo(kind).memo));
    const int pages = printLines(memoLines(kind), memo->font(), *m_printer);
    m_parts.controls.control<QLineEdit>(QLatin1String(kindInfo(kind).status))->setText(printedText(pages, *m_printer));
}
