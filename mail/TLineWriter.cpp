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
    WriteLine(text.toLatin1());
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
