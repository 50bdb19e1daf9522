#include "SockAddr.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstring>
#include <netinet/in.h>

namespace {

const sockaddr_in &V4(const sockaddr_storage &s)
{
    return reinterpret_cast<const sockaddr_in &>(s);
}

const sockaddr_in6 &V6(const sockaddr_storage &s)
{
    return reinterpret_cast<const sockaddr_in6 &>(s);
}

} // namespace

SockAddr::SockAddr(const sockaddr *address, socklen_t length)
{
    if (!address)
        return;
    const bool v4 = address->sa_family == AF_INET && length >= socklen_t(sizeof(sockaddr_in));
    const bool v6 = address->sa_family == AF_INET6 && length >= socklen_t(sizeof(sockaddr_in6));
    if (!v4 && !v6)
        return;
    m_length = v4 ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    std::memcpy(&m_storage, address, m_length);
}

std::optional<SockAddr> SockAddr::FromLiteral(const QString &text)
{
    const QByteArray latin = text.toLatin1();
    if (text.isEmpty() || latin.contains('\0') || QString::fromLatin1(latin) != text)
        return std::nullopt;
    // inet_aton stops at a blank and takes the rest as a comment: refuse that first.
    const bool numeric = std::all_of(latin.begin(), latin.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'x' || c == 'X';
    });
    sockaddr_in v4{};
    if (numeric && ::inet_aton(latin.constData(), &v4.sin_addr) != 0) {
        v4.sin_family = AF_INET;
        return SockAddr(reinterpret_cast<const sockaddr *>(&v4), sizeof v4);
    }
    sockaddr_in6 v6{};
    if (::inet_pton(AF_INET6, latin.constData(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        return SockAddr(reinterpret_cast<const sockaddr *>(&v6), sizeof v6);
    }
    return std::nullopt;
}

quint16 SockAddr::Port() const
{
    switch (Family()) {
    case AF_INET: return ntohs(V4(m_storage).sin_port);
    case AF_INET6: return ntohs(V6(m_storage).sin6_port);
    default: return 0;
    }
}

SockAddr SockAddr::WithPort(quint16 port) const
{
    SockAddr copy = *this;
    if (Family() == AF_INET)
        reinterpret_cast<sockaddr_in &>(copy.m_storage).sin_port = htons(port);
    else if (Family() == AF_INET6)
        reinterpret_cast<sockaddr_in6 &>(copy.m_storage).sin6_port = htons(port);
    return copy;
}

QString SockAddr::Text() const
{
    char text[INET6_ADDRSTRLEN] = {};
    const void *raw = Family() == AF_INET ? static_cast<const void *>(&V4(m_storage).sin_addr)
                                          : static_cast<const void *>(&V6(m_storage).sin6_addr);
    if (IsEmpty() || !::inet_ntop(Family(), raw, text, sizeof text))
        return {};
    return QString::fromLatin1(text);
}

bool SockAddr::IsLoopback() const
{
    if (Family() == AF_INET)
        return (ntohl(V4(m_storage).sin_addr.s_addr) >> 24) == 127;
    if (Family() != AF_INET6)
        return false;
    const in6_addr &a = V6(m_storage).sin6_addr;
    return IN6_IS_ADDR_LOOPBACK(&a) || (IN6_IS_ADDR_V4MAPPED(&a) && a.s6_addr[12] == 127);
}

bool SockAddr::operator==(const SockAddr &other) const
{
    if (Family() != other.Family() || Port() != other.Port())
        return false;
    if (Family() == AF_INET)
        return V4(m_storage).sin_addr.s_addr == V4(other.m_storage).sin_addr.s_addr;
    if (Family() == AF_INET6)
        return std::memcmp(&V6(m_storage).sin6_addr, &V6(other.m_storage).sin6_addr, sizeof(in6_addr)) == 0 &&
               V6(m_storage).sin6_scope_id == V6(other.m_storage).sin6_scope_id;
    return IsEmpty() && other.IsEmpty();
}
