#include "ScriptedServer.h"

#include <QHostAddress>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <sys/socket.h>

namespace {

QByteArray Unescape(const QString &text)
{
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c != '\\' || i + 1 == in.size()) {
            out.append(c);
            continue;
        }
        const char e = in.at(++i);
        switch (e) {
        case 'r': out.append('\r'); break;
        case 'n': out.append('\n'); break;
        case 't': out.append('\t'); break;
        case 'x':
            out.append(static_cast<char>(in.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
            break;
        default: out.append(e); break;
        }
    }
    return out;
}

QString Printable(const QByteArray &bytes)
{
    QString s = QString::fromLatin1(bytes);
    if (s.size() > 120)
        s = s.left(120) + QStringLiteral("...(%1 bytes)").arg(bytes.size());
    return s;
}

} // namespace

// Lives in the server thread; touches the shared state only under its mutex.
class ScriptedServerWorker : public QObject {
public:
    ScriptedServerWorker(QList<ScriptedServer::Step> steps, ScriptedServer::State &state)
        : m_steps(std::move(steps)), m_state(state)
    {
    }

    quint16 Listen(const QHostAddress &address, quint16 port)
    {
        m_server = new QTcpServer(this);
        QObject::connect(m_server, &QTcpServer::newConnection, this, [this] { Accept(); });
        if (!m_server->listen(address, port))
            Mismatch(QStringLiteral("cannot listen: ") + m_server->errorString());
        return m_server->serverPort();
    }

private:
    void Accept()
    {
        while (QTcpSocket *s = m_server->nextPendingConnection()) {
            if (m_socket) {
                Mismatch(QStringLiteral("unexpected further connection"));
                s->abort();
                s->deleteLater();
                continue;
            }
            m_socket = s;
            QObject::connect(s, &QTcpSocket::readyRead, this, [this] { Run(); });
            QObject::connect(s, &QTcpSocket::disconnected, this, [this] { Disconnected(); });
            Run();
        }
    }

    void Mismatch(const QString &text)
    {
        QMutexLocker lock(&m_state.mutex);
        m_state.mismatches << text;
        m_state.log << QStringLiteral("!! ") + text;
    }

    void Log(const QString &text)
    {
        QMutexLocker lock(&m_state.mutex);
        m_state.log << text;
    }

    void Finish()
    {
        QMutexLocker lock(&m_state.mutex);
        m_state.finished = true;
    }

    // Takes one complete line from the client, recording it; false when none is there yet.
    bool TakeLine(QByteArray &raw, QByteArray &line)
    {
        if (!m_socket || !m_socket->canReadLine())
            return false;
        raw = m_socket->readLine();
        line = raw;
        if (line.endsWith("\r\n"))
            line.chop(2);
        else {
            line.chop(1);
            Mismatch(QStringLiteral("line not ended by CR LF: ") + Printable(line));
        }
        QMutexLocker lock(&m_state.mutex);
        m_state.received << QString::fromLatin1(line);
        m_state.log << QStringLiteral("C: ") + Printable(line);
        return true;
    }

    void Run()
    {
        if (m_waiting || !m_socket)
            return;
        while (m_next < m_steps.size()) {
            const ScriptedServer::Step &step = m_steps.at(m_next);
            QByteArray raw;
            QByteArray line;
            switch (step.kind) {
            case ScriptedServer::Step::Send:
                m_socket->write(step.bytes);
                Log(QStringLiteral("S: ") + Printable(step.bytes).trimmed());
                break;
            case ScriptedServer::Step::Wait:
                m_waiting = true;
                ++m_next;
                QTimer::singleShot(step.ms, this, [this] {
                    m_waiting = false;
                    Run();
                });
                return;
            case ScriptedServer::Step::Close:
                Log(QStringLiteral("X:"));
                m_socket->disconnectFromHost();
                m_next = m_steps.size();
                Finish();
                return;
            case ScriptedServer::Step::Reset: {
                Log(QStringLiteral("A:"));
                // A zero linger time makes the close a reset.
                const struct linger now{1, 0};
                ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
                // The abort reports the close at once: the script has ended by then.
                m_next = m_steps.size();
                Finish();
                m_socket->abort();
                return;
            }
            case ScriptedServer::Step::Expect:
                if (!TakeLine(raw, line))
                    return;
                if (line != step.bytes) {
                    Mismatch(QStringLiteral("expected \"%1\", got \"%2\"").arg(Printable(step.bytes), Printable(line)));
                    m_next = m_steps.size();
                    m_socket->disconnectFromHost();
                    Finish();
                    return;
                }
                break;
            case ScriptedServer::Step::Data:
                for (;;) {
                    if (!TakeLine(raw, line))
                        return;
                    if (line == ".")
                        break;
                    QMutexLocker lock(&m_state.mutex);
                    m_state.data += raw;
                }
                break;
            }
            ++m_next;
        }
        Finish();
        QByteArray raw;
        QByteArray line;
        while (TakeLine(raw, line))
            Mismatch(QStringLiteral("line after the end of the script: ") + Printable(line));
    }

