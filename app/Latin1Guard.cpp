#include "Latin1Guard.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QToolTip>

namespace {

void showText(QWidget *field, const QString &text)
{
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), text, field);
}

void showReason(QWidget *field, QChar c)
{
    showText(field, nonLatin1Reason(c));
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

QString memoText(const QPlainTextEdit *memo)
{
    QString text = memo->document()->toRawText();
    for (QChar &c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    return text;
}

OneLineValidator::OneLineValidator(QWidget *field) : QValidator(field), m_field(field) {}

QValidator::State OneLineValidator::validate(QString &input, int &) const
{
    for (const QChar c : input) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull()) {
            showText(m_field, c.isNull() ? QStringLiteral("A NUL character cannot be used: this field holds plain text.")
                                         : QStringLiteral("A line break cannot be used: this field holds one line."));
            return Invalid;
        }
    }
    const QChar bad = firstNonLatin1(input);
    if (bad.isNull())
        return Acceptable;
    showReason(m_field, bad);
    return Invalid;
}

void guardLatin1(QWidget *field)
{
    if (auto *e = qobject_cast<QLineEdit *>(field)) {
        e->setValidator(new OneLineValidator(e));
    } else if (auto *c = qobject_cast<QComboBox *>(field)) {
        if (c->lineEdit())
            c->lineEdit()->setValidator(new OneLineValidator(c));
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(field)) {
        QObject::connect(m, &QPlainTextEdit::textChanged, m, [m] {
            QString text = memoText(m);
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
