// SMTP transparency fed in pieces: however the text is cut, the output is the
// same as for the whole text, and undoing the stuffing gives the text back.
#include "TDotStuffer.h"

#include <QByteArray>

namespace {

QByteArray unstuff(const QByteArray &wire)
{
    QByteArray out;
    bool lineStart = true;
    for (qsizetype i = 0; i < wire.size(); ++i) {
        if (lineStart && wire[i] == '.') {
            if (i + 1 >= wire.size() || wire[i + 1] != '.')
                __builtin_trap(); // a lone dot at a line start would end the data
            ++i;
        }
        out += wire[i];
        lineStart = wire[i] == '\n';
    }
    return out;
}

} // namespace

// The first byte seeds the cut points.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned seed = data[0];
    const QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QByteArray whole;
    TDotStuffer().Stuff(text.constData(), text.size(), whole);
    QByteArray pieces;
    TDotStuffer stuffer;
    for (qsizetype at = 0, step = 0; at < text.size(); at += step) {
        step = qMin<qsizetype>(text.size() - at, 1 + (seed * (at + 7)) % 13);
        QByteArray piece; // Stuff replaces what its output held
        stuffer.Stuff(text.constData() + at, step, piece);
        pieces += piece;
    }
    if (pieces != whole || unstuff(whole) != text)
        __builtin_trap();
    return 0;
}
