#include "CWinsock.h"

#include "WinsockTable.h"

#include <cstring>
#include <dlfcn.h>

namespace {

constexpr int WsaEinval = 10022;
constexpr int WsaSysNotReady = 10091;
constexpr int WsaVerNotSupported = 10092;

void SetText(char *to, std::size_t size, const char *text)
{
    std::strncpy(to, text, size - 1);
    to[size - 1] = 0;
}

} // namespace

CWinsock::CWinsock(QObject *parent)
    : TNetComponentBase(parent), m_libraryName(QStringLiteral("libc.so.6")), m_table(std::make_unique<WinsockTable>())
{
    SetText(m_data.szSystemStatus, sizeof m_data.szSystemStatus, "Down");
}

CWinsock::~CWinsock()
{
    if (m_loaded)
        UnloadWinsock();
}

bool CWinsock::WinsockLoaded() const
{
    return m_library != nullptr;
}

void CWinsock::SetWinsockLoaded(bool loaded)
{
    // A request arriving while a load or unload runs (from events let through
    // by a blocking call) is ignored rather than nested.
    if (!m_ready)
        return;
    if (loaded && !m_loaded) {
        m_loaded = LoadWinsock();
    } else if (!loaded && m_loaded) {
        UnloadWinsock();
        m_loaded = false;
    }
}

QString CWinsock::WinsockInfo() const
{
    return QString::fromLatin1(m_data.szDescription);
}

QString CWinsock::WinsockStatus() const
{
    return QString::fromLatin1(m_data.szSystemStatus);
}

QString CWinsock::GetLocalHost()
{
    char name[100] = {};
    if (m_table->GetHostName(name, sizeof name - 1) != 0)
        return ErrorText(m_table->WSAGetLastError());
    return QString::fromLatin1(name);
}

void CWinsock::SetDescription(const char *text)
{
    SetText(m_data.szDescription, sizeof m_data.szDescription, text);
}

bool CWinsock::LoadWinsock()
{
    m_ready = false;
    ++m_loadCount;
    if (m_loadCount != 1) {
        m_ready = true;
        return true;
    }
    // A failed load is undone whole, so WinsockLoaded reads false and the
    // next request tries again.
    const auto fail = [this](const char *text) {
        m_table->Unresolve();
        m_library = nullptr;
        m_loadCount = 0;
        SetText(m_data.szSystemStatus, sizeof m_data.szSystemStatus, "Down");
        m_data.iMaxSockets = 0;
        m_data.iMaxUdpDg = 0;
        SetDescription(text);
        m_ready = true;
        return false;
    };

    // The handle is never closed: a cancelled look-up may still be running
    // inside the library on its helper thread.
    m_library = dlopen(m_libraryName.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library)
        return fail("Could not load Winsock DLL.");
    if (!m_table->Resolve(m_library, m_libraryName)) {
        fail("Failure to get Winsock functions.");
        SetError(0, QStringLiteral("Failure to get Winsock functions."));
        return false;
    }
    const int result = m_table->WSAStartup(0x0101, m_data);
    if (result == WsaEinval || result == WsaVerNotSupported)
        return fail("Version not supported.");
    if (result == WsaSysNotReady)
        return fail("Network subsystem not ready.");
    if ((m_data.wVersion & 0xff) != 1 || (m_data.wVersion >> 8) != 1) {
        m_table->WSACleanup();
        return fail("Incompatible Winsock version.");
    }
    m_ready = true;
    return true;
}

void CWinsock::UnloadWinsock()
{
    m_ready = false;
    if (m_loadCount != 0 && m_library) {
        --m_loadCount;
        m_table->WSACancelBlockingCall();
        m_table->WSACleanup();
        SetDescription("");
        SetText(m_data.szSystemStatus, sizeof m_data.szSystemStatus, "Down");
        m_data.iMaxSockets = 0;
        m_data.iMaxUdpDg = 0;
        if (m_loadCount == 0) {
            m_table->Unresolve();
            m_library = nullptr;
        }
    }
    m_ready = true;
}
