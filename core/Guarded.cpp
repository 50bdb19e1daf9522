#include "Guarded.h"

#include "Exception.h"
#include "IMessageBoxes.h"

void guarded(IMessageBoxes &boxes, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Exception &e) {
        boxes.error(e.Message());
    } catch (const std::exception &e) {
        boxes.error(QString::fromLocal8Bit(e.what()));
    }
}
