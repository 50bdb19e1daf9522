#pragma once
// A window's painted caption buttons as something other than the mouse can
// reach them: where they are, and pressing one. Screen readers use it.
#include "CaptionGeometry.h"

#include <QList>

class CaptionButtons {
public:
    // The caption buttons in window coordinates, from the left.
    virtual QList<CaptionButton> captionButtons() const = 0;
    virtual void pressButton(CaptionButtonKind kind) = 0;

protected:
    ~CaptionButtons() = default;
};
