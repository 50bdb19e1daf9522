#include "WhoisJob.h"

#include "EIPPort.h"
#include "LookUpText.h"
#include "NameResolver.h"
#include "RdapLookup.h"
#include "TIPPort.h"
#include "WhoisVerdict.h"

#include <QSet>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

QString referralFailed(const QString &host, const QString &reason)
{
    return QStringLiteral("Referral to %1 failed: %2").arg(host, reason);
}

// Every address of each name, IPv4 and IPv6, handed over once all are known.
// The look-ups end with the context, or once they have all answered.
void resolveAll(const QStringList &names, QObject *context,
                const std::function<void(const QList<QSet<QString>> &)> &done)
{
    struct Pending : QObject {
        std::vector<std::unique_ptr<NameResolver>> resolvers;
        QList<QSet<QString>> found;
        qsizetype left = 0;
    };
    auto *pending = new Pending;
    pending->setParent(context);
    pending->found.resize(names.size());
    pending->left = names.size();
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto resolver = std::make_unique<NameResolver>();
        resolver->Start(aceName(names[i]).toLatin1(), [pending, i, done](const NameResolver::Answer &answer) {
            for (const SockAddr &a : answer.addresses)
                pending->found[i].insert(a.Text());
            if (--pending->left == 0) {
                pending->deleteLater();
                done(pending->found);
            }
        });
        pending->resolvers.push_back(std::move(resolver));
    }
}

} // namespace

WhoisJob::WhoisJob(const QString &server, const LookUpSettings &lookUp, const LookUpOptions &options, QObject *parent)
    : PortLookUpJob(QStringLiteral("IPPort1"), options, parent), m_server(server), m_lookUp(lookUp)
{
}

void WhoisJob::start(const QString &typed)
{
    const quint64 run = begin(!overRdap());
    if (overRdap())
        return rdapLookUp(typed);
    m_query = queryLine(typed, true);
    m_name = QString::fromUtf8(m_query.trimmed());
    const WhoisServer first = whoisServer(m_server, options().whoisPort);
    m_asked = {first};
    m_referral.reset();
    m_registryAnswer.clear();
    m_registryDone = false;
    m_inRegistry = true;
    try {
        port()->SetWinsockLoaded(true);
        port()->SetEOL(QByteArrayLiteral("\n"));
        emit cleared();
        emit statusLine(QStringLiteral("Looking up host ") + first.host + QStringLiteral("..."));
        if (!resolve(run, first.host, first.port))
            return;
        emit statusLine(QStringLiteral("Connecting to ") + port()->RemoteHost() + QStringLiteral(" ..."));
        connectNow();
    } catch (const EIPPort &e) {
        fail(run, exceptionText(e.Message()));
    }
}

void WhoisJob::connectWaitOver()
{
    if (m_asked.size() > 1) {
        const QString host = m_asked.last().host;
        endFailed(LookUpOutcome::Kind::TransportFailure, referralFailed(host, QStringLiteral("no answer in time.")));
        return;
    }
    end([this] { emit connectTimedOut(); }, failedWith(LookUpOutcome::Kind::TransportFailure, timedOutText()));
}

void WhoisJob::connected(int statusCode, const QString &description)
{
    if (!isRunning())
        return;
    stopConnectWait();
    if (m_asked.size() > 1) {
        const QString host = m_asked.last().host;
        if (statusCode != 0) {
            endFailed(LookUpOutcome::Kind::TransportFailure, referralFailed(host, description), false);
            return;
        }
        answer(QStringLiteral("--- ") + host + QStringLiteral(" ---"));
    } else {
        emit cleared();
        if (statusCode != 0) {
            endFailed(LookUpOutcome::Kind::TransportFailure, QStringLiteral("Connection failed: ") + description, false);
            return;
        }
        emit statusLine(QStringLiteral("Connected. Waiting for data..."));
        emit statusLine(QString());
    }
    m_midLine = false;
    startAnswer();
    send(m_query);
}

void WhoisJob::dataIn(const QByteArray &text, bool eol)
{
    if (!isRunning() || !admit(text.size()))
        return;
    const QString line = shownLine(text);
    // A referral is read only from a whole line, never from a piece of a longer one.
    const bool afterPiece = std::exchange(m_midLine, !eol);
    const bool whole = eol && !afterPiece;
    if (whole && !m_referral && m_asked.size() <= MaxReferrals)
        m_referral = whoisReferral(line, options().whoisPort);
    if (m_inRegistry)
        m_registryAnswer << line;
    answer(line);
}

