#pragma once
// A look-up page whose look-ups go over its own TCP line client.
#include "LookUpPage.h"

class TIPPort;

class PortLookUpPage : public LookUpPage {
    Q_OBJECT
protected:
    PortLookUpPage(const QString &portName, IPrompter &prompter, const LookUpOptions &options, QWidget *parent);

    TIPPort *port() const { return m_port; }
    // Resolves `host` (a name in any script) and sets the port; false when a
    // newer look-up or a stop ended `run` meanwhile. Raises EIPPort.
    bool resolve(quint64 run, const QString &host, quint16 remotePort);
    // Starts the connection attempt and its wait. Raises EIPPort.
    void connectNow();
    // Sends `bytes` on the connection that has just completed.
    void send(const QByteArray &bytes);
    void abortTransport() override;
    // The "IPPort error: " box, for receive errors and broken answers alike.
    void showPortError(int errorCode, const QString &description);
    // A close with a non-zero reason is the receive error that broke the answer.
    static QString brokenAnswer(const QString &description);

private:
    TIPPort *m_port;
};
