#pragma once
// ScriptedServer: a loopback TCP peer that plays a transcript, for tests of
// line protocols (SMTP, WHOIS, Finger). It listens on 127.0.0.1 with an
// ephemeral port, serves the first connection from its own thread and never
// asserts there: mismatches are recorded for the test to check.
//
// Transcript, one step per line ("#" lines and blank lines are skipped):
//   S: text    send text and CR LF          C: text    expect exactly this line
//   W: ms      pause                        X:         close the connection
//   R: bytes   send raw bytes, no line end added; escapes \r \n \t \\ \xHH
//   D:         take the client's lines up to a lone "." as data (see Data())
//   A:         reset the connection (RST instead of an orderly close)
// The client's lines must end in CR LF. After the last step, every further
// line from the client is a mismatch.
#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

class ScriptedServerWorker;

class ScriptedServer {
public:
    ScriptedServer();
    explicit ScriptedServer(const QString &transcript);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    // Appends steps; call before Start().
    void Load(const QString &transcript);
    void SendRaw(const QByteArray &bytes);

    // Starts listening; returns the port.
    quint16 Start();
    // Listens on another loopback address, or a given port; 0 when that fails.
    quint16 Start(const QString &address, quint16 port);
    quint16 Port() const { return m_port; }
    // "127.0.0.1:<port>", handy as a server setting.
    QString Address() const;

    // True once the script has played to its end or was cut short.
    bool IsFinished() const;
    // Runs the test thread's events until finished or ms have passed.
    bool WaitFinished(int ms = 5000) const;
    // True once the client has closed its side.
    bool ClientClosed() const;

    QStringList Mismatches() const;
    // Every line received from the client, without its line end.
    QStringList Received() const;
    // The bytes of the lines taken by "D:", as they came over the wire.
    QByteArray Data() const;
    // Both directions as a transcript, for failure messages.
    QString Log() const;

    struct Step {
        enum Kind { Send, Expect, Wait, Close, Data, Reset } kind;
        QByteArray bytes;
        int ms = 0;
    };

    // Shared with the worker thread; guarded by mutex.
    struct State {
        mutable QMutex mutex;
        QStringList mismatches;
        QStringList received;
        QByteArray data;
        QStringList log;
        bool finished = false;
        bool clientClosed = false;
    };

private:
    QList<Step> m_steps;
    State m_state;
    QThread m_thread;
    ScriptedServerWorker *m_worker = nullptr;
    quint16 m_port = 0;
};
