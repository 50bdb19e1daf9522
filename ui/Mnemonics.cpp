#include "Mnemonics.h"

#include <QKeySequence>
#include <QLabel>
#include <QPushButton>

namespace {

// Places of the caption's letters in the order they are tried.
QList<qsizetype> candidates(const QString &caption)
{
    QList<qsizetype> first, rest;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (!caption[i].isLetterOrNumber())
            continue;
        (i == 0 || !caption[i - 1].isLetterOrNumber() ? first : rest).append(i);
    }
    return first + rest;
}

QChar mnemonicOf(const QString &text)
{
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (key.isEmpty())
        return {};
    return QChar(key[0].key()).toUpper();
}

} // namespace

QStringList withMnemonics(const QStringList &captions, QString taken)
{
    taken = taken.toUpper();
    QStringList out;
    for (const QString &caption : captions) {
        QString marked = caption;
        if (const QChar own = mnemonicOf(caption); !own.isNull()) {
            taken += own;
        } else {
            for (qsizetype i : candidates(caption)) {
                const QChar letter = caption[i].toUpper();
                if (!taken.contains(letter)) {
                    taken += letter;
                    marked.insert(i, QLatin1Char('&'));
                    break;
                }
            }
        }
        out << marked;
    }
    return out;
}

void giveMnemonics(QWidget *page, const QString &taken)
{
    QString used = taken;
    for (const QLabel *label : page->findChildren<QLabel *>())
        if (label->buddy())
            used += mnemonicOf(label->text());
    const QList<QPushButton *> buttons = page->findChildren<QPushButton *>();
    QStringList captions;
    for (const QPushButton *b : buttons)
        captions << b->text();
    const QStringList marked = withMnemonics(captions, used);
    for (qsizetype i = 0; i < buttons.size(); ++i)
        buttons[i]->setText(marked[i]);
}
