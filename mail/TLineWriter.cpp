#include "TLineWriter.h"

#include "Exception.h"
#include "TEventSlice.h"

#include <QIODevice>
#include <cstring>

namespace {
constexpr qsizetype BufferSize = 1 << 18;
}

TLineWriter::TLineWriter(QIODevice &out, TEventSlice &slice) : m_out(out), m_slice(slice)
{
    m_buffer.resize(BufferSize);
}

TLineWriter::~TLineWriter() = default;

void TLineWriter::WriteLine(const QString &text)
{
    // Straight into the buffer, as toLatin1 would convert it (a character
    // beyond ISO-8859-1 becomes "?"), then cut at the first NUL; two simple
    // passes that the compiler turns into vector code.
    const qsizetype size = text.size();
    char *at = Reserve(size + 2);
    const QChar *from = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = from[i].unicode();
        at[i] = c < 0x100 ? static_cast<char>(c) : '?';
    }
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
        Flush();
        if (size > m_buffer.size())
            m_buffer.resize(size);
    }
    return m_buffer.data() + m_used;
}

void TLineWriter::Commit(qsizetype size)
{
    m_used += size;
}

void TLineWriter::Flush()
{
    const qsizetype size = m_used;
    m_used = 0;
    if (size > 0 && m_out.write(m_buffer.constData(), size) != size)
        throw EInOutError(m_out.errorString(), 0);
    m_slice.Tick();
}
