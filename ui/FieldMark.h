#pragma once
// A problem shown on a record field: a reddish field with the problem as its
// tool tip, and the dynamic property "registrationProblem" set. The mark ends
// when the field's text changes, by the user or the program.
#include <QObject>
#include <QPalette>
#include <QString>

class QWidget;

class FieldMark : public QObject {
    Q_OBJECT
public:
    // Marks `field` (replacing a mark it has) with `toolTip` shown over it.
    static void set(QWidget *field, const QString &toolTip);
    // Ends the field's mark, if any: its own tool tip and look come back.
    static void clear(QWidget *field);

private:
    explicit FieldMark(QWidget *field);
    void watchChanges(QWidget *field);

    QString m_toolTip;
    QPalette m_palette;
    bool m_ownPalette;
};
