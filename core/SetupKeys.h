#pragma once
// Every key of the settings file's [Setup] section.
// Each library reads the keys it needs from here, so a key has
// one spelling and a reader can tell an unknown (misspelt) key from a known one.
#include <QString>
#include <QStringList>

namespace SetupKeys {

inline const QString Section = QStringLiteral("Setup");

inline const QString Server = QStringLiteral("Server");
inline const QString Address = QStringLiteral("EMail Address");
inline const QString Name = QStringLiteral("Name");
inline const QString Mailto = QStringLiteral("Mailto");
inline const QString WhoisServer = QStringLiteral("WhoIs Server");
// Written only once in use.
inline const QString Security = QStringLiteral("Security");
inline const QString UserName = QStringLiteral("User Name");
inline const QString Password = QStringLiteral("Password");
inline const QString LookUpWith = QStringLiteral("Look Up With");
inline const QString CheckNetwork = QStringLiteral("Check Network");
inline const QString RdapBootstrap = QStringLiteral("RDAP Bootstrap");
inline const QString EppServer = QStringLiteral("EPP Server");
inline const QString EppClientId = QStringLiteral("EPP Client ID");
inline const QString EppPassword = QStringLiteral("EPP Password");
inline const QString EppCertificate = QStringLiteral("EPP Certificate");
inline const QString EppKey = QStringLiteral("EPP Key");
inline const QString EppCaFile = QStringLiteral("EPP CA File");
inline const QString EppHosts = QStringLiteral("EPP Hosts");

// The longest text a one-line setting keeps (a server, an address, a name).
constexpr int TextMax = 255;

inline QStringList all()
{
    return {Server, Address, Name, Mailto, WhoisServer, Security, UserName, Password,
            LookUpWith, CheckNetwork, RdapBootstrap, EppServer, EppClientId, EppPassword,
            EppCertificate, EppKey, EppCaFile, EppHosts};
}

// Keys are matched as the INI reader matches them: without regard to case.
inline bool isKnown(const QString &key)
{
    return all().contains(key.trimmed(), Qt::CaseInsensitive);
}

} // namespace SetupKeys
