#include "LineCodecs.h"

namespace LineCodecs {

namespace {

constexpr char Base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char HexDigits[] = "0123456789ABCDEF";

// Six bits to a uuencode character: a backquote for 0, "!" to "_" for 1 to 63.
inline char UUChar(unsigned v)
{
    v &= 0x3F;
    return v == 0 ? '`' : static_cast<char>(32 + v);
}

} // namespace

char *EncodeBase64Line(const uchar *data, int n, char *out)
{
    int i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8) | data[i + 2];
        *out++ = Base64Alphabet[v >> 18];
        *out++ = Base64Alphabet[(v >> 12) & 0x3F];
        *out++ = Base64Alphabet[(v >> 6) & 0x3F];
        *out++ = Base64Alphabet[v & 0x3F];
    }
    if (n - i == 1) {
        const unsigned v = unsigned(data[i]) << 16;
        *out++ = Base64Alphabet[v >> 18];
        *out++ = Base64Alphabet[(v >> 12) & 0x3F];
        *out++ = '=';
        *out++ = '=';
    } else if (n - i == 2) {
        const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8);
        *out++ = Base64Alphabet[v >> 18];
        *out++ = Base64Alphabet[(v >> 12) & 0x3F];
        *out++ = Base64Alphabet[(v >> 6) & 0x3F];
        *out++ = '=';
    }
    return out;
}

char *EncodeUULine(const uchar *data, int n, char *out)
{
    *out++ = UUChar(static_cast<unsigned>(n));
    if (n == UULineBytes) {
        // A full line is fifteen whole groups: no padding to look after.
        for (int i = 0; i < n; i += 3) {
            const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8) | data[i + 2];
            *out++ = UUChar(v >> 18);
            *out++ = UUChar(v >> 12);
            *out++ = UUChar(v >> 6);
            *out++ = UUChar(v);
        }
        return out;
    }
    const int chars = (4 * n) / 3 + 1;
    // Groups of three bytes give four characters; bits past the data are zero.
    int written = 0;
    for (int i = 0; written < chars; i += 3) {
        const unsigned b0 = i < n ? data[i] : 0;
        const unsigned b1 = i + 1 < n ? data[i + 1] : 0;
        const unsigned b2 = i + 2 < n ? data[i + 2] : 0;
        const unsigned v = (b0 << 16) | (b1 << 8) | b2;
        const char group[4] = {UUChar(v >> 18), UUChar(v >> 12), UUChar(v >> 6), UUChar(v)};
        for (int k = 0; k < 4 && written < chars; ++k, ++written)
            *out++ = group[k];
    }
    return out;
}

char *EncodeQPLine(const uchar *data, qsizetype n, char *out)
{
    for (qsizetype i = 0; i < n; ++i) {
        const uchar c = data[i];
        if (c < 32 || c == '=' || c >= 128) {
            *out++ = '=';
            *out++ = HexDigits[c >> 4];
            *out++ = HexDigits[c & 0x0F];
        } else {
            *out++ = static_cast<char>(c);
        }
    }
    return out;
}

} // namespace LineCodecs
