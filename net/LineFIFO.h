#pragma once
// LineFIFO: the receive buffer of the TCP line client. Receives write straight
// into its free tail and lines are cut in place, so unread bytes move to the
// front only when no complete line is left. Lines and pieces come out exactly
// as from a block of Capacity bytes (a line whose delimiter does not end within
// Capacity bytes of its start arrives as Capacity-byte pieces), but the block
// is at least 64 KB so that one receive can take that much.
#include <QByteArray>
#include <QtGlobal>
#include <memory>

class LineFIFO {
public:
    explicit LineFIFO(quint32 capacity = 2048);

    quint32 Capacity() const { return m_capacity; }
    QByteArray Delimiter() const { return m_delimiter; }

    void Reset();
    // A new size discards the buffered bytes.
    void SetCapacity(quint32 n);
    void SetDelimiter(const QByteArray &delimiter);

    // The next complete line without its delimiter, if there is one; with an
    // empty delimiter everything buffered.
    bool TakeLine(QByteArray &line);
    // The buffered bytes, at most Capacity of them; false when there are none.
    bool TakeAll(QByteArray &bytes);
    // Free space after the unread bytes (moved to the front first); size 0
    // when Capacity bytes wait without a complete line.
    char *Reserve(quint32 &size);
    void Commit(quint32 n);
    void Compact();

private:
    // Offset of the first whole delimiter in bytes, -1 when there is none.
    qsizetype Find(const char *bytes, quint32 size) const;
    void Consume(quint32 n);

    std::unique_ptr<char[]> m_buffer;
    quint32 m_capacity = 0;
    quint32 m_size = 0;
    QByteArray m_delimiter;
    quint32 m_readPos = 0;
    quint32 m_used = 0;
};
