#include "msmb.h"

void TmsMailBase::OpenSession()
{
    if (Connected())
        return;
    Connect();
    Login();
}

void TmsMailBase::CloseSession()
{
    if (!Connected())
        return;
    Logout();
    Disconnect();
}
