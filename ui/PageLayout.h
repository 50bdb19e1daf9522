#pragma once
// The spacing of the main window's pages.
#include <QLayout>

inline void compact(QLayout *l)
{
    l->setContentsMargins(6, 4, 6, 4);
    l->setSpacing(2);
}
