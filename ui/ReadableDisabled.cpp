#include "ReadableDisabled.h"

#include "Contrast.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

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

ReadableDisabled::ReadableDisabled(QWidget *window, const QColor &fieldBase)
    : QObject(window), m_window(window), m_fieldBase(fieldBase)
{
    apply();
    window->installEventFilter(this);
}

void ReadableDisabled::apply()
{
    // From the desktop's palette, not the window's: its greyed colours are ours.
    QPalette palette = QApplication::palette(m_window);
    makeDisabledReadable(palette, m_fieldBase);
    m_window->setPalette(palette);
}

bool ReadableDisabled::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::ApplicationPaletteChange)
        apply();
    return QObject::eventFilter(watched, event);
}
