#include "LineFIFO.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr quint32 MinimumBlock = 64 * 1024;

} // namespace

LineFIFO::LineFIFO(quint32 capacity)
{
    SetCapacity(capacity);
}

void LineFIFO::Reset()
{
    m_readPos = 0;
    m_used = 0;
}

void LineFIFO::SetCapacity(quint32 n)
{
    const quint32 size = std::max(n, MinimumBlock);
    if (size != m_size) {
        // Out of memory surfaces as std::bad_alloc; the old block stays until then.
        m_buffer.reset(new char[size]);
        m_size = size;
    }
    m_capacity = n;
    Reset();
}

void LineFIFO::SetDelimiter(const QByteArray &delimiter)
{
    m_delimiter = delimiter;
}

bool LineFIFO::TakeLine(QByteArray &line)
{
    if (m_delimiter.isEmpty())
        return TakeAll(line);
    const char *unread = m_buffer.get() + m_readPos;
    // Only a delimiter ending within Capacity bytes makes a line.
    const qsizetype k = Find(unread, std::min(m_used, m_capacity));
    if (k < 0) {
        Compact();
        return false;
    }
    line = QByteArray(unread, k);
    Consume(quint32(k + m_delimiter.size()));
    return true;
}

qsizetype LineFIFO::Find(const char *bytes, quint32 size) const
{
    // memchr on the first delimiter byte is far faster than a general search
    // for the short delimiters lines end with.
    const char first = m_delimiter.front();
    const qsizetype rest = m_delimiter.size() - 1;
    const char *end = bytes + size;
    for (const char *p = bytes; end - p > rest;) {
        p = static_cast<const char *>(std::memchr(p, first, size_t(end - p - rest)));
        if (!p)
            break;
        if (std::memcmp(p + 1, m_delimiter.constData() + 1, size_t(rest)) == 0)
            return p - bytes;
        ++p;
    }
    return -1;
}

bool LineFIFO::TakeAll(QByteArray &bytes)
{
    if (m_used == 0)
        return false;
    const quint32 n = std::min(m_used, m_capacity);
    bytes = QByteArray(m_buffer.get() + m_readPos, n);
    Consume(n);
    return true;
}

void LineFIFO::Consume(quint32 n)
{
    m_readPos += n;
    m_used -= n;
    if (m_used == 0)
        m_readPos = 0;
}

char *LineFIFO::Reserve(quint32 &size)
{
    Compact();
    if (m_used >= m_capacity)
        size = 0;
    else if (m_delimiter.isEmpty())
        size = m_capacity - m_used; // each receive is handed over whole, so no more than one piece
    else
        size = m_size - m_used;
    return m_buffer.get() + m_used;
}

void LineFIFO::Commit(quint32 n)
{
    m_used += n;
}

void LineFIFO::Compact()
{
    if (m_readPos == 0)
        return;
    if (m_used != 0)
        std::memmove(m_buffer.get(), m_buffer.get() + m_readPos, m_used);
    m_readPos = 0;
}
