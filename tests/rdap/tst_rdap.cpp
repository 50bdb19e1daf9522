// RDAP look-ups: the bootstrap file and its kept copy, answers as lines, and
// whole look-ups against a real HTTPS server (Python's http.server, see
// tests/support/RdapServer); what one fetch reads beside what curl reads.
#include "HttpsFetch.h"
#include "RdapAnswerFormatter.h"
#include "RdapBootstrap.h"
#include "RdapBootstrapCache.h"
#include "RdapLookup.h"
#include "RdapServer.h"
#include "TestFiles.h"

#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <sys/stat.h>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString kData = QStringLiteral(ZANDOLET_TEST_DATA "/rdap");

QStringList prefixed(const QString &prefix, const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        out << prefix + line;
    return out;
}

// A loopback port nothing listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// An outcome as a row gives it: its kind, then the registrar and why the registrar's record is missing.
QString outcomeText(const LookUpOutcome &o)
{
    static const char *const kinds[] = {"Found", "NotFound", "Answered", "Refused", "TransportFailure", "CutShort"};
    QString text = QLatin1String(kinds[int(o.kind)]);
    if (!o.registrar.isEmpty())
        text += " (" + o.registrar + ")";
    if (!o.relatedFailure.isEmpty())
        text += ", registrar's record: " + o.relatedFailure;
    return text;
}

// What a look-up reported: "S: " status, "A: " answer and "E: " error lines, then "done" and its outcome.
struct Transcript {
    explicit Transcript(RdapLookup &lookup)
    {
        QObject::connect(&lookup, &RdapLookup::statusLine, &context, [this](const QString &l) { lines << "S: " + l; });
        QObject::connect(&lookup, &RdapLookup::answerLines, &context, [this](const QStringList &l) { lines << prefixed("A: ", l); });
        QObject::connect(&lookup, &RdapLookup::errorLine, &context, [this](const QString &l) { lines << "E: " + l; });
        QObject::connect(&lookup, &RdapLookup::done, &context, [this](const LookUpOutcome &o) {
            lines << "done";
            outcome = outcomeText(o);
        });
    }
    bool waitFor(const QString &line, int ms = 20000)
    {
        return QTest::qWaitFor([&] { return lines.contains(line); }, ms);
    }
    QObject context;
    QStringList lines;
    QString outcome;
};

} // namespace

class TestRdap : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void serviceChoice_data();
    void serviceChoice();
    void refusedBootstrap_data();
    void refusedBootstrap();
    void answers_data();
    void answers();
    void lookup_data();
    void lookup();
    void chunkedBootstrap();
    void framings_data();
    void framings();
    void systemTrust_data();
    void systemTrust();
    void lookUpLimit();
    void keptBootstrap_data();
    void keptBootstrap();
    void trustedOwner_data();
    void trustedOwner();
    void untrustedCopy_data();
    void untrustedCopy();
    void timeouts_data();
    void timeouts();
    void endedEarly_data();
    void endedEarly();

private:
    QUrl url(const QString &path, quint16 port = 0) const { return m_server.Url(path, port); }
    RdapLookup::Options options(const QUrl &bootstrap = {}) const
    {
        RdapLookup::Options o;
        o.bootstrapUrl = bootstrap.isEmpty() ? url("/dns.json") : bootstrap;
        o.cacheFolder = m_cache->path();
        o.extraCaCertificates = m_server.Authority();
        return o;
    }
    // The requests the server saw since the last call: "GET <path> <Accept>".
    QStringList requests() { return m_server.Requests(); }
    // The lines of a whole look-up of example.com, both records.
    QStringList fullAnswer(const QString &tld) const
    {
        return QStringList{"S: Looking up the RDAP service for ." + tld + "...", "S: Asking 127.0.0.1..."} +
               prefixed("A: ", textLines(kData + "/registry/example.com.expected")) +
               QStringList{"A: ", "A: --- 127.0.0.1 ---"} +
               prefixed("A: ", textLines(kData + "/registrar/example.com.expected")) + QStringList{"done"};
    }

    std::unique_ptr<QTemporaryDir> m_cache;
    RdapServer m_server{kData};
};

