// The registration check over a map of fields: a complete record of each kind,
// changed by each row, and the problems found in it.
#include "CompleteRecords.h"
#include "MapFields.h"
#include "RegistrationCheck.h"

#include <QtTest>

namespace {

const char *const kNames[] = {"example.com", "ns1.example.com", "Doe, Jane"};

QString labels(std::initializer_list<int> sizes)
{
    QStringList out;
    for (int n : sizes)
        out << QString(n, QLatin1Char('a'));
    return out.join(QLatin1Char('.'));
}

// What a problem quotes of a value longer than 40 characters.
QString cut(const QString &value)
{
    return value.left(37) + QStringLiteral("...");
}

} // namespace

class TestRegistrationCheck : public QObject {
    Q_OBJECT
private slots:
    // `edits`: "field=value" sets a text. `expected`: "field: text", in order.
    void problems_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QStringList>("expected");
        const int D = 0, H = 1, C = 2;
        for (int kind : {D, H, C})
            for (const char *action : {"N", "M", "D"})
                QTest::addRow("complete %d %s", kind, action) << kind << action << QStringList() << QStringList();

        const auto domainName = [](const char *tag, const QString &name, const QString &problem) {
            QTest::newRow(tag) << 0 << "N" << QStringList{"DomainNameEdit=" + name}
                               << (problem.isEmpty() ? QStringList()
                                                     : QStringList{"DomainNameEdit: Domain name " + problem});
        };
        domainName("letters digits hyphens", "a-1.ex-2.com", "");
        domainName("label of 63", labels({63, 3}), "");
        domainName("label of 64", labels({64, 3}), cut(labels({64, 3})) + " has a label longer than 63 characters");
        domainName("name of 253", labels({63, 63, 63, 61}), "");
        domainName("name of 254", labels({63, 63, 63, 62}), cut(labels({63, 63, 63, 62})) + " is longer than 253 characters");
        domainName("leading hyphen", "-ab.com", "-ab.com has a label that begins or ends with a hyphen");
        domainName("trailing hyphen", "ab-.com", "ab-.com has a label that begins or ends with a hyphen");
        domainName("empty label", "a..com", "a..com has an empty label");
        domainName("underscore", "ex_ample.com", "ex_ample.com has the character \"_\"");
        domainName("one label", "localhost", "localhost needs at least two labels");
        domainName("trailing dot", "example.com.", "example.com. ends in a dot");
        QTest::newRow("host name with two trailing dots")
            << D << "N" << QStringList{"PriNSEdit=ns1.example.net.."}
            << QStringList{"PriNSEdit: Name server 1 name ns1.example.net.. has an empty label"};
        QTest::newRow("host name with a blank") << H << "N" << QStringList{"HostName=ns1.example.com "}
                                                << QStringList{"HostName: Host name ns1.example.com  has the character \" \""};

        const auto address = [](const char *tag, const QString &ip, const QString &problem) {
            QTest::newRow(tag) << 0 << "M" << QStringList{"SecNSIPEdit=" + ip}
                               << (problem.isEmpty() ? QStringList()
                                                     : QStringList{"SecNSIPEdit: Name server 2 address " + ip + " " + problem});
        };
        address("highest numbers", "223.255.255.255", "");
        address("above 255", "256.1.1.1", "has a number above 255");
        address("leading zero", "01.2.3.4", "has a number with a leading zero");
        address("three numbers", "1.2.3", "is not four numbers separated by dots");
        address("five numbers", "1.2.3.4.5", "is not four numbers separated by dots");
        address("letter", "1.2.3.a", "is not four numbers separated by dots");
        address("unspecified", "0.0.0.0", "is an unspecified address");
        address("this network", "0.1.2.3", "is a reserved address");
        address("loopback", "127.0.0.1", "is a loopback address");
        address("private 10", "10.1.2.3", "is a private address");
        address("private 172.16", "172.16.0.1", "is a private address");
        address("below 172.16", "172.15.255.255", "");
        address("above 172.31", "172.32.0.0", "");
        address("private 192.168", "192.168.255.255", "is a private address");
        address("link-local", "169.254.1.1", "is a link-local address");
        address("multicast", "224.0.0.1", "is a multicast address");
        address("broadcast", "255.255.255.255", "is a reserved address");
        QTest::newRow("host address") << H << "M" << QStringList{"HostIPAddress=192.168.0.9"}
                                       << QStringList{"HostIPAddress: Host address 192.168.0.9 is a private address"};

