#pragma once
// Buffered CR LF line output to a device; a failed write throws EInOutError.
#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;
class TBackgroundWrite;
class TEventSlice;

class TLineWriter {
public:
    TLineWriter(QIODevice &out, TEventSlice &slice);
    ~TLineWriter();
    TLineWriter(const TLineWriter &) = delete;
    TLineWriter &operator=(const TLineWriter &) = delete;

    // The text as ISO-8859-1 up to its first NUL, then CR LF.
    void WriteLine(const QString &text);
    void WriteLine(const QByteArray &bytes);
    void WriteLine(const char *data, qsizetype size);
    // Room for size bytes at the end of the buffer; Commit makes them part of it.
    char *Reserve(qsizetype size);
    void Commit(qsizetype size);
    // Writes everything buffered; when it returns, the device holds it all.
    void Flush();
    TEventSlice &Slice() { return m_slice; }

private:
    // Hands the buffer to the device; a file takes it on a thread of its
    // own once a text fills more than one buffer.
    void Pass(bool moreToCome);

    QIODevice &m_out;
    TEventSlice &m_slice;
    QByteArray m_buffer;
    qsizetype m_used = 0;
    std::unique_ptr<TBackgroundWrite> m_background; // a file's writer, once a buffer is full
};
