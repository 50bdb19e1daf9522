#pragma once
// The start-up record of the 1.1 interface; the loader writes its own failure
// texts into szDescription.
#include <QtGlobal>

struct WSAData {
    quint16 wVersion = 0;
    quint16 wHighVersion = 0;
    char szDescription[257] = {};
    char szSystemStatus[129] = {};
    quint16 iMaxSockets = 0;
    quint16 iMaxUdpDg = 0;
    char *lpVendorInfo = nullptr;
};