void WhoisJob::disconnected(int statusCode, const QString &description)
{
    if (!isRunning())
        return;
    if (statusCode != 0) {
        end([&] { emit portError(statusCode, brokenAnswer(description)); },
            failedWith(LookUpOutcome::Kind::TransportFailure, portErrorText(statusCode, brokenAnswer(description))), false);
        return;
    }
    answerEnded();
    if (std::exchange(m_inRegistry, false))
        m_registryDone = true;
    if (!m_referral) {
        complete();
        return;
    }
    const WhoisServer to = *std::exchange(m_referral, std::nullopt);
    followReferral(currentRun(), to);
}

void WhoisJob::rdapLookUp(const QString &typed)
{
    // One RDAP job per look-up: ending it also closes the connections it opened.
    RdapLookup::Options o;
    o.bootstrapUrl = m_lookUp.rdapBootstrap;
    o.extraCaCertificates = m_rdapCa;
    o.connectTimeoutMs = options().connectWaitMs;
    o.idleTimeoutMs = options().idleWaitMs;
    o.lookUpTimeoutMs = options().lookUpWaitMs;
    m_rdap = new RdapLookup(o, this);
    connect(m_rdap, &RdapLookup::statusLine, this, &WhoisJob::statusLine);
    connect(m_rdap, &RdapLookup::errorLine, this, &WhoisJob::errorLine);
    connect(m_rdap, &RdapLookup::answerLines, this, [this](const QStringList &lines) {
        // Set off from the steps, as a WHOIS answer is from "Connected.".
        if (!std::exchange(m_rdapAnswered, true))
            emit statusLine(QString());
        emit answerLines(lines);
    });
    connect(m_rdap, &RdapLookup::done, this, [this](const LookUpOutcome &outcome) { end([] {}, outcome, false); });
    m_rdapAnswered = false;
    emit cleared();
    m_rdap->start(typed);
}

void WhoisJob::followReferral(quint64 run, const WhoisServer &to)
{
    QStringList names;
    for (const WhoisServer &asked : m_asked) {
        // The same server under the same name needs no look-up to tell.
        if (asked.port == to.port && asked.host.compare(to.host, Qt::CaseInsensitive) == 0) {
            complete();
            return;
        }
        names << asked.host;
    }
    names << to.host;
    // Another name of a server already asked: compare every address it has.
    resolveAll(names, this, [this, run, to](const QList<QSet<QString>> &found) {
        if (!isCurrent(run))
            return;
        for (qsizetype i = 0; i + 1 < found.size(); ++i) {
            if (m_asked[i].port == to.port && found[i].intersects(found.last())) {
                complete();
                return;
            }
        }
        askReferral(run, to);
    });
}

void WhoisJob::askReferral(quint64 run, const WhoisServer &to)
{
    m_asked << to;
    // Past a registrar's server the registry's answer stays the one that counts.
    if (!to.registrar) {
        m_registryAnswer.clear();
        m_registryDone = false;
        m_inRegistry = true;
    }
    try {
        if (!resolve(run, to.host, to.port))
            return;
        connectNow();
    } catch (const Exception &e) {
        // The answer arrives in the event loop: nothing may leave it from here.
        fail(run, referralFailed(to.host, e.Message()));
    }
}

LookUpOutcome WhoisJob::completed() const
{
    const bool heard =
        std::any_of(m_registryAnswer.cbegin(), m_registryAnswer.cend(), [](const QString &l) { return !l.trimmed().isEmpty(); });
    if (!heard)
        return LookUpOutcome::failure(LookUpOutcome::Kind::TransportFailure, nothingSentText());
    return whoisVerdict(m_registryAnswer, m_name);
}

LookUpOutcome WhoisJob::failedWith(LookUpOutcome::Kind kind, const QString &reason) const
{
    // A registrar that fails after the registry has answered takes nothing from its answer.
    return m_registryDone ? completed() : PortLookUpJob::failedWith(kind, reason);
}

void WhoisJob::abortTransport()
{
    if (RdapLookup *rdap = std::exchange(m_rdap, nullptr)) {
        // Nothing of it is reported after this.
        rdap->abort();
        rdap->disconnect(this);
        rdap->deleteLater();
    }
}
