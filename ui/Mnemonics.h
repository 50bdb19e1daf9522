#pragma once
// Alt-key mnemonics for a page's buttons, chosen so that none repeats.
#include <QString>
#include <QStringList>

class QWidget;

// Each caption with an "&" before the first letter no earlier caption and no
// letter of `taken` uses: a word's first letter if one is free, else any
// letter. A caption with no free letter, or with a mnemonic already, stays as
// it is. Letters compare without case.
QStringList withMnemonics(const QStringList &captions, QString taken);

// Gives the push buttons on `page` mnemonics beside those of its labels and
// `taken` (the menu bar's, say), in the buttons' creation order.
void giveMnemonics(QWidget *page, const QString &taken);