void TestRdap::initTestCase()
{
    // Nothing here goes through a proxy the environment may name.
    qunsetenv("https_proxy");
    qunsetenv("HTTPS_PROXY");
    QVERIFY2(m_server.Start(), qPrintable(m_server.ErrorText()));
}

void TestRdap::init()
{
    m_cache = std::make_unique<QTemporaryDir>();
    requests();
}

void TestRdap::serviceChoice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base"); // empty: no service
    QTest::newRow("any case") << "www.Example.COM" << "https://rdap.verisign.example/com/v1/";
    QTest::newRow("entry in upper case") << "a.b.net" << "https://rdap.verisign.example/com/v1/";
    QTest::newRow("longest suffix, https preferred") << "shop.co.uk" << "https://rdap.nominet.example/co-uk/";
    QTest::newRow("shorter suffix, slash added") << "bbc.uk" << "https://rdap.nominet.example/uk/";
    QTest::newRow("final dot") << "example.co.uk." << "https://rdap.nominet.example/co-uk/";
    QTest::newRow("the entry itself") << "co.uk" << "https://rdap.nominet.example/co-uk/";
    QTest::newRow("only plain HTTP offered") << "xn--80a1acny.xn--p1ai" << "http://rdap.plain.example/";
    QTest::newRow("no usable URL") << "example.org" << "";
    QTest::newRow("not listed") << "example.de" << "";
    QTest::newRow("entry is not a whole label") << "examplecom" << "";
}

void TestRdap::serviceChoice()
{
    QFETCH(QString, name);
    QFETCH(QString, base);
    const QByteArray json = R"({"version": "1.0", "services": [
        [["com", "NET"], ["https://rdap.verisign.example/com/v1/"]],
        [["co.uk"], ["http://rdap.nominet.example/co-uk/", "https://rdap.nominet.example/co-uk/"]],
        [["uk"], ["https://rdap.nominet.example/uk"]],
        [["xn--p1ai"], ["http://rdap.plain.example/"]],
        [["org"], ["ftp://rdap.other.example/", "not a URL"]],
        [["com"], ["https://listed.twice.example/"]]]})";
    QString error;
    const auto bootstrap = RdapBootstrap::parse(json, &error);
    QVERIFY2(bootstrap, qPrintable(error));
    const auto service = bootstrap->serviceFor(name);
    QCOMPARE(service ? service->base.toString() : QString(), base);
}

void TestRdap::refusedBootstrap_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");
    QTest::newRow("not JSON") << QByteArray("services") << "it is not JSON";
    QTest::newRow("a list") << QByteArray("[]") << "it is not a JSON object";
    QTest::newRow("no services") << QByteArray(R"({"version": "1.0"})") << "it has no list of services";
    QTest::newRow("service is a text") << QByteArray(R"({"services": [[[], []], "com"]})")
                                       << "service 2 is not a list of labels and a list of URLs";
    QTest::newRow("URL not a text") << QByteArray(R"({"services": [[["com"], [1]]]})")
                                    << "service 1 is not a list of labels and a list of URLs";
    QTest::newRow("larger than 1 MB") << QByteArray(RdapBootstrap::MaxBytes + 1, ' ') << "it is larger than 1024 KB";
}

void TestRdap::refusedBootstrap()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    QString why;
    QVERIFY(!RdapBootstrap::parse(json, &why));
    QVERIFY2(why.startsWith(error), qPrintable(why));
}

void TestRdap::answers_data()
{
    QTest::addColumn<QString>("file");
    QDirIterator it(kData, {"*.json"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFile::exists(path.chopped(5) + ".expected"))
            QTest::newRow(qPrintable(QDir(kData).relativeFilePath(path))) << path;
    }
}

// Each answer beside its lines, or "refused: " and the reason.
void TestRdap::answers()
{
    QFETCH(QString, file);
    const RdapAnswer answer = RdapAnswerFormatter::format(readBytes(file));
    const QStringList shown = answer.refusal.isEmpty() ? answer.lines : QStringList{"refused: " + answer.refusal};
    QCOMPARE(shown, textLines(file.chopped(5) + ".expected"));
}

