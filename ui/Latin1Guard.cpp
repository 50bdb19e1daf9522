#include "Latin1Guard.h"

#include "FieldText.h"
#include "IniFile.h"
#include "Latin1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>
#include <memory>

namespace {

void showText(QWidget *field, const QString &text)
{
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), text, field);
}

const char *const kTypingLimit = "typingLimit";

void showReason(QWidget *field, QChar c)
{
    showText(field, nonLatin1Reason(c));
}

} // namespace

QChar firstNonLatin1(const QString &text)
{
    const qsizetype bad = Latin1::firstUnfit(text);
    return bad < 0 ? QChar() : text[bad];
}

QString nonLatin1Reason(QChar c)
{
    return QStringLiteral("\"%1\" cannot be used: registrations are plain ISO-8859-1 (Latin-1) text.").arg(c);
}

QString controlReason(QChar c)
{
    const QString code = QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
    return QStringLiteral("A control character (0x%1) cannot be used: this field holds plain text.").arg(code);
}

QString lineBreakReason()
{
    return QStringLiteral("A line break cannot be used: this field holds one line.");
}

bool fitsStoredValue(const QString &text, bool memo)
{
    const qsizetype breaks = memo ? text.count(QLatin1Char('\n')) : 0;
    return text.size() + breaks <= IniDocument::MaxValueLength;
}

QString tooLongReason()
{
    return QStringLiteral("A field holds at most %1 characters (a line break counts as two): "
                          "a record keeps no more.")
        .arg(IniDocument::MaxValueLength);
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
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            showText(m_field, lineBreakReason());
            return Invalid;
        }
        if (FieldText::refused(c, FieldText::Shape::OneLine)) {
            showText(m_field, controlReason(c));
            return Invalid;
        }
    }
    const QChar bad = firstNonLatin1(input);
    if (!bad.isNull()) {
        showReason(m_field, bad);
        return Invalid;
    }
    if (!fitsStoredValue(input, false)) {
        showText(m_field, tooLongReason());
        return Invalid;
    }
    return Acceptable;
}

void guardLatin1(QWidget *field)
{
    if (auto *e = qobject_cast<QLineEdit *>(field)) {
        e->setValidator(new OneLineValidator(e));
    } else if (auto *c = qobject_cast<QComboBox *>(field)) {
        if (c->lineEdit())
            c->lineEdit()->setValidator(new OneLineValidator(c));
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(field)) {
        // The last text that fitted, with its cursor. The document reports
        // every change, also those the program makes with the memo's own
        // signals blocked; textChanged reports only the user's.
        struct Fitting {
            QString text;
            int position = 0;
        };
        auto last = std::make_shared<Fitting>();
        QObject::connect(m->document(), &QTextDocument::contentsChanged, m, [m, last] {
            const QString text = memoText(m);
            if (fitsStoredValue(text, true))
                *last = {text, m->textCursor().position()};
        });
        QObject::connect(m, &QPlainTextEdit::textChanged, m, [m, last] {
            QString text = memoText(m);
            if (!fitsStoredValue(text, true)) {
                const QSignalBlocker block(m);
                m->setPlainText(last->text);
                QTextCursor cursor = m->textCursor();
                cursor.setPosition(qMin<int>(last->position, last->text.size()));
                m->setTextCursor(cursor);
                last->position = cursor.position();
                showText(m, tooLongReason());
                return;
            }
            // Characters outside ISO-8859-1 and control characters go; line breaks and tabs stay.
            const auto unfit = [](QChar c) {
                return !Latin1::fits(c) || FieldText::refused(c, FieldText::Shape::Memo);
            };
            const auto first = std::find_if(text.cbegin(), text.cend(), unfit);
            if (first == text.cend())
                return;
            const QChar bad = *first;
            QTextCursor cursor = m->textCursor();
            int position = cursor.position();
            for (qsizetype i = text.size() - 1; i >= 0; --i)
                if (unfit(text[i])) {
                    text.remove(i, 1);
                    if (i < position)
                        --position;
                }
            const QSignalBlocker block(m);
            m->setPlainText(text);
            cursor = m->textCursor();
            cursor.setPosition(qMin<int>(position, text.size()));
            m->setTextCursor(cursor);
            if (Latin1::fits(bad))
                showText(m, controlReason(bad));
            else
                showReason(m, bad);
        });
    }
}

void limitTyping(QLineEdit *edit, int limit)
{
    edit->setProperty(kTypingLimit, limit);
    edit->setMaxLength(limit);
    // Room made for a longer value shrinks with each edit, down to the limit.
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [edit, limit] { edit->setMaxLength(std::max<int>(limit, int(edit->text().size()))); });
}

void fitTypingLimit(QLineEdit *edit, const QString &text)
{
    if (const int limit = edit->property(kTypingLimit).toInt(); limit > 0)
        edit->setMaxLength(std::max<int>(limit, int(text.size())));
}
