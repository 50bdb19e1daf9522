#pragma once
// Which RDAP service answers for which domain names: the domain registry of
// IANA's bootstrap files ("services": [[[labels], [base URLs]], ...]).
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QUrl>
#include <optional>

class RdapBootstrap {
public:
    // IANA's file is some tens of kilobytes; anything past this is refused.
    static constexpr qsizetype MaxBytes = 1024 * 1024;

    struct Service {
        QString label; // the entry that matched, lower case ("com", "co.uk")
        QUrl base;     // ends with "/"
    };

    // nullopt with the reason in `error` when `json` is not a bootstrap file.
    static std::optional<RdapBootstrap> parse(const QByteArray &json, QString *error);

    // The service of the longest label suffix of `asciiName` (ASCII form, any
    // case, a final dot allowed); nullopt when no entry matches.
    std::optional<Service> serviceFor(QStringView asciiName) const;

private:
    // Entry -> the chosen base URL: https when the service offers it.
    QHash<QString, QUrl> m_services;
};
