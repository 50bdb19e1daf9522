#include "ProblemMarks.h"

#include "FieldCatalogue.h"
#include "FieldMark.h"

#include <QHash>
#include <QLineEdit>

namespace {

// The status line remembers what it showed before a summary and the summary itself.
const char *const kBefore = "statusBeforeProblems";
const char *const kSummary = "problemSummary";

void showSummary(QLineEdit *status, const QString &summary)
{
    const QString shown = status->property(kSummary).toString();
    // A send may have written the line since; its text stays.
    if (!shown.isEmpty() && status->text() == shown)
        status->setText(status->property(kBefore).toString());
    if (!summary.isEmpty()) {
        status->setProperty(kBefore, status->text());
        status->setText(summary);
    }
    status->setProperty(kSummary, summary);
}

} // namespace

void ProblemMarks::show(const Controls &controls, RecordKind kind, const RegistrationProblems &problems)
{
    for (const FieldDef &f : fieldCatalogue())
        if (f.kind == kind)
            if (QWidget *w = controls(f.name))
                FieldMark::clear(w);

    QStringList fields;
    QHash<QString, QStringList> texts;
    for (const RegistrationProblem &p : problems) {
        if (!texts.contains(p.field))
            fields << p.field;
        texts[p.field] << problemText(p);
    }
    for (const QString &field : fields)
        if (QWidget *w = controls(field))
            FieldMark::set(w, texts.value(field).join(QLatin1Char('\n')));

    if (auto *status = qobject_cast<QLineEdit *>(controls(QLatin1String(kindInfo(kind).status))))
        showSummary(status, problemSummary(problems));
}
