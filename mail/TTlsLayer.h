#pragma once
// TLS client over an already connected non-blocking socket (OpenSSL). It never
// waits: every call reports what the socket must become ready for before the
// same call is tried again, so the caller's waits keep their time-out, cancel
// and event handling during the handshake as well as afterwards.
#include <QString>
#include <sys/types.h>

using SSL = struct ssl_st;
using SSL_CTX = struct ssl_ctx_st;

class TTlsLayer {
public:
    enum Status {
        Ok,        // done (a handshake), or bytes moved (a read or write)
        WantRead,  // try again once the socket is readable
        WantWrite, // try again once the socket is writable
        Closed,    // the peer ended the connection
        Failed,    // see ErrorText()
    };

    // peerName: the host name or dotted address the certificate must be for.
    // Certificates are checked against the system's store.
    TTlsLayer(int fd, const QString &peerName);
    ~TTlsLayer();
    TTlsLayer(const TTlsLayer &) = delete;
    TTlsLayer &operator=(const TTlsLayer &) = delete;

    Status Handshake();
    // On Ok, `done` is the number of bytes read or written (at least 1).
    Status Read(char *data, size_t size, size_t &done);
    Status Write(const char *data, size_t size, size_t &done);
    // Decrypted bytes waiting to be read; the socket shows no sign of them.
    bool Pending() const;
    // Sends the closing alert if the socket takes it at once.
    void Shutdown();

    // Why the last call failed, in words for the user.
    QString ErrorText() const { return m_error; }

private:
    Status Outcome(int result, const char *what);

    SSL_CTX *m_ctx = nullptr;
    SSL *m_ssl = nullptr;
    QString m_peer;
    QString m_error;
    bool m_handshakeDone = false;
    bool m_broken = false; // after a fatal error OpenSSL must not be called again
};
