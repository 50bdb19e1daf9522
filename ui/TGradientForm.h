#pragma once
#include <QWidget>
class TGradientForm : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};
