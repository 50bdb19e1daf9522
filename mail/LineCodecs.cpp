#include "LineCodecs.h"

#include <cstring>

namespace LineCodecs {

namespace {

constexpr char Base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char HexDigits[] = "0123456789ABCDEF";

// Six bits to a uuencode character: a backquote for 0, "!" to "_" for 1 to 63.
constexpr char UUChar(unsigned v)
{
    v &= 0x3F;
    return v == 0 ? '`' : static_cast<char>(32 + v);
}

// The two characters of every 12-bit group: one look-up per half of a
// three-byte group instead of one per character.
struct PairTable {
    char pair[4096][2];
};

template <class Char> constexpr PairTable MakePairs(Char sixBits)
{
    PairTable t{};
    for (unsigned v = 0; v < 4096; ++v) {
        t.pair[v][0] = sixBits(v >> 6);
        t.pair[v][1] = sixBits(v & 0x3F);
    }
    return t;
}

constexpr PairTable Base64Pairs = MakePairs([](unsigned v) { return Base64Alphabet[v]; });
constexpr PairTable UUPairs = MakePairs([](unsigned v) { return UUChar(v); });

// Three bytes to four characters.
inline char *Group(const uchar *data, const PairTable &t, char *out)
{
    const unsigned v = (unsigned(data[0]) << 16) | (unsigned(data[1]) << 8) | data[2];
    std::memcpy(out, t.pair[v >> 12], 2);
    std::memcpy(out + 2, t.pair[v & 0xFFF], 2);
    return out + 4;
}

} // namespace

char *EncodeBase64Line(const uchar *data, int n, char *out)
{
    int i = 0;
    for (; i + 3 <= n; i += 3)
        out = Group(data + i, Base64Pairs, out);
    if (n - i == 1) {
        std::memcpy(out, Base64Pairs.pair[unsigned(data[i]) << 4], 2);
        out[2] = '=';
        out[3] = '=';
        out += 4;
    } else if (n - i == 2) {
        const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8);
        std::memcpy(out, Base64Pairs.pair[v >> 12], 2);
        out[2] = Base64Alphabet[(v >> 6) & 0x3F];
        out[3] = '=';
        out += 4;
    }
    return out;
}

char *EncodeBase64Lines(const uchar *data, qsizetype lines, char *out)
{
    for (qsizetype l = 0; l < lines; ++l, data += Base64LineBytes) {
        for (int i = 0; i < Base64LineBytes; i += 3)
            out = Group(data + i, Base64Pairs, out);
        out[0] = '\r';
        out[1] = '\n';
        out += 2;
    }
    return out;
}

char *EncodeUULine(const uchar *data, int n, char *out)
{
    *out++ = UUChar(static_cast<unsigned>(n));
    if (n == UULineBytes) {
        // A full line is fifteen whole groups: no padding to look after.
        for (int i = 0; i < n; i += 3)
            out = Group(data + i, UUPairs, out);
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
