#include "ReviewPage.h"

#include "AnchoredBox.h"
#include "ControlFields.h"
#include "FieldCatalogue.h"
#include "FormRules.h"
#include "FrameOverlay.h"
#include "PageLayout.h"
#include "StatusLine.h"
#include "TextPrinter.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

QWidget *buildReviewPage(RecordKind kind, ControlFields &controls, const std::function<QSize()> &growth)
{
    const KindInfo &k = kindInfo(kind);
    auto *page = new QWidget;
    auto *col = new QVBoxLayout(page);
    compact(col);

    // Screen readers name the page's unlabelled parts after the kind: "Host form".
    const QString kindName = QString::fromLatin1(k.outerPage).section(QLatin1Char(' '), 0, 0);
    auto *memo = new QPlainTextEdit;
    controls.registerControl(memo, QLatin1String(k.memo));
    memo->setAccessibleName(kindName + QStringLiteral(" form"));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFont(TextPrinter::memoFont(kind));
    new FrameOverlay(memo);
    col->addWidget(memo, 1);

    // The rows below the memo keep their default width as the memo grows.
    auto *rows = new QWidget;
    auto *rowsLayout = new QVBoxLayout(rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(col->spacing());
    col->addWidget(new AnchoredBox(rows, growth, Qt::Horizontal));

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    const struct {
        const char *name;
        const char *caption;
        const char *hint;
    } defs[] = {
        {k.showButton, "Show Form", k.showHint},
        {k.mailButton, k.mailCaption, k.mailHint},
        {k.sendButton, "Send to &Registry", "Sends the record to the registry over EPP (File > Setup names the server)."},
        {k.printButton, "Print", ""},
        {k.defaultButton, "Save as Default", k.defaultHint},
    };
    for (const auto &d : defs) {
        auto *b = new QPushButton(QLatin1String(d.caption));
        b->setAutoDefault(false);
        b->setToolTip(QLatin1String(d.hint));
        controls.registerControl(b, QLatin1String(d.name));
        buttons->addWidget(b);
    }
    // It waits for an EPP server in the settings.
    controls.control(QLatin1String(k.sendButton))->setEnabled(false);
    for (const ClearAllButtonDef &c : clearAllButtons()) {
        if (c.kind != kind)
            continue;
        auto *b = new QPushButton(c.caption);
        b->setAutoDefault(false);
        b->setToolTip(c.hint);
        controls.registerControl(b, c.name);
        buttons->addWidget(b);
    }
    rowsLayout->addLayout(buttons);

    auto *statusRow = new QHBoxLayout;
    // The window's own font size: a summary's count comes first and must stay readable.
    auto *status = new StatusLine(QStringLiteral("status..."));
    controls.registerControl(status, QLatin1String(k.status));
    status->setAccessibleName(kindName + QStringLiteral(" status"));
    auto *progress = new QProgressBar;
    controls.registerControl(progress, QLatin1String(k.progress));
    progress->setAccessibleName(kindName + QStringLiteral(" send progress"));
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
    statusRow->addWidget(status, 1);
    statusRow->addWidget(progress, 1);
    // Stops the send in progress; only enabled while one runs.
    auto *cancelSend = new QPushButton(QStringLiteral("Stop"));
    controls.registerControl(cancelSend, QLatin1String(k.stopButton));
    cancelSend->setToolTip(QStringLiteral("Stops the mailing or the registry send in progress."));
    cancelSend->setAutoDefault(false);
    cancelSend->setEnabled(false);
    statusRow->addWidget(cancelSend);
    rowsLayout->addLayout(statusRow);
    return page;
}
