#pragma once
// LineFIFO: the receive buffer of the TCP line client. One block of Capacity
// bytes; receives write straight into its free tail and lines are cut in
// place, so unread bytes move to the front only when no complete line is left.
#include <QByteArray>
#include <QtGlobal>
#include <memory>

class LineFIFO {
public:
    explicit LineFIFO(quint32 capacity = 2048);

    quint32 Capacity() const { return m_capacity; }
    QByteArray Delimiter() const { return m_delimiter; }
    quint32 Used() const { return m_used; }

    void Reset();
    // A new size discards the buffered bytes.
    void SetCapacity(quint32 n);
    void SetDelimiter(const QByteArray &delimiter);

    // The next complete line without its delimiter, if there is one; with an
    // empty delimiter everything buffered.
    bool TakeLine(QByteArray &line);
    // Everything buffered; false when nothing is.
    bool TakeAll(QByteArray &bytes);
    // Free space after the unread bytes (moved to the front first); size 0 when full.
    char *Reserve(quint32 &size);
    void Commit(quint32 n);
    void Compact();

private:
    std::unique_ptr<char[]> m_buffer;
    quint32 m_capacity = 0;
    QByteArray m_delimiter;
    quint32 m_readPos = 0;
    quint32 m_used = 0;
};