    void Disconnected()
    {
        {
            QMutexLocker lock(&m_state.mutex);
            m_state.clientClosed = true;
            m_state.log << QStringLiteral("-- client closed");
        }
        Run(); // lines that came just before the close
        for (; m_next < m_steps.size(); ++m_next) {
            const auto kind = m_steps.at(m_next).kind;
            if (kind == ScriptedServer::Step::Expect || kind == ScriptedServer::Step::Data) {
                Mismatch(QStringLiteral("client closed while a line was expected: ") + Printable(m_steps.at(m_next).bytes));
                break;
            }
        }
        m_next = m_steps.size();
        Finish();
    }

    QList<ScriptedServer::Step> m_steps;
    ScriptedServer::State &m_state;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;
    qsizetype m_next = 0;
    bool m_waiting = false;
};

ScriptedServer::ScriptedServer() = default;

ScriptedServer::ScriptedServer(const QString &transcript)
{
    Load(transcript);
}

ScriptedServer::~ScriptedServer()
{
    if (m_worker) {
        QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
        m_thread.quit();
        m_thread.wait();
    }
}

void ScriptedServer::Load(const QString &transcript)
{
    const QStringList lines = transcript.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString tag = line.left(2);
        // "S: text": the text starts after the colon and one blank.
        const QString arg = line.mid(line.size() > 2 && line.at(2) == QLatin1Char(' ') ? 3 : 2);
        Step step{Step::Send, {}, 0};
        if (tag == QLatin1String("S:")) {
            step.bytes = arg.toLatin1() + "\r\n";
        } else if (tag == QLatin1String("C:")) {
            step.kind = Step::Expect;
            step.bytes = arg.toLatin1();
        } else if (tag == QLatin1String("W:")) {
            step.kind = Step::Wait;
            step.ms = arg.trimmed().toInt();
        } else if (tag == QLatin1String("X:")) {
            step.kind = Step::Close;
        } else if (tag == QLatin1String("R:")) {
            step.bytes = Unescape(arg);
        } else if (tag == QLatin1String("D:")) {
            step.kind = Step::Data;
        } else if (tag == QLatin1String("A:")) {
            step.kind = Step::Reset;
        } else {
            qFatal("ScriptedServer: bad transcript line \"%s\"", qPrintable(line));
        }
        m_steps << step;
    }
}

void ScriptedServer::SendRaw(const QByteArray &bytes)
{
    m_steps << Step{Step::Send, bytes, 0};
}

quint16 ScriptedServer::Start()
{
    return Start(QStringLiteral("127.0.0.1"), 0);
}

quint16 ScriptedServer::Start(const QString &address, quint16 port)
{
    Q_ASSERT(!m_worker);
    m_worker = new ScriptedServerWorker(m_steps, m_state);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    const QHostAddress host(address);
    QMetaObject::invokeMethod(
        m_worker, [this, host, port] { m_port = m_worker->Listen(host, port); }, Qt::BlockingQueuedConnection);
    return m_port;
}

QString ScriptedServer::Address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

bool ScriptedServer::IsFinished() const
{
    QMutexLocker lock(&m_state.mutex);
    return m_state.finished;
}

bool ScriptedServer::WaitFinished(int ms) const
{
    return QTest::qWaitFor([this] { return IsFinished(); }, ms);
}

bool ScriptedServer::ClientClosed() const
{
    QMutexLocker lock(&m_state.mutex);
    return m_state.clientClosed;
}

QStringList ScriptedServer::Mismatches() const
{
    QMutexLocker lock(&m_state.mutex);
    return m_state.mismatches;
}

QStringList ScriptedServer::Received() const
{
    QMutexLocker lock(&m_state.mutex);
    return m_state.received;
}

QByteArray ScriptedServer::Data() const
{
    QMutexLocker lock(&m_state.mutex);
    return m_state.data;
}

QString ScriptedServer::Log() const
{
    QMutexLocker lock(&m_state.mutex);
    return m_state.log.join(QLatin1Char('\n'));
}
