#pragma once
// The readiness events of an asynchronous select, numbered as Winsock's
// FD_READ, FD_WRITE, FD_CONNECT and FD_CLOSE: both socket layers deliver them.
enum SocketEvent : int { FdRead = 1, FdWrite = 2, FdConnect = 16, FdClose = 32 };
