#include "ReadableDisabled.h"

#include "Contrast.h"

void makeDisabledReadable(QPalette &palette, const QColor &fieldBase)
{
    constexpr QPalette::ColorGroup off = QPalette::Disabled;
    if (fieldBase.isValid())
        palette.setColor(off, QPalette::Base, fieldBase);
    const struct {
        QPalette::ColorRole text, background;
    } pairs[] = {
        {QPalette::Text, QPalette::Base},
        {QPalette::WindowText, QPalette::Window},
        {QPalette::ButtonText, QPalette::Button},
    };
    for (const auto &p : pairs) {
        const QColor text = palette.color(off, p.text);
        QColor background = palette.color(off, p.background);
        // Styles shade a button between its colour and the light one: the text must read on both.
        if (p.background == QPalette::Button) {
            const QColor light = palette.color(off, QPalette::Light);
            if (Contrast::ratio(light, text) < Contrast::ratio(background, text))
                background = light;
        }
        palette.setColor(off, p.text, Contrast::readableOn(background, text));
    }
}
