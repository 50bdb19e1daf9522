#include "RdapServer.h"

#include "PythonPeer.h"

#include <QTest>

RdapServer::RdapServer(QString root) : m_root(std::move(root)) {}

RdapServer::~RdapServer()
{
    m_process.kill();
    m_process.waitForFinished();
}

bool RdapServer::makeCertificates()
{
    const QString ec = QStringLiteral("ec_paramgen_curve:prime256v1");
    const auto file = [this](const char *name) { return m_folder.filePath(QLatin1String(name)); };
    const QList<QStringList> steps = {
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-days", "2", "-subj", "/CN=Zandolet Test Authority",
         "-keyout", file("ca.key"), "-out", file("ca.pem")},
        {"req", "-x509", "-CA", file("ca.pem"), "-CAkey", file("ca.key"), "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-days",
         "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-addext", "basicConstraints=CA:FALSE",
         "-keyout", file("server.key"), "-out", file("server.pem")},
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-days", "2", "-subj", "/CN=Zandolet Other Authority",
         "-keyout", file("other.key"), "-out", file("other.pem")}};
    for (const QStringList &args : steps) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), args);
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
            m_error = QStringLiteral("openssl: ") + QString::fromLocal8Bit(openssl.readAllStandardError());
            return false;
        }
    }
    m_authority = QSslCertificate::fromPath(file("ca.pem"));
    return m_authority.size() == 1;
}

bool RdapServer::Start(int timeoutMs)
{
    if (!m_folder.isValid() || !makeCertificates())
        return false;
    const QStringList args{QStringLiteral(RDAP_SERVER_SCRIPT), m_folder.filePath("server.pem"), m_folder.filePath("server.key"),
                           m_root};
    m_port = startPythonPeer(m_process, args, timeoutMs, m_error);
    return m_port != 0;
}

QUrl RdapServer::Url(const QString &path, quint16 port) const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(port ? port : m_port).arg(path));
}

QStringList RdapServer::Requests()
{
    return QString::fromUtf8(m_process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
