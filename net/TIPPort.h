#pragma once
// TIPPort: the TCP line client as a form uses it. It owns the hidden object
// that socket messages are delivered to.
//
// Use: SetWinsockLoaded(true); SetEOL, SetRemoteHost, SetRemotePort;
// SetConnected(true); wait for OnConnected (or Connected()); SetDataToSend;
// lines arrive through OnDataIn; SetConnected(false) closes. Errors raise
// EIPPort ("code: text"); a failed connect arrives as OnConnected with a
// non-zero code instead.
#include "CIPPort.h"
#include "EIPPort.h"

class TIPPort : public CIPPort {
    Q_OBJECT
public:
    explicit TIPPort(QObject *parent = nullptr);
    ~TIPPort() override;

protected:
    std::exception_ptr CreateError(int code, const QString &text) override;

private:
    QObject *m_notifyWindow;
};
