#pragma once
// How the WhoIs page looks names up, as the "Setup" section keeps it: over
// WHOIS (the default, and all an older settings file knows) or over RDAP,
// and where RDAP's bootstrap file comes from.
#include "RdapLookup.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <utility>
#include <vector>

class IniDocument;

class LookUpSettings {
public:
    enum class Protocol { Whois, Rdap };

    Protocol protocol = Protocol::Whois;
    // Where RDAP's bootstrap file is fetched; IANA's unless the file names another.
    QUrl rdapBootstrap = RdapLookup::defaultBootstrapUrl();

    // The choice's names, as offered and stored: "WHOIS", "RDAP".
    static QStringList names();
    static QString name(Protocol protocol);
    // Any text that is not a name (in any case) is WHOIS.
    static Protocol fromName(const QString &name);

    static LookUpSettings read(const IniDocument &settings, const QString &section);
    // The keys to write after the others: none while the file has never had
    // the choice and it is still WHOIS. The bootstrap key is only ever read,
    // so it stays as the user wrote it.
    std::vector<std::pair<QString, QString>> toWrite(const IniDocument &stored, const QString &section) const;
};