        const auto mailbox = [](const char *tag, const QString &mail, const QString &problem) {
            QTest::newRow(tag) << 0 << "N" << QStringList{"TMailEdit=" + mail}
                               << (problem.isEmpty() ? QStringList()
                                                     : QStringList{"TMailEdit: Technical contact e-mail " + problem});
        };
        const QString local64(64, QLatin1Char('l'));
        mailbox("every atext character", "a!#$%&'*+-/=?^_`{|}~z@example.net", "");
        mailbox("quoted local part", "\"odd.\\\"q\"@example.net", "");
        mailbox("address literal", "tina@[192.0.2.7]", "");
        mailbox("local part of 64", local64 + "@example.net", "");
        mailbox("local part of 65", local64 + "l@example.net", cut(local64) + " has more than 64 characters before the @");
        mailbox("mailbox of 254", local64 + "@" + labels({63, 63, 61}), "");
        mailbox("mailbox of 255", local64 + "@" + labels({63, 63, 62}), cut(local64) + " is longer than 254 characters");
        mailbox("display name", "Tina <tina@example.net>",
                "Tina <tina@example.net> has a display name or angle brackets; give the mailbox alone");
        mailbox("space", "tina @example.net", "tina @example.net contains a space");
        mailbox("no @", "tina.example.net", "tina.example.net has no @");
        mailbox("nothing before @", "@example.net", "@example.net has nothing before the @");
        mailbox("nothing after @", "tina@", "tina@ has nothing after the @");
        mailbox("leading dot", ".tina@example.net",
                ".tina@example.net has a dot at the start or end of the local part or two dots in a row");
        mailbox("parenthesis", "ti(na)@example.net", "ti(na)@example.net has the character \"(\" before the @");
        mailbox("unclosed quote", "\"tina@example.net", "\"tina@example.net has a quoted local part with a stray quote or backslash");
        mailbox("one-label domain", "tina@example", "tina@example has a domain part that needs at least two labels");
        mailbox("bad literal", "tina@[300.1.1.1]", "tina@[300.1.1.1] has an address literal that is not a dotted IPv4 address");
        QTest::newRow("billing mailbox checked though not required")
            << D << "N" << QStringList{"BMailEdit=bill"} << QStringList{"BMailEdit: Billing contact e-mail bill has no @"};

