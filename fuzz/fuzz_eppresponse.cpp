// The registry's frames: the stream splitter and the response reader on any
// bytes. Whole frames come out exactly as they went in, a bad length stops
// the split, and the reader either refuses a frame or gives an answer whose
// code is an EPP result code; masking never lets a password through.
#include "EppFrames.h"
#include "EppResponse.h"
#include "EppSession.h"

#include <QtEndian>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const EppResponse r = EppResponse::parse(bytes);
    if (r.error.isEmpty() && !r.isGreeting && (r.code < 1000 || r.code > 2599))
        __builtin_trap();
    if (!r.error.isEmpty() && (r.code != 0 || !r.resData.name.isEmpty()))
        __builtin_trap();
    (void)r.lines();
    if (EppFrames::masked(bytes).contains("<pw>hunter2</pw>"))
        __builtin_trap();
    // The same bytes framed: one frame each, and whatever follows is left alone.
    QByteArray stream(4, '\0');
    qToBigEndian<quint32>(quint32(bytes.size() + 4), stream.data());
    stream += bytes + bytes.left(3); // less than a header: left for the next read
    QList<QByteArray> frames;
    const QString error = EppSession::takeFrames(stream, [&frames](const QByteArray &f) { frames << f; });
    const bool fits = bytes.size() >= 1 && bytes.size() <= EppSession::MaxFrame;
    if (fits != error.isEmpty() || (fits && (frames != QList<QByteArray>{bytes} || stream != bytes.left(3))))
        __builtin_trap();
    return 0;
}
