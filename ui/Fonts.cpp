#include "Fonts.h"

#include <QFont>

void installFontSubstitutions()
{
    // Once per process; safe to call from every user of these fonts.
    static const bool done = [] {
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)done;
}
