#include "FileEncoding.h"

namespace {

// Length of the UTF-8 sequence at `p` (1..4), or 0 for a broken one.
// Overlong forms and surrogates count as broken, as in a strict decoder.
int sequenceAt(const uchar *p, const uchar *end)
{
    const uchar c = p[0];
    if (c < 0x80)
        return 1;
    int n = 0;
    uchar lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (end - p < n || p[1] < lo || p[1] > hi)
        return 0;
    for (int i = 2; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return n;
}

} // namespace

namespace FileEncoding {

Kind detect(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return Kind::Utf8WithBom;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const uchar *end = p + bytes.size();
    bool multiByte = false;
    while (p < end) {
        const int n = sequenceAt(p, end);
        if (n == 0)
            return Kind::Latin1;
        multiByte = multiByte || n > 1;
        p += n;
    }
    return multiByte ? Kind::Utf8 : Kind::Latin1;
}

qsizetype headerSize(Kind kind)
{
    return kind == Kind::Utf8WithBom ? 3 : 0;
}

QByteArray header(Kind kind)
{
    return kind == Kind::Utf8WithBom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
}

QString decode(const char *data, qsizetype size, Kind kind)
{
    return kind == Kind::Latin1 ? QString::fromLatin1(data, size) : QString::fromUtf8(data, size);
}

QByteArray encode(const QString &text, Kind kind)
{
    return kind == Kind::Latin1 ? text.toLatin1() : text.toUtf8();
}

} // namespace FileEncoding