void TestRdap::lookup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("request"); // one request the server must have seen
    QTest::addColumn<QString>("outcome");

    // A look-up that ends with `error`, after asking `host` when it is given.
    const auto failing = [](const QString &tld, const QString &host, const QString &error) {
        QStringList lines{"S: Looking up the RDAP service for ." + tld + "..."};
        if (!host.isEmpty())
            lines << "S: Asking " + host + "...";
        return lines + QStringList{"E: " + error, "done"};
    };
    const auto refused = [&](const QString &name) {
        return failing("com", "127.0.0.1", "The answer from 127.0.0.1 is not an RDAP domain record: " +
                                               textLines(kData + "/registry/" + name + ".expected").first().mid(9) + ".");
    };
    const QString local = "127.0.0.1";
    QTest::newRow("both records") << "example.com" << true << fullAnswer("com")
                                  << "GET /registrar/domain/example.com application/rdap+json"
                                  << "Found (Example Registrar, Inc.)";
    QTest::newRow("IDN in ASCII form")
        << " FÓO.com " << true
        << QStringList{"S: Looking up the RDAP service for .com...", "S: Asking 127.0.0.1..."} +
               prefixed("A: ", textLines(kData + "/registry/xn--fo-5ja.com.expected")) + QStringList{"done"}
        << "GET /registry/domain/xn--fo-5ja.com application/rdap+json" << "Found";
    QTest::newRow("no match") << "nosuch.com" << true << failing("com", local, "No match for nosuch.com.")
                              << "GET /dns.json application/json" << "NotFound";
    // The registry's record stands when the registrar's is missing.
    QTest::newRow("registrar's record missing")
        << "orphan.com" << true
        << QStringList{"S: Looking up the RDAP service for .com...", "S: Asking 127.0.0.1..."} +
               prefixed("A: ", textLines(kData + "/registry/orphan.com.expected")) +
               QStringList{"E: The registrar's record could not be fetched: 404", "done"}
        << "GET /registrar/domain/orphan.com application/rdap+json" << "Found (9998), registrar's record: 404";
    QTest::newRow("redirect within HTTPS") << "example.moved" << true << fullAnswer("moved")
                                           << "GET /moved/domain/example.moved application/rdap+json"
                                           << "Found (Example Registrar, Inc.)";
    QTest::newRow("chunked answer") << "example.chunked" << true << fullAnswer("chunked")
                                    << "GET /chunked/domain/example.chunked application/rdap+json"
                                    << "Found (Example Registrar, Inc.)";
    QTest::newRow("login in a redirect dropped") << "example.to-login" << true << fullAnswer("to-login")
                                                 << "GET /registry/domain/example.com application/rdap+json"
                                                 << "Found (Example Registrar, Inc.)";
    QTest::newRow("redirect to plain HTTP")
        << "example.moved-plain" << true
        << failing("moved-plain", local, "127.0.0.1 redirected the query to plain HTTP; not followed.") << "" << "Refused";
    QTest::newRow("no service") << "example.org" << true << failing("org", "", "No RDAP service is known for .org.") << ""
                                << "Refused";
    QTest::newRow("service over plain HTTP only")
        << "example.plain" << true
        << failing("plain", "", "The RDAP service for .plain is offered over plain HTTP only; it was not asked.") << ""
        << "Refused";
    QTest::newRow("server error") << "example.broken" << true
                                  << failing("broken", local, "127.0.0.1 answered HTTP 503 Service Unavailable.") << ""
                                  << "Refused";
    QTest::newRow("truncated answer") << "truncated.com" << true << refused("truncated.com") << "" << "Refused";
    QTest::newRow("hostile answer") << "wrongtypes.com" << true << refused("wrongtypes.com") << "" << "Refused";
    QTest::newRow("answer over 1 MB") << "example.huge" << true
                                      << failing("huge", local, "The answer from 127.0.0.1 is larger than 1024 KB; refused.")
                                      << "" << "Refused";
    // Hostile servers: each ends the look-up with its own line once a bound is passed.
    const QString port = QString::number(m_server.Port());
    const QString redirected = "127.0.0.1 redirected the query to ";
    const QStringList hostile[] = {
        {"endless", "The headers from 127.0.0.1 are larger than 64 KB; refused."},
        {"continue", "The headers from 127.0.0.1 are larger than 64 KB; refused."},
        {"gzip", "The answer from 127.0.0.1 came compressed; refused."},
        {"te-foo", "The answer from 127.0.0.1 came in a transfer coding other than chunked (foo); refused."},
        {"over", "The answer from 127.0.0.1 is larger than 1024 KB; refused."},
        {"over-chunked", "The answer from 127.0.0.1 is larger than 1024 KB; refused."},
        {"two-lengths", "The answer from 127.0.0.1 gives two different lengths; refused."},
        {"cut", "The answer from 127.0.0.1 was cut short."},
        {"odd-reason", "127.0.0.1 answered HTTP 503 Bad\\x1B[31m\\x85 Gateway."},
        {"loop", "127.0.0.1 redirected the query too often (more than 5 times)."},
        {"to-ftp", redirected + "ftp://127.0.0.1:" + port + "/registry/domain/example.com; not followed."},
        {"to-port", redirected + "a port out of range (https://127.0.0.1:99999/registry/domain/example.com); not followed."}};
    for (const QStringList &row : hostile)
        QTest::newRow(qPrintable(row[0])) << "example." + row[0] << true << failing(row[0], local, row[1])
                                          << "GET /" + row[0] + "/domain/example." + row[0] + " application/rdap+json"
                                          << "Refused";
    QTest::newRow("certificate not trusted")
        << "example.com" << false
        << failing("com", "", "The RDAP bootstrap file could not be read. The certificate of 127.0.0.1 was refused: it is "
                              "not signed by a trusted authority.")
        << "" << "TransportFailure";
    QTest::newRow("certificate for another host")
        << "example.net" << true
        << failing("net", "localhost", "The certificate of localhost was refused: it is not issued for localhost.") << ""
        << "TransportFailure";
    QTest::newRow("not a domain name") << "exa mple.com" << true
                                       << QStringList{"E: exa mple.com is not a domain name.", "done"} << ""
                                       << "Refused";
}

