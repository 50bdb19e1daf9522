// The C library's calls, except that no IPv4 socket can be had: a system
// whose network is not up.
#include <cerrno>
#include <sys/socket.h>

extern "C" int socket(int, int, int)
{
    errno = EAFNOSUPPORT;
    return -1;
}
