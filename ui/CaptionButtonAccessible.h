#pragma once
// One painted caption button (minimize, maximize or restore, close, help) as
// a push button: named after what it does, placed where it is drawn, and
// pressed by its action as by the mouse. `place` counts from the left; the
// button at a place follows the window's state (maximize becomes restore).
#include <QAccessibleInterface>
#include <QPointer>

class CaptionButtons;
class QWidget;
enum class CaptionButtonKind;

class CaptionButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    // `form` implements CaptionButtons.
    CaptionButtonAccessible(QWidget *form, int place);

    static QString name(CaptionButtonKind kind);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::PushButton; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    // The form's buttons; none once it is being destroyed down to its widget.
    CaptionButtons *buttons() const;

    QPointer<QWidget> m_form;
    int m_place;
};
