#include "CaCertificates.h"

#include "CliFailure.h"

QList<QSslCertificate> caCertificatesOption(const Invocation &inv)
{
    if (!inv.values.contains(QStringLiteral("--cacert")))
        return {};
    const QString file = inv.values.value(QStringLiteral("--cacert"));
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(file);
    if (certificates.isEmpty())
        throw CliFailure{ExitStatus::Failure, QStringLiteral("%1 holds no PEM certificate.").arg(file)};
    return certificates;
}
