#include "ChangeWatch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

void watchChanges(QWidget *field, QObject *context, const std::function<void()> &changed)
{
    const auto run = [changed] { changed(); };
    if (auto *e = qobject_cast<QLineEdit *>(field))
        QObject::connect(e, &QLineEdit::textChanged, context, run);
    else if (auto *c = qobject_cast<QComboBox *>(field))
        QObject::connect(c, &QComboBox::currentTextChanged, context, run);
    else if (auto *m = qobject_cast<QPlainTextEdit *>(field))
        QObject::connect(m, &QPlainTextEdit::textChanged, context, run);
    else if (auto *b = qobject_cast<QAbstractButton *>(field))
        QObject::connect(b, &QAbstractButton::toggled, context, run);
}
