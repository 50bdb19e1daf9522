#pragma once
// CWinsock: each component's own load of the socket library. Until a load
// succeeds every entry of the table answers like the unloaded library does
// (failure, WSAGetLastError 10093), so code above never checks for a library.
#include "TNetComponentBase.h"
#include "WSAData.h"

#include <QString>
#include <memory>

class WinsockTable;

class CWinsock : public TNetComponentBase {
    Q_OBJECT
public:
    explicit CWinsock(QObject *parent = nullptr);
    ~CWinsock() override;

    // True while a library is held. Writing true loads it once, false unloads.
    bool WinsockLoaded() const;
    virtual void SetWinsockLoaded(bool loaded);
    QString WinsockInfo() const;
    QString WinsockStatus() const;
    // The machine's host name, or the error text when it cannot be had.
    QString LocalHost() { return GetLocalHost(); }
    virtual QString GetLocalHost();

    // The shared library the socket calls are taken from (default: the C library).
    QString LibraryName() const { return m_libraryName; }
    void SetLibraryName(const QString &name) { m_libraryName = name; }

protected:
    WinsockTable &Ws() const { return *m_table; }

private:
    bool LoadWinsock();
    void UnloadWinsock();
    void SetDescription(const char *text);

    QString m_libraryName;
    void *m_library = nullptr;
    quint16 m_loadCount = 0;
    std::unique_ptr<WinsockTable> m_table;
    WSAData m_data;
    bool m_loaded = false;
    bool m_ready = true;
};
