// The three line encoders against decoders written from the formats: Qt's
// Base64 decoder, and a uudecode and a quoted-printable decode here. Every
// line must decode to exactly the bytes that went in and stay in its alphabet.
#include "LineCodecs.h"

#include <QByteArray>
#include <algorithm>
#include <vector>

namespace {

unsigned uuValue(char c)
{
    return c == '`' ? 0 : unsigned(uchar(c) - 32) & 0x3F;
}

QByteArray uuDecode(const char *p, qsizetype len)
{
    if (len < 1)
        return {};
    const int n = int(uuValue(p[0]));
    QByteArray out;
    for (qsizetype i = 1; out.size() < n; i += 4) {
        unsigned v = 0;
        for (int k = 0; k < 4; ++k)
            v = (v << 6) | (i + k < len ? uuValue(p[i + k]) : 0);
        out += char(v >> 16);
        out += char(v >> 8);
        out += char(v);
    }
    return out.left(n);
}

int hex(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

QByteArray qpDecode(const char *p, qsizetype len)
{
    QByteArray out;
    for (qsizetype i = 0; i < len; ++i) {
        if (p[i] != '=') {
            out += p[i];
            continue;
        }
        if (i + 2 >= len || hex(p[i + 1]) < 0 || hex(p[i + 2]) < 0)
            __builtin_trap(); // "=" always starts an escape
        out += char(hex(p[i + 1]) * 16 + hex(p[i + 2]));
        i += 2;
    }
    return out;
}

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> buf(size * 3 + 128);
    for (size_t at = 0; at <= size; at += LineCodecs::Base64LineBytes) {
        const int n = int(std::min<size_t>(LineCodecs::Base64LineBytes, size - at));
        const char *end = LineCodecs::EncodeBase64Line(data + at, n, buf.data());
        const QByteArray line(buf.data(), end - buf.data());
        check(line.size() <= LineCodecs::Base64LineMax);
        const auto decoded = QByteArray::fromBase64Encoding(line, QByteArray::AbortOnBase64DecodingErrors);
        check(decoded.decodingStatus == QByteArray::Base64DecodingStatus::Ok);
        check(decoded.decoded == QByteArray(reinterpret_cast<const char *>(data + at), n));
    }
    // Whole lines at once are the single lines, each with CR LF.
    const size_t whole = size / LineCodecs::Base64LineBytes;
    std::vector<char> lines(whole * (LineCodecs::Base64LineMax + 2) + 1);
    const char *linesEnd = LineCodecs::EncodeBase64Lines(data, qsizetype(whole), lines.data());
    QByteArray single;
    for (size_t l = 0; l < whole; ++l) {
        const char *e = LineCodecs::EncodeBase64Line(data + l * LineCodecs::Base64LineBytes, LineCodecs::Base64LineBytes,
                                                     buf.data());
        single += QByteArray(buf.data(), e - buf.data()) + "\r\n";
    }
    check(QByteArray(lines.data(), linesEnd - lines.data()) == single);
    for (size_t at = 0; at <= size; at += LineCodecs::UULineBytes) {
        const int n = int(std::min<size_t>(LineCodecs::UULineBytes, size - at));
        const char *end = LineCodecs::EncodeUULine(data + at, n, buf.data());
        check(end - buf.data() <= LineCodecs::UULineMax);
        check(std::all_of(static_cast<const char *>(buf.data()), end, [](char c) { return c > 32 && c <= 96; }));
        check(uuDecode(buf.data(), end - buf.data()) == QByteArray(reinterpret_cast<const char *>(data + at), n));
    }
    const char *end = LineCodecs::EncodeQPLine(data, qsizetype(size), buf.data());
    // DEL passes as it is, as the composer's format has it.
    check(std::all_of(static_cast<const char *>(buf.data()), end, [](char c) { return c >= 32 && c <= 127; }));
    check(qpDecode(buf.data(), end - buf.data()) == QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