void TestRdap::lookup()
{
    QFETCH(QString, name);
    QFETCH(bool, trusted);
    QFETCH(QStringList, expected);
    QFETCH(QString, request);
    QFETCH(QString, outcome);
    RdapLookup::Options o = options();
    if (!trusted)
        o.extraCaCertificates.clear();
    RdapLookup lookup(o);
    Transcript t(lookup);
    lookup.start(name);
    QVERIFY(t.waitFor("done"));
    QCOMPARE(t.lines, expected);
    const QStringList seen = requests();
    QCOMPARE(t.outcome, outcome);
    if (!request.isEmpty())
        QVERIFY2(seen.contains(request), qPrintable(request));
    QVERIFY2(!seen.join('\n').contains("Authorization"), qPrintable(seen.join('\n')));
}

void TestRdap::chunkedBootstrap()
{
    RdapLookup lookup(options(url("/chunked/dns.json")));
    Transcript t(lookup);
    lookup.start("example.com");
    QVERIFY(t.waitFor("done"));
    QCOMPARE(t.lines, fullAnswer("com"));
    QVERIFY(requests().contains("GET /chunked/dns.json application/json"));
}

// What ordinary servers send, read as curl reads it where curl is right.
void TestRdap::framings_data()
{
    QTest::addColumn<QString>("framing");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("failure"); // empty: the body is the registry's answer (none for a 204)
    QTest::addColumn<bool>("asCurl");
    QTest::newRow("chunked") << "chunked" << 200 << "" << true;
    QTest::newRow("chunk extensions") << "chunk-ext" << 200 << "" << true;
    QTest::newRow("trailers") << "trailers" << 200 << "" << true;
    QTest::newRow("folded header lines") << "folded" << 200 << "" << true;
    QTest::newRow("one length twice") << "same-lengths" << 200 << "" << true;
    QTest::newRow("103 before the answer") << "early-hints" << 200 << "" << true;
    QTest::newRow("204 followed by bytes, connection open") << "no-content" << 204 << "" << true;
    QTest::newRow("two lengths") << "two-lengths" << 200 << "The answer from 127.0.0.1 gives two different lengths; refused."
                                 << false;
}

