// HTTP responses as a server may send them: read whole or in pieces of any
// size, the outcome is the same; after the close the answer is complete or
// refused, and a body never exceeds its bound.
#include "HttpResponseReader.h"

namespace {

constexpr qsizetype MaxBody = 4096;

HttpResponseReader readIn(QByteArrayView bytes, qsizetype piece)
{
    HttpResponseReader reader(MaxBody);
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        reader.feed(bytes.sliced(at, std::min(piece, bytes.size() - at)));
    reader.closed();
    return reader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const HttpResponseReader whole = readIn(bytes, bytes.size() + 1);
    const HttpResponseReader pieces = readIn(bytes, piece);
    using State = HttpResponseReader::State;
    for (const HttpResponseReader *r : {&whole, &pieces})
        if ((r->state() != State::Complete && r->state() != State::Failed) ||
            (r->state() == State::Failed) != (r->fault() != HttpResponseReader::Fault::None) || r->body().size() > MaxBody)
            __builtin_trap();
    if (whole.state() != pieces.state() || whole.fault() != pieces.fault() || whole.status() != pieces.status() ||
        whole.body() != pieces.body())
        __builtin_trap();
    return 0;
}
