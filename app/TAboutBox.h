#pragma once
#include "TGradientForm.h"

class TAboutBox : public TGradientForm {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner);
};