        QTest::newRow("new domain: owner, contacts, two servers")
            << D << "N"
            << QStringList{"OOrgNameEdit=", "OAddrEdit=  ", "AHandleEdit=", "TMailEdit=", "SecNSEdit=", "SecNSIPEdit=",
                           "ThirdNSEdit=ns3.example.net"}
            << QStringList{"OOrgNameEdit: Organization name is empty",
                           "OAddrEdit: Organization street address is empty",
                           "AHandleEdit: Administrative contact needs a NIC handle, or a name and an e-mail address",
                           "TMailEdit: Technical contact e-mail is empty; without a NIC handle it is needed",
                           "SecNSEdit: Name server 2 name is empty", "SecNSIPEdit: Name server 2 address is empty",
                           "ThirdNSIPEdit: Name server 3 address is empty"};
        QTest::newRow("a handle is enough") << D << "N" << QStringList{"THandleEdit=TT1", "TNameEdit=", "TMailEdit="}
                                            << QStringList();
        QTest::newRow("modification needs no owner") << D << "M" << QStringList{"OOrgNameEdit=", "PriNSEdit=", "PriNSIPEdit="}
                                                     << QStringList();
        QTest::newRow("CRYPT-PW needs its password") << D << "M" << QStringList{"AuthInfoEdit="}
                                                     << QStringList{"AuthInfoEdit: Authorization info is empty; CRYPT-PW needs a password"};
        QTest::newRow("a new domain needs no password") << D << "N" << QStringList{"AuthInfoEdit="} << QStringList();
        QTest::newRow("MAIL-FROM needs none") << D << "D" << QStringList{"AuthScheme=MAIL-FROM", "AuthInfoEdit="}
                                              << QStringList();
        QTest::newRow("scheme in lower case") << C << "M" << QStringList{"ContactAuthorizationType=crypt-pw"}
                                              << QStringList{"ContactAuthorizationInfo: Authorization info is empty; "
                                                             "CRYPT-PW needs a password"};
        QTest::newRow("no such scheme") << H << "N" << QStringList{"HostAuthScheme=CRYPTPW"}
                                        << QStringList{"HostAuthScheme: Authorization scheme \"CRYPTPW\" is not one of: "
                                                       "MAIL-FROM, CRYPT-PW, PGP"};
        QTest::newRow("no such notice") << C << "D" << QStringList{"ContactNotifyUse=AFTER USE"}
                                        << QStringList{"ContactNotifyUse: Notify use \"AFTER USE\" is not one of: "
                                                       "AFTER-USE, BEFORE-USE, NOT-CARE"};
        QTest::newRow("stored country code over the limit") << H << "N" << QStringList{"HCCountry=Deutschland"}
            << QStringList{"HCCountry: Country code \"Deutschland\" is not a two-letter code"};
        QTest::newRow("no scheme") << C << "D" << QStringList{"ContactAuthorizationType="}
                                   << QStringList{"ContactAuthorizationType: Authorization scheme is empty"};
        QTest::newRow("new host: address and contact")
            << H << "N" << QStringList{"HostIPAddress=", "HCName="}
            << QStringList{"HostIPAddress: Host address is empty",
                           "HCNicHandle: Host contact needs a NIC handle, or a name and an e-mail address"};
        QTest::newRow("deleted host needs no address") << H << "D" << QStringList{"HostIPAddress=", "HCName="}
                                                       << QStringList();
        QTest::newRow("new contact: address and mailbox")
            << C << "N" << QStringList{"ContactCity=", "ContactMail=", "ContactNicHandle="}
            << QStringList{"ContactCity: City is empty", "ContactMail: E-mail is empty"};
        QTest::newRow("changed contact needs its handle") << C << "M" << QStringList{"ContactNicHandle=", "ContactMail="}
                                                          << QStringList{"ContactNicHandle: NIC handle is empty"};
        QTest::newRow("new contact's authentication")
            << C << "N" << QStringList{"ContactAuthenticationType=PGP", "ContactAuthenticationInfo="}
            << QStringList{"ContactAuthenticationInfo: Authentication info is empty; PGP needs a key ID"};
        QTest::newRow("authentication mailbox")
            << C << "M" << QStringList{"ContactAuthenticationInfo=jane at example.net"}
            << QStringList{"ContactAuthenticationInfo: Authentication info jane at example.net contains a space"};
        QTest::newRow("no action") << D << "" << QStringList{"OOrgNameEdit="}
                                   << QStringList{"NewDomainRadio: No action is chosen: New, Modify or Delete"};
    }
    void problems()
    {
        QFETCH(int, kind);
        QFETCH(QString, action);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, expected);
        const auto k = RecordKind(kind);
        MapFields fields;
        for (const auto &[field, value] : completeFields(k))
            fields.texts[field] = value;
        fields.texts[kindInfo(k).nameField] = kNames[kind];
        const KindInfo &info = kindInfo(k);
        if (!action.isEmpty())
            fields.checked << (action == "N" ? info.newRadio : action == "M" ? info.modifyRadio : info.deleteRadio);
        for (const QString &e : edits) {
            const qsizetype at = e.indexOf('=');
            fields.texts[e.left(at)] = e.mid(at + 1);
        }
        const MapFields before = fields;

        QStringList found;
        for (const RegistrationProblem &p : checkRegistration(fields, k))
            found << p.field + ": " + p.text;
        QCOMPARE(found, expected);
        QCOMPARE(fields.texts, before.texts);
    }

    void summaryAndQuestion()
    {
        RegistrationProblems problems;
        QCOMPARE(problemSummary(problems), QString());
        for (int i = 1; i <= 12; ++i)
            problems << RegistrationProblem{"F", QString("P%1").arg(i)};
        QCOMPARE(problemSummary(problems.mid(0, 1)), QStringLiteral("1 problem: P1"));
        QCOMPARE(problemSummary(problems.mid(1, 2)), QStringLiteral("2 problems: P2"));
        // What the network found is the news when its check ends: its first error leads.
        RegistrationProblems joined = problems.mid(0, 2);
        joined << RegistrationProblem{"F", "N1", true, true} << RegistrationProblem{"F", "N2", true};
        QCOMPARE(problemSummary(joined), QStringLiteral("3 problems and 1 warning (2 on the network): N2"));
        joined.removeLast();
        QCOMPARE(problemSummary(joined), QStringLiteral("2 problems and 1 warning (1 on the network): Warning: N1"));
        QCOMPARE(mailAnywayQuestion(problems.mid(0, 10)),
                 "The registry may refuse this registration. It has 10 problems:\n\nP1\nP2\nP3\nP4\nP5\nP6\nP7\nP8\nP9\n"
                 "P10\n\nMail it anyway?");
        QCOMPARE(mailAnywayQuestion(problems),
                 "The registry may refuse this registration. It has 12 problems:\n\nP1\nP2\nP3\nP4\nP5\nP6\nP7\nP8\nP9\n"
                 "P10\nand 2 more\n\nMail it anyway?");
        joined.back().unchecked = true;
        QCOMPARE(mailAnywayQuestion(joined), "The registry may refuse this registration. It has 2 problems:\n\nP1\nP2\n\n"
                                             "Not checked, for want of an answer:\n\nN1\n\nMail it anyway?");
    }
};

QTEST_MAIN(TestRegistrationCheck)
#include "tst_registrationcheck.moc"
