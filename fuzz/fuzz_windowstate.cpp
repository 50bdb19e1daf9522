// The window's state file: any bytes give a sane state or none, and a state
// written comes back the same.
#include "WindowGeometry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto g = WindowGeometry::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!g)
        return 0;
    if (g->normal.width() < 1 || g->normal.height() < 1 || WindowGeometry::parse(g->toBytes()) != g)
        __builtin_trap();
    return 0;
}
