#pragma once
// Record files, text copies and mail are ISO-8859-1. A character outside it
// is refused where it is typed, with a tool tip that says why, instead of
// being dropped silently when the record is written.
#include <QString>
#include <QValidator>

class QPlainTextEdit;
class QWidget;

// The first character of `text` that ISO-8859-1 cannot hold, or a null QChar.
QChar firstNonLatin1(const QString &text);
QString nonLatin1Reason(QChar c);

class Latin1Validator : public QValidator {
public:
    explicit Latin1Validator(QWidget *field);
    State validate(QString &input, int &pos) const override;

private:
    QWidget *m_field;
};

// Installs the refusal on a line edit, combo box or plain-text memo.
void guardLatin1(QWidget *field);
