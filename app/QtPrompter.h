#pragma once
#include "IPrompter.h"

class QWidget;

// The boxes a user sees.
class QtPrompter : public IPrompter {
public:
    explicit QtPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    Answer askYesNoCancel(const QString &text, Answer preset) override;
    void error(const QString &text) override;
    void warning(const QString &text) override;
    bool confirmDefaultNo(const QString &text) override;
    void beep() override;
    bool choosePrinter(QPrinter *printer) override;

private:
    QWidget *m_parent;
};
