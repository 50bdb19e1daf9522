#pragma once
// --cacert=FILE of the commands that may ask over RDAP: the authorities of a
// PEM file trusted besides the system's.
#include "Invocation.h"

#include <QList>
#include <QSslCertificate>

// None without the option; throws CliFailure when FILE holds no certificate.
QList<QSslCertificate> caCertificatesOption(const Invocation &inv);
