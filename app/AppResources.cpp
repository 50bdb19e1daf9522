#include "AppResources.h"

#include <QtGlobal>

void initAppResources()
{
    Q_INIT_RESOURCE(help);
    Q_INIT_RESOURCE(images);
}
