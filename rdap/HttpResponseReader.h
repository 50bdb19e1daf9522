#pragma once
// Reads one HTTP/1.1 response as its bytes arrive, within bounds: the status
// line and headers take at most MaxHeaderBytes, the body at most the size
// given. Only a 2xx answer's body is read; for any other status the headers
// are all a look-up needs. A body must come unencoded: this program asks for
// "identity" and refuses anything else, so that what counts against the
// bound is what arrives.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <utility>

class HttpResponseReader {
public:
    static constexpr qsizetype MaxHeaderBytes = 64 * 1024;

    enum class State { Headers, Body, Complete, Failed };
    enum class Fault { None, HeadersTooLarge, NotHttp, Encoded, BodyTooLarge, CutShort, NothingSent };

    explicit HttpResponseReader(qsizetype maxBodyBytes);

    void feed(QByteArrayView bytes);
    // The peer closed the connection.
    void closed();

    State state() const { return m_state; }
    Fault fault() const { return m_fault; }
    int status() const { return m_status; }
    QByteArray reason() const { return m_reason; }
    // The first header of that name, trimmed; empty when there is none.
    QByteArray header(QByteArrayView name) const;
    QByteArray body() const { return m_body; }

private:
    enum class Framing { Length, Chunked, UntilClose };
    enum class Chunk { Size, Data, DataEnd, Trailer };

    void fail(Fault fault);
    // One line ending in LF from the input, CR dropped; false when none is whole yet.
    bool takeLine(QByteArray &line, qsizetype budget);
    bool readHeaders();
    void headersEnded();
    void readBody();
    void readChunks();
    void append(QByteArrayView bytes);

    qsizetype m_maxBody;
    State m_state = State::Headers;
    Fault m_fault = Fault::None;
    QByteArray m_in;
    qsizetype m_headerBytes = 0;
    bool m_anything = false;
    int m_status = 0;
    QByteArray m_reason;
    QList<std::pair<QByteArray, QByteArray>> m_headers;
    Framing m_framing = Framing::UntilClose;
    Chunk m_chunk = Chunk::Size;
    qint64 m_left = 0; // of the body, or of the current chunk
    QByteArray m_body;
};
