#include "TTempFileStream.h"

#include "Exception.h"

#include <QDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

TTempFileStream::TTempFileStream()
{
    // mkstemp creates the file exclusively with mode 0600, so no other
    // process can slip in between choosing the name and opening it.
    // An unusable temporary directory reads as an empty path; never fall back to "/".
    const QString dir = QDir::tempPath();
    if (dir.isEmpty())
        throw EInOutError(QString::fromLocal8Bit(std::strerror(ENOENT)), ENOENT);
    QByteArray path = QFile::encodeName(dir + QLatin1String("/msXXXXXX"));
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        const int error = errno;
        throw EInOutError(QString::fromLocal8Bit(std::strerror(error)), error);
    }
    m_tempFileName = QFile::decodeName(path);
    setFileName(m_tempFileName);
    if (!open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        const QString reason = errorString();
        ::close(fd);
        ::unlink(path.constData());
        throw EInOutError(reason, static_cast<int>(error()));
    }
}

TTempFileStream::~TTempFileStream()
{
    close();
    // A failed deletion leaves a file in the temporary directory, nothing worse.
    ::unlink(QFile::encodeName(m_tempFileName).constData());
}
