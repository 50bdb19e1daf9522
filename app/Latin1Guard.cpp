#include "Latin1Guard.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QToolTip>

namespace {

void showReason(QWidget *field, QChar c)
{
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), nonLatin1Reason(c), field);
}

} // namespace

QChar firstNonLatin1(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return c;
    return {};
}

QString nonLatin1Reason(QChar c)
{
    return QStringLiteral("\"%1\" cannot be used: registrations are plain ISO-8859-1 (Latin-1) text.").arg(c);
}

Latin1Validator::Latin1Validator(QWidget *field) : QValidator(field), m_field(field) {}

QValidator::State Latin1Validator::validate(QString &input, int &) const
{
    const QChar bad = firstNonLatin1(input);
    if (bad.isNull())
        return Acceptable;
    showReason(m_field, bad);
    return Invalid;
}

void guardLatin1(QWidget *field)
{
    if (auto *e = qobject_cast<QLineEdit *>(field)) {
        e->setValidator(new Latin1Validator(e));
    } else if (auto *c = qobject_cast<QComboBox *>(field)) {
        if (c->lineEdit())
            c->lineEdit()->setValidator(new Latin1Validator(c));
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(field)) {
        QObject::connect(m, &QPlainTextEdit::textChanged, m, [m] {
            QString text = m->toPlainText();
            const QChar bad = firstNonLatin1(text);
            if (bad.isNull())
                return;
            QTextCursor cursor = m->textCursor();
            int position = cursor.position();
            for (qsizetype i = text.size() - 1; i >= 0; --i)
                if (text[i].unicode() > 0xFF) {
                    text.remove(i, 1);
                    if (i < position)
                        --position;
                }
            const QSignalBlocker block(m);
            m->setPlainText(text);
            cursor = m->textCursor();
            cursor.setPosition(qMin<int>(position, text.size()));
            m->setTextCursor(cursor);
            showReason(m, bad);
        });
    }
}
