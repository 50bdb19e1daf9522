#pragma once
// A record of each kind that the registration check finds nothing wrong with,
// whatever its action, for tests that mail or check one. The name field is
// left to the test.
#include "RecordKind.h"

#include <QList>
#include <QPair>
#include <QString>

using FieldTexts = QList<QPair<QString, QString>>;

inline FieldTexts completeFields(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Domain:
        return {{"AuthScheme", "CRYPT-PW"},        {"AuthInfoEdit", "s3cret"},
                {"OOrgNameEdit", "Example Inc."},  {"OAddrEdit", "1 Main Street"},
                {"OCityEdit", "Springfield"},      {"OCountryEdit", "US"},
                {"AHandleEdit", "EX12-ORG"},       {"TNameEdit", "Tina Tech"},
                {"TMailEdit", "tina@example.net"}, {"PriNSEdit", "ns1.example.net"},
                {"PriNSIPEdit", "192.0.2.1"},      {"SecNSEdit", "ns2.example.org."},
                {"SecNSIPEdit", "198.51.100.2"}};
    case RecordKind::Host:
        return {{"HostAuthScheme", "MAIL-FROM"}, {"HostIPAddress", "203.0.113.53"},
                {"HCName", "Hal Host"},          {"HCMail", "hal@example.net"}};
    case RecordKind::Contact:
        break;
    }
    return {{"ContactAuthorizationType", "MAIL-FROM"}, {"ContactAuthenticationType", "MAIL-FROM"},
            {"ContactAuthenticationInfo", "jane@example.net"}, {"ContactNicHandle", "JD7"},
            {"ContactAddr", "2 Side Road"}, {"ContactCity", "Shelbyville"},
            {"ContactCountry", "US"}, {"ContactMail", "jane.doe+reg@example.net"}};
}
