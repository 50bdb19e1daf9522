#include "TLineWriter.h"

#include "Exception.h"
#include "TBackgroundWrite.h"
#include "TEventSlice.h"

#include <QFileDevice>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
constexpr qsizetype BufferSize = 1 << 18;
// Handing a buffer over costs two thread switches; larger ones keep that small.
constexpr qsizetype BackgroundBufferSize = 1 << 20;
}

TLineWriter::TLineWriter(QIODevice &out, TEventSlice &slice) : m_out(out), m_slice(slice)
{
    m_buffer.resize(BufferSize);
}

TLineWriter::~TLineWriter() = default;

void TLineWriter::WriteLine(const QString &text)
{
    // Straight into the buffer, as toLatin1 would convert it (a character
    // beyond ISO-8859-1 becomes "?"), then cut at the first NUL.
    const qsizetype size = text.size();
    char *at = Reserve(size + 2);
    const char16_t *from = reinterpret_cast<const char16_t *>(text.constData());
    qsizetype i = 0;
#ifdef __SSE2__
    // Sixteen characters at a time while all of them are Latin-1.
    for (; i + 16 <= size; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i + 8));
        const __m128i high = _mm_or_si128(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(high, _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < size; ++i)
        at[i] = from[i] < 0x100 ? static_cast<char>(from[i]) : '?';
    qsizetype n = size;
    if (const void *nul = std::memchr(at, '\0', static_cast<size_t>(size)))
        n = static_cast<const char *>(nul) - at;
    at[n] = '\r';
    at[n + 1] = '\n';
    Commit(n + 2);
}

void TLineWriter::WriteLine(const QByteArray &bytes)
{
    WriteLine(bytes.constData(), bytes.size());
}

void TLineWriter::WriteLine(const char *data, qsizetype size)
{
    if (const void *nul = std::memchr(data, '\0', static_cast<size_t>(size)))
        size = static_cast<const char *>(nul) - data;
    char *at = Reserve(size + 2);
    std::memcpy(at, data, static_cast<size_t>(size));
    at[size] = '\r';
    at[size + 1] = '\n';
    Commit(size + 2);
}

char *TLineWriter::Reserve(qsizetype size)
{
    if (m_used + size > m_buffer.size()) {
        Pass(true);
        if (size > m_buffer.size())
            m_buffer.resize(size);
    }
    return m_buffer.data() + m_used;
}

void TLineWriter::Commit(qsizetype size)
{
    m_used += size;
}

void TLineWriter::Pass(bool moreToCome)
{
    const qsizetype size = m_used;
    m_used = 0;
    if (moreToCome && !m_background && qobject_cast<QFileDevice *>(&m_out))
        m_background = std::make_unique<TBackgroundWrite>(m_out);
    if (m_background) {
        // A file takes its bytes while the next buffer fills: encoding a large
        // text then costs about as long as writing it, not the sum of both.
        m_background->Start(m_buffer, size);
        if (m_buffer.size() < BackgroundBufferSize)
            m_buffer.resize(BackgroundBufferSize);
    } else if (size > 0 && m_out.write(m_buffer.constData(), size) != size) {
        throw EInOutError(m_out.errorString(), 0);
    }
    m_slice.Tick();
}

void TLineWriter::Flush()
{
    Pass(false);
    if (m_background)
        m_background->Wait();
}
