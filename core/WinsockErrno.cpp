#include "WinsockErrno.h"

#include <cerrno>
#include <netdb.h>

namespace WinsockErrno {
namespace {

struct Pair {
    int from;
    int to;
};

// EAGAIN and EWOULDBLOCK are the same number on Linux; listing both keeps the
// table right where they differ.
constexpr Pair ErrnoTable[] = {
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},          {EPERM, 10013},
    {EFAULT, 10014},       {EINVAL, 10022},          {EMFILE, 10024},          {ENFILE, 10024},
    {EWOULDBLOCK, 10035},  {EAGAIN, 10035},          {EINPROGRESS, 10035},     {EALREADY, 10037},
    {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},     {ENETUNREACH, 10051},     {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {ECONNRESET, 10054},   {EPIPE, 10054},           {ENOBUFS, 10055},         {ENOMEM, 10055},
    {EISCONN, 10056},      {ENOTCONN, 10057},        {ESHUTDOWN, 10058},       {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061},    {ELOOP, 10062},           {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},       {EUSERS, 10068},
    {EDQUOT, 10069},       {ESTALE, 10070},          {EREMOTE, 10071},
};

constexpr Pair AddrInfoTable[] = {
    {EAI_NONAME, 11001},  {EAI_AGAIN, 11002},   {EAI_FAIL, 11003},   {EAI_NODATA, 11004},
    {EAI_FAMILY, 10047},  {EAI_SOCKTYPE, 10044}, {EAI_SERVICE, 10043}, {EAI_MEMORY, 10055},
    {EAI_ADDRFAMILY, 11004}, {EAI_BADFLAGS, 10022},
};

template <std::size_t N>
int Lookup(const Pair (&table)[N], int value, int fallback)
{
    for (const Pair &p : table) {
        if (p.from == value)
            return p.to;
    }
    return fallback;
}

} // namespace

int FromErrno(int err)
{
    return err == 0 ? 0 : Lookup(ErrnoTable, err, Unknown);
}

int FromAddrInfo(int eai, int err)
{
    if (eai == 0)
        return 0;
    if (eai == EAI_SYSTEM)
        return FromErrno(err);
    return Lookup(AddrInfoTable, eai, 11003);
}

} // namespace WinsockErrno
