#include "QtPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>

void QtPrompter::information(const QString &text)
{
    QMessageBox::information(m_parent, QApplication::applicationName(), text);
}

bool QtPrompter::confirm(const QString &text)
{
    return QMessageBox::warning(m_parent, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) == QMessageBox::Yes;
}

IPrompter::Answer QtPrompter::askYesNoCancel(const QString &text, Answer preset)
{
    const QMessageBox::StandardButton enter = preset == Answer::Yes  ? QMessageBox::Yes
                                              : preset == Answer::No ? QMessageBox::No
                                                                     : QMessageBox::Cancel;
    switch (QMessageBox::warning(m_parent, QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, enter)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void QtPrompter::error(const QString &text)
{
    QMessageBox::critical(m_parent, QApplication::applicationName(), text);
}

void QtPrompter::warning(const QString &text)
{
    QMessageBox::warning(m_parent, QApplication::applicationName(), text);
}

bool QtPrompter::confirmDefaultNo(const QString &text)
{
    return QMessageBox::warning(m_parent, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompter::beep()
{
    QApplication::beep();
}

bool QtPrompter::choosePrinter(QPrinter *printer)
{
    QPrintDialog dialog(printer, m_parent);
    return dialog.exec() == QDialog::Accepted;
}