void TestRdap::framings()
{
    QFETCH(QString, framing);
    QFETCH(int, status);
    QFETCH(QString, failure);
    QFETCH(bool, asCurl);
    HttpsFetch::Request request;
    request.url = url("/" + framing + "/domain/example.com");
    request.accept = "application/rdap+json";
    request.extraCaCertificates = m_server.Authority();
    request.idleTimeoutMs = 5000; // a 204 read to the connection's end would run into it
    request.deadline = QDeadlineTimer(20000);
    HttpsFetch fetch;
    QSignalSpy finished(&fetch, &HttpsFetch::finished);
    fetch.start(request);
    QVERIFY(finished.wait(20000));
    const HttpsFetch::Result &r = fetch.result();
    QCOMPARE(HttpsFetch::failureText(r, "127.0.0.1", request), failure);
    const QByteArray served = readBytes(kData + "/registry/example.com.json")
                                  .replace("@HOST@", "127.0.0.1:" + QByteArray::number(m_server.Port()));
    QCOMPARE(r.body, failure.isEmpty() && status != 204 ? served : QByteArray());
    QCOMPARE(r.status, status);
    // curl takes the last of two lengths; every other reading here is curl's too.
    QProcess curl;
    curl.start("curl", {"-sS", "--max-time", "10", "--cacert", m_server.AuthorityFile(), "-w", "\n%{http_code}", request.url.toString()});
    QVERIFY(curl.waitForFinished(15000));
    const QByteArray out = curl.readAllStandardOutput();
    const qsizetype cut = out.lastIndexOf('\n');
    QCOMPARE(curl.exitCode() == 0 && out.mid(cut + 1).toInt() == status && out.left(cut) == r.body, asCurl);
}

// --cacert's authorities come besides the system's (here a store of the
// test's own, named as OpenSSL's variables name one), not in their place.
void TestRdap::systemTrust_data()
{
    QTest::addColumn<bool>("systemTrusts");
    QTest::addColumn<bool>("other"); // an unrelated authority is given
    QTest::newRow("system trusts, another authority given") << true << true;
    QTest::newRow("system trusts, nothing given") << true << false;
    QTest::newRow("system does not trust, another authority given") << false << true;
}

void TestRdap::systemTrust()
{
    QFETCH(bool, systemTrusts);
    QFETCH(bool, other);
    QTemporaryDir store;
    const QString bundle = store.filePath("bundle.pem");
    writeBytes(bundle, systemTrusts ? readBytes(m_server.AuthorityFile()) : QByteArray());
    qputenv("SSL_CERT_FILE", bundle.toLocal8Bit());
    qputenv("SSL_CERT_DIR", store.path().toLocal8Bit());
    const auto restore = qScopeGuard([] {
        qunsetenv("SSL_CERT_FILE");
        qunsetenv("SSL_CERT_DIR");
    });
    RdapLookup::Options o = options();
    o.extraCaCertificates = other ? m_server.OtherAuthority() : QList<QSslCertificate>();
    QVERIFY(!other || o.extraCaCertificates.size() == 1);
    RdapLookup lookup(o);
    Transcript t(lookup);
    lookup.start("example.com");
    QVERIFY(t.waitFor("done"));
    const QStringList refused = {t.lines.value(0),
                                 "E: The RDAP bootstrap file could not be read. The certificate of 127.0.0.1 was refused: it "
                                 "is not signed by a trusted authority.",
                                 "done"};
    QCOMPARE(t.lines, systemTrusts ? fullAnswer("com") : refused);
}

