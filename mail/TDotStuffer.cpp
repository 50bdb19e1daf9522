#include "TDotStuffer.h"

#include <cstring>

void TDotStuffer::Stuff(const char *data, qsizetype size, QByteArray &out)
{
    // resize keeps the capacity that clear would give back: no allocation per piece.
    out.resize(0);
    out.reserve(size + size / 64 + 1);
    const char *p = data;
    const char *end = data + size;
    while (p < end) {
        if (m_lineStart && *p == '.')
            out.append('.');
        const void *lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const char *stop = lf ? static_cast<const char *>(lf) + 1 : end;
        out.append(p, stop - p);
        m_lineStart = lf != nullptr;
        p = stop;
    }
}
