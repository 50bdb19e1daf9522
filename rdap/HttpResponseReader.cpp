#include "HttpResponseReader.h"

namespace {

// A chunk's size line is a few hex digits and perhaps an extension.
constexpr qsizetype MaxChunkLine = 1024;

bool isSuccess(int status)
{
    return status >= 200 && status < 300;
}

} // namespace

HttpResponseReader::HttpResponseReader(qsizetype maxBodyBytes) : m_maxBody(maxBodyBytes) {}

QByteArray HttpResponseReader::header(QByteArrayView name) const
{
    for (const auto &[key, value] : m_headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

void HttpResponseReader::fail(Fault fault)
{
    m_state = State::Failed;
    m_fault = fault;
    m_in.clear();
    m_body.clear();
}

void HttpResponseReader::feed(QByteArrayView bytes)
{
    if (m_state == State::Complete || m_state == State::Failed || bytes.isEmpty())
        return;
    m_anything = true;
    m_in.append(bytes);
    if (m_state == State::Headers && !readHeaders())
        return;
    if (m_state == State::Body)
        readBody();
}

void HttpResponseReader::closed()
{
    if (m_state == State::Body && m_framing == Framing::UntilClose)
        m_state = State::Complete;
    else if (m_state == State::Headers || m_state == State::Body)
        fail(m_anything ? Fault::CutShort : Fault::NothingSent);
}

bool HttpResponseReader::takeLine(QByteArray &line, qsizetype budget)
{
    const qsizetype lf = m_in.indexOf('\n');
    if (lf < 0 || lf >= budget) {
        if (m_in.size() > budget)
            fail(m_state == State::Headers || m_chunk == Chunk::Trailer ? Fault::HeadersTooLarge : Fault::NotHttp);
        return false;
    }
    line = m_in.left(lf);
    m_in.remove(0, lf + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return true;
}

bool HttpResponseReader::readHeaders()
{
    QByteArray line;
    while (m_state == State::Headers) {
        const qsizetype before = m_in.size();
        if (!takeLine(line, MaxHeaderBytes - m_headerBytes))
            return false;
        m_headerBytes += before - m_in.size();
        if (m_status == 0) {
            // "HTTP/1.1 200 OK": a version, three digits, a reason that may be empty.
            const QList<QByteArray> parts = line.split(' ');
            bool ok = false;
            const int status = parts.size() >= 2 && parts[1].size() == 3 ? parts[1].toInt(&ok) : 0;
            if (!line.startsWith("HTTP/1.") || !ok || status < 100) {
                fail(Fault::NotHttp);
                return false;
            }
            m_status = status;
            const qsizetype space = line.indexOf(' ', line.indexOf(' ') + 1);
            m_reason = space < 0 ? QByteArray() : line.mid(space + 1).trimmed();
        } else if (line.isEmpty()) {
            headersEnded();
        } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
            m_headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
    }
    return m_state != State::Failed;
}

void HttpResponseReader::headersEnded()
{
    // An interim answer ("100 Continue") is followed by the real one.
    if (m_status < 200) {
        m_status = 0;
        m_reason.clear();
        m_headers.clear();
        return;
    }
    if (!isSuccess(m_status)) {
        m_state = State::Complete;
        m_in.clear();
        return;
    }
    const QByteArray encoding = header("Content-Encoding");
    const QByteArray transfer = header("Transfer-Encoding");
    if ((!encoding.isEmpty() && encoding.compare("identity", Qt::CaseInsensitive) != 0) ||
        (!transfer.isEmpty() && transfer.compare("chunked", Qt::CaseInsensitive) != 0))
        return fail(Fault::Encoded);
    m_state = State::Body;
    if (!transfer.isEmpty()) {
        m_framing = Framing::Chunked;
        m_chunk = Chunk::Size;
        return;
    }
    const QByteArray length = header("Content-Length");
    if (length.isEmpty()) {
        m_framing = Framing::UntilClose;
        return;
    }
    bool ok = false;
    m_left = length.toLongLong(&ok);
    if (!ok || m_left < 0 || length.startsWith('+'))
        return fail(Fault::NotHttp);
    if (m_left > m_maxBody)
        return fail(Fault::BodyTooLarge);
    m_framing = Framing::Length;
    if (m_left == 0)
        m_state = State::Complete;
}

void HttpResponseReader::append(QByteArrayView bytes)
{
    if (m_body.size() + bytes.size() > m_maxBody)
        return fail(Fault::BodyTooLarge);
    m_body.append(bytes);
}

void HttpResponseReader::readBody()
{
    switch (m_framing) {
    case Framing::UntilClose:
        append(std::exchange(m_in, {}));
        return;
    case Framing::Length: {
        const qsizetype n = qsizetype(std::min<qint64>(m_left, m_in.size()));
        append(QByteArrayView(m_in).first(n));
        m_in.clear(); // bytes after the body belong to no answer
        m_left -= n;
        if (m_state == State::Body && m_left == 0)
            m_state = State::Complete;
        return;
    }
    case Framing::Chunked:
        readChunks();
        return;
    }
}

void HttpResponseReader::readChunks()
{
    QByteArray line;
    while (m_state == State::Body) {
        switch (m_chunk) {
        case Chunk::Size: {
            if (!takeLine(line, MaxChunkLine))
                return;
            const QByteArray digits = line.left(line.indexOf(';')).trimmed();
            bool ok = false;
            m_left = digits.toLongLong(&ok, 16);
            if (!ok || m_left < 0 || digits.startsWith('+') || digits.startsWith('-'))
                return fail(Fault::NotHttp);
            if (m_left > m_maxBody - m_body.size())
                return fail(Fault::BodyTooLarge);
            m_chunk = m_left == 0 ? Chunk::Trailer : Chunk::Data;
            break;
        }
        case Chunk::Data: {
            if (m_in.isEmpty())
                return;
            const qsizetype n = qsizetype(std::min<qint64>(m_left, m_in.size()));
            append(QByteArrayView(m_in).first(n));
            m_in.remove(0, n);
            if ((m_left -= n) == 0)
                m_chunk = Chunk::DataEnd;
            break;
        }
        case Chunk::DataEnd:
            if (!takeLine(line, MaxChunkLine))
                return;
            if (!line.isEmpty())
                return fail(Fault::NotHttp);
            m_chunk = Chunk::Size;
            break;
        case Chunk::Trailer: {
            const qsizetype before = m_in.size();
            if (!takeLine(line, MaxHeaderBytes - m_headerBytes))
                return;
            m_headerBytes += before - m_in.size();
            if (line.isEmpty()) {
                m_state = State::Complete;
                m_in.clear();
            }
            break;
        }
        }
    }
}