// A bootstrap server that redirects slowly, and a kept copy to fall back on:
// the limit ends the look-up, and nothing is asked after it.
void TestRdap::lookUpLimit()
{
    const QUrl bootstrap = url("/slow-moved/dns.json");
    const RdapBootstrapCache cache(m_cache->path(), bootstrap);
    writeBytes(cache.filePath(), readBytes(kData + "/dns.json").replace("@HOST@", "127.0.0.1:" + QByteArray::number(m_server.Port())));
    QFile file(cache.filePath());
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2), QFileDevice::FileModificationTime));
    RdapLookup::Options o = options(bootstrap);
    o.lookUpTimeoutMs = 1200;
    RdapLookup lookup(o);
    Transcript t(lookup);
    lookup.start("example.com");
    QVERIFY(t.waitFor("done"));
    QTest::qWait(1500);
    QCOMPARE(t.lines, (QStringList{"S: Looking up the RDAP service for .com...",
                                   "E: The look-up of example.com took longer than 2 seconds; it was ended.", "done"}));
    const QStringList seen = requests();
    QVERIFY2(!seen.isEmpty() && seen.filter("/slow-moved/dns.json").size() == seen.size(), qPrintable(seen.join('\n')));
}

void TestRdap::keptBootstrap_data()
{
    QTest::addColumn<int>("age"); // hours; -1: no copy
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<QStringList>("before"); // the lines before "Asking"
    QTest::addColumn<bool>("fetched");
    const QString looking = "S: Looking up the RDAP service for .com...";
    QTest::newRow("fresh copy, server not asked") << 23 << true << QStringList{looking} << false;
    QTest::newRow("old copy refreshed") << 25 << true << QStringList{looking} << true;
    QTest::newRow("old copy, server down")
        << 25 << false
        << QStringList{looking, "S: Asking 127.0.0.1 failed: Connection refused.",
                       "S: Using the RDAP bootstrap file kept since @SAVED@."}
        << false;
    QTest::newRow("no copy, server down")
        << -1 << false
        << QStringList{looking, "E: The RDAP bootstrap file could not be read. Asking 127.0.0.1 failed: Connection refused.",
                       "done"}
        << false;
}

void TestRdap::keptBootstrap()
{
    QFETCH(int, age);
    QFETCH(bool, serverUp);
    QFETCH(QStringList, before);
    QFETCH(bool, fetched);
    const QUrl bootstrap = url("/dns.json", serverUp ? 0 : closedPort());
    const RdapBootstrapCache cache(m_cache->path(), bootstrap);
    const QByteArray copy = readBytes(kData + "/dns.json").replace("@HOST@", "127.0.0.1:" + QByteArray::number(m_server.Port()));
    const QDateTime saved = QDateTime::currentDateTimeUtc().addSecs(-3600 * age);
    if (age >= 0) {
        writeBytes(cache.filePath(), copy);
        QFile file(cache.filePath());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(saved, QFileDevice::FileModificationTime));
    }
    before.replaceInStrings("@SAVED@", saved.toString("yyyy-MM-dd hh:mm 'UTC'"));

    RdapLookup lookup(options(bootstrap));
    Transcript t(lookup);
    lookup.start("example.com");
    QVERIFY(t.waitFor("done"));
    QCOMPARE(t.lines.mid(0, before.size()), before);
    if (!before.contains("done"))
        QCOMPARE(t.lines.mid(before.size()), fullAnswer("com").mid(1));
    QCOMPARE(requests().contains("GET /dns.json application/json"), fetched);
    if (fetched)
        QVERIFY(cache.load()->isFresh(QDateTime::currentDateTimeUtc()));
}

// Whose copy is read, decided by owner and mode (root reads any file, so the
// decision is checked as such).
void TestRdap::trustedOwner_data()
{
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("trusted");
    QTest::newRow("own, owner-only") << 1000u << 0600u << true;
    QTest::newRow("own, others may read") << 1000u << 0755u << true;
    QTest::newRow("own, group may write") << 1000u << 0620u << false;
    QTest::newRow("own, anyone may write") << 1000u << 01777u << false;
    QTest::newRow("another user's") << 0u << 0600u << false;
}

void TestRdap::trustedOwner()
{
    QFETCH(uint, owner);
    QFETCH(uint, mode);
    QFETCH(bool, trusted);
    QCOMPARE(RdapBootstrapCache::trusted(owner, mode, 1000), trusted);
}

// A fresh copy that others could have written, or a link, is not read; the
// refreshed copy replaces it, 0600 in a folder 0700, and leaves a link's target alone.
void TestRdap::untrustedCopy_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("file others can write") << "file 0666";
    QTest::newRow("folder others can write") << "folder 0777";
    QTest::newRow("link to a file of the user's") << "link";
}

