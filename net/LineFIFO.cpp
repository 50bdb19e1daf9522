#include "LineFIFO.h"

#include <QByteArrayView>
#include <cstring>

LineFIFO::LineFIFO(quint32 capacity) : m_buffer(new char[capacity]), m_capacity(capacity) {}

void LineFIFO::Reset()
{
    m_readPos = 0;
    m_used = 0;
}

void LineFIFO::SetCapacity(quint32 n)
{
    if (n != m_capacity) {
        // Out of memory surfaces as std::bad_alloc; the old buffer stays until then.
        std::unique_ptr<char[]> buffer(new char[n]);
        m_buffer = std::move(buffer);
        m_capacity = n;
    }
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
    const qsizetype k = QByteArrayView(unread, m_used).indexOf(m_delimiter);
    if (k < 0) {
        Compact();
        return false;
    }
    line = QByteArray(unread, k);
    const quint32 taken = quint32(k + m_delimiter.size());
    m_readPos += taken;
    m_used -= taken;
    if (m_used == 0)
        m_readPos = 0;
    return true;
}

bool LineFIFO::TakeAll(QByteArray &bytes)
{
    if (m_used == 0)
        return false;
    bytes = QByteArray(m_buffer.get() + m_readPos, m_used);
    m_used = 0;
    m_readPos = 0;
    return true;
}

char *LineFIFO::Reserve(quint32 &size)
{
    Compact();
    size = m_capacity - m_used;
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
