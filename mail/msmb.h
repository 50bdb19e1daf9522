#pragma once
// TmsMailBase: the socket layer with its settings published, and the skeleton
// of a mail protocol session around the protocol's Login and Logout.
#include "agsocket.h"

class TmsMailBase : public TagSocket {
    Q_OBJECT
public:
    explicit TmsMailBase(QObject *parent = nullptr) : TagSocket(parent) {}

    using TagSocket::DefaultPort;
    using TagSocket::Server;
    using TagSocket::SetDefaultPort;
    using TagSocket::SetServer;
    using TagSocket::SetTimeOut;
    using TagSocket::TimeOut;

    using TagSocket::OnCancel;
    using TagSocket::OnClosed;
    using TagSocket::OnClosing;
    using TagSocket::OnError;
    using TagSocket::OnOpen;

    // Unless connected: Connect, then Login.
    void OpenSession();
    // If connected: Logout, then Disconnect.
    void CloseSession();

protected:
    virtual void Login() = 0;
    virtual void Logout() = 0;
};