void TestRdap::untrustedCopy()
{
    QFETCH(QString, how);
    const RdapBootstrapCache cache(m_cache->path(), url("/dns.json"));
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("own.txt");
    writeBytes(target, "secret");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    if (how == "link") {
        QVERIFY(QFile::link(target, cache.filePath()));
    } else {
        writeBytes(cache.filePath(), readBytes(kData + "/dns.json").replace("@HOST@", "127.0.0.1:" + QByteArray::number(m_server.Port())));
        QVERIFY(::chmod(qPrintable(how == "file 0666" ? cache.filePath() : m_cache->path()), how.right(4).toUInt(nullptr, 8)) == 0);
    }
    QVERIFY(!cache.load());
    RdapLookup lookup(options());
    Transcript t(lookup);
    lookup.start("example.com");
    QVERIFY(t.waitFor("done"));
    QCOMPARE(t.lines, fullAnswer("com"));
    QVERIFY(requests().contains("GET /dns.json application/json"));
    QCOMPARE(readBytes(target), QByteArray("secret"));
    QVERIFY(!QFileInfo(cache.filePath()).isSymLink() && cache.load());
    struct stat file {}, folder {};
    QVERIFY(::stat(qPrintable(cache.filePath()), &file) == 0 && ::stat(qPrintable(m_cache->path()), &folder) == 0);
    QCOMPARE(file.st_mode & 0777, 0600u);
    QCOMPARE(folder.st_mode & 0777, 0700u);
}

void TestRdap::timeouts_data()
{
    QTest::addColumn<bool>("silentPeer"); // the bootstrap comes from a peer that never speaks TLS
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("lookUpMs");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("no TLS handshake") << true << "example.com"
                                      << "E: The RDAP bootstrap file could not be read. 127.0.0.1 did not answer within 1 second."
                                      << 120000 << "TransportFailure";
    QTest::newRow("no answer") << false << "example.slow" << "E: 127.0.0.1 sent nothing for 2 seconds." << 120000
                               << "CutShort";
    QTest::newRow("drip") << false << "example.drip" << "E: The look-up of example.drip took longer than 1 second; it was ended."
                          << 1000 << "CutShort";
}

void TestRdap::timeouts()
{
    QFETCH(bool, silentPeer);
    QFETCH(QString, name);
    QFETCH(QString, error);
    QFETCH(int, lookUpMs);
    QFETCH(QString, outcome);
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    RdapLookup::Options o = options(silentPeer ? url("/dns.json", silent.serverPort()) : QUrl());
    o.connectTimeoutMs = 300;
    o.idleTimeoutMs = 1500;
    o.lookUpTimeoutMs = lookUpMs;
    RdapLookup lookup(o);
    Transcript t(lookup);
    lookup.start(name);
    QVERIFY(t.waitFor("done"));
    QCOMPARE(t.lines.mid(t.lines.size() - 2), (QStringList{error, "done"}));
    QCOMPARE(t.outcome, outcome);
}

void TestRdap::endedEarly_data()
{
    QTest::addColumn<bool>("destroyed"); // else a newer look-up ends it
    QTest::newRow("by a newer look-up") << false;
    QTest::newRow("by destroying it") << true;
}

void TestRdap::endedEarly()
{
    QFETCH(bool, destroyed);
    auto lookup = std::make_unique<RdapLookup>(options());
    Transcript t(*lookup);
    lookup->start("example.slow");
    QVERIFY(t.waitFor("S: Asking 127.0.0.1..."));
    const QStringList slow = t.lines;
    QStringList after;
    if (destroyed) {
        lookup.reset();
    } else {
        lookup->start("nosuch.com");
        QVERIFY(t.waitFor("done"));
        after = {"S: Looking up the RDAP service for .com...", "S: Asking 127.0.0.1...", "E: No match for nosuch.com.", "done"};
    }
    QTest::qWait(300); // the slow answer must never arrive
    QCOMPARE(t.lines, slow + after);
}

QTEST_GUILESS_MAIN(TestRdap)
#include "tst_rdap.moc"
