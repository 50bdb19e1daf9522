#pragma once
// What assistive technology sees of a gradient form: a window (the main
// window) or a dialog, whose painted caption buttons are named push buttons
// ahead of its child widgets, so a screen reader can find and press them.
#include <QAccessibleWidget>
#include <vector>


class FormAccessible : public QAccessibleWidget {
public:
    explicit FormAccessible(QWidget *form);
    ~FormAccessible() override;

    // Answers for every window with caption buttons; installed once by the first form.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    int captionButtonCount() const;

    // Interfaces of the caption buttons by place, made when first asked for.
    mutable std::vector<QAccessible::Id> m_buttons;
};
