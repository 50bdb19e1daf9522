#include "PrivateKeyFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

QString PrivateKeyFile::problem(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return QStringLiteral("The key file cannot be read: %1.").arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("The key is not a regular file.");
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        return QStringLiteral("Others may read this key file (mode %1); make it yours alone: chmod 600 %2")
            .arg(QString::number(st.st_mode & 0777, 8), path);
    if (::access(name.constData(), R_OK) != 0)
        return QStringLiteral("The key file cannot be read: %1.").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}
