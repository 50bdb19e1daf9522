#pragma once
// Record files, text copies and mail are ISO-8859-1. A character outside it
// is refused where it is typed, with a tool tip that says why, instead of
// being dropped silently when the record is written. One-line fields refuse
// line breaks and every field control characters the same way (FieldText):
// pasted into a field they would split a template line or a settings file,
// or reach the mail unseen. And a field takes no more text than a
// stored value reads back (IniDocument's limit), so nothing typed is cut at
// the next load and lost at the save after it.
#include <QString>
#include <QValidator>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The first character of `text` that ISO-8859-1 cannot hold, or a null QChar.
QChar firstNonLatin1(const QString &text);
QString nonLatin1Reason(QChar c);
QString controlReason(QChar c);
QString lineBreakReason();
// Whether a field's text, as stored (a memo's line break is CR LF), reads back whole.
bool fitsStoredValue(const QString &text, bool memo);
QString tooLongReason();

// Text of a memo as typed; QPlainTextEdit::toPlainText() turns no-break spaces into spaces.
QString memoText(const QPlainTextEdit *memo);

// The check of one-line fields: ISO-8859-1 text without line breaks or control characters.
class OneLineValidator : public QValidator {
public:
    explicit OneLineValidator(QWidget *field);
    State validate(QString &input, int &pos) const override;

private:
    QWidget *m_field;
};

// Installs the refusal on a line edit, combo box or plain-text memo (which keeps its lines).
void guardLatin1(QWidget *field);

// A typing limit (the host contact's two-letter country code) holds for what
// is typed and pasted. A value the program sets (a record, a default, undo)
// is shown and kept whole: a cut one would be stored back cut.
void limitTyping(QLineEdit *edit, int limit);
// Makes room for `text`, which the program is about to set; no-op without a limit.
void fitTypingLimit(QLineEdit *edit, const QString &text);
