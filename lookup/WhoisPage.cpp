#include "WhoisPage.h"

#include "EIPPort.h"
#include "FrameOverlay.h"
#include "IPrompter.h"
#include "LookUpText.h"
#include "RdapLookup.h"
#include "TIPPort.h"

#include <QHostInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QSet>
#include <memory>

namespace {

QString referralFailed(const QString &host, const QString &reason)
{
    return QStringLiteral("Referral to %1 failed: %2").arg(host, reason);
}

// Every address of each name, IPv4 and IPv6, handed over once all are known.
void resolveAll(const QStringList &names, QObject *context,
                const std::function<void(const QList<QSet<QString>> &)> &done)
{
    struct Pending {
        QList<QSet<QString>> found;
        qsizetype left;
    };
    auto pending = std::make_shared<Pending>(Pending{QList<QSet<QString>>(names.size()), names.size()});
    for (qsizetype i = 0; i < names.size(); ++i) {
        QHostInfo::lookupHost(aceName(names[i]), context, [pending, i, done](const QHostInfo &info) {
            for (const QHostAddress &a : info.addresses())
                pending->found[i].insert(a.toString());
            if (--pending->left == 0)
                done(pending->found);
        });
    }
}

} // namespace

WhoisPage::WhoisPage(IPrompter &prompter, const LookUpOptions &options, QWidget *parent)
    : PortLookUpPage(QStringLiteral("IPPort1"), prompter, options, parent), IPPort1(port())
{
    buildRow(QStringLiteral("Label105"), QStringLiteral("Domain Name to Look Up:"), QStringLiteral("tDomain"),
             QStringLiteral("Enter a domain name, host or contact."), QStringLiteral("bLookUp"));
    tDomain = edit();
    bLookUp = button();
    mResponse = new QPlainTextEdit;
    mResponse->setObjectName(QStringLiteral("mResponse"));
    mResponse->setAccessibleName(QStringLiteral("WhoIs answer"));
    mResponse->setReadOnly(true);
    mResponse->setLineWrapMode(QPlainTextEdit::NoWrap);
    mResponse->setFont(answerFont());
    mResponse->installEventFilter(this);
    new FrameOverlay(mResponse);
    column()->addWidget(mResponse, 1);

    connect(bLookUp, &QPushButton::clicked, this, [this] { guarded([this] { bLookUpClick(); }); });
    // The handlers run inside the component's socket events: nothing thrown
    // there may reach the event loop.
    IPPort1->OnError = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort1Error(s, c, d); }); };
    IPPort1->OnConnected = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort1Connected(s, c, d); }); };
    IPPort1->OnDataIn = [this](QObject *s, const QByteArray &t, bool e) { guarded([&] { IPPort1DataIn(s, t, e); }); };
    IPPort1->OnDisconnected = [this](QObject *s, int c, const QString &d) {
        guarded([&] { IPPort1Disconnected(s, c, d); });
    };
}

void WhoisPage::setServer(const QString &server)
{
    m_server = server;
    updateHint();
}

void WhoisPage::setLookUp(const LookUpSettings &settings)
{
    m_lookUp = settings;
    updateHint();
}

void WhoisPage::updateHint()
{
    const bool rdap = m_lookUp.protocol == LookUpSettings::Protocol::Rdap;
    bLookUp->setToolTip(QStringLiteral("Searches ") + (rdap ? QStringLiteral("RDAP") : m_server) +
                        QStringLiteral(" for the name you entered to the left."));
}

void WhoisPage::bLookUpClick()
{
    const QString typed = tDomain->text();
    if (typed.isEmpty()) {
        prompter().beep();
        return;
    }
    // A second click on the same name stops it; a changed name is a new look-up.
    if (running() && typed == m_typed) {
        stop();
        return;
    }
    const quint64 run = beginRun();
    m_typed = typed;
    if (m_lookUp.protocol == LookUpSettings::Protocol::Rdap)
        return rdapLookUp(typed);
    m_query = queryLine(typed, true);
    const WhoisServer first = whoisServer(m_server, options().whoisPort);
    m_asked = {first};
    m_referral.reset();
    try {
        IPPort1->SetWinsockLoaded(true);
        IPPort1->SetEOL(QByteArrayLiteral("\n"));
        clearLines();
        addLine(QStringLiteral("Looking up host ") + first.host + QStringLiteral("..."));
        if (!resolve(run, first.host, first.port))
            return;
        addLine(QStringLiteral("Connecting to ") + IPPort1->RemoteHost() + QStringLiteral(" ..."));
        connectNow();
    } catch (const EIPPort &e) {
        failRun(run, exceptionText(e.Message()));
    }
}

void WhoisPage::tDomainKeyPress(QObject *, char &key)
{
    clickOnEnter(key);
}

void WhoisPage::connectTimedOut()
{
    if (!running())
        return;
    if (m_asked.size() > 1) {
        end();
        addLine(referralFailed(m_asked.last().host, QStringLiteral("no answer in time.")));
        return;
    }
    connectionTimedOut();
}

void WhoisPage::IPPort1Connected(QObject *, int statusCode, const QString &description)
{
    if (!running())
        return;
    stopConnectWait();
    if (m_asked.size() > 1) {
        const QString &host = m_asked.last().host;
        if (statusCode != 0) {
            finishRun();
            addLine(referralFailed(host, description));
            return;
        }
        addLine(QStringLiteral("--- ") + host + QStringLiteral(" ---"));
    } else {
        clearLines();
        if (statusCode != 0) {
            finishRun();
            addLine(QStringLiteral("Connection failed: ") + description);
            return;
        }
        addLine(QStringLiteral("Connected. Waiting for data..."));
        addLine(QString());
    }
    m_midLine = false;
    startAnswer();
    send(m_query);
}

void WhoisPage::IPPort1DataIn(QObject *, const QByteArray &text, bool eol)
{
    if (!running() || !admit(text.size()))
        return;
    const QString line = shownLine(text);
    // A referral is read only from a whole line, never from a piece of a longer one.
    const bool afterPiece = std::exchange(m_midLine, !eol);
    const bool whole = eol && !afterPiece;
    if (whole && !m_referral && m_asked.size() <= MaxReferrals)
        m_referral = whoisReferral(line, options().whoisPort);
    addLine(line);
}

void WhoisPage::IPPort1Error(QObject *, int errorCode, const QString &description)
{
    showPortError(errorCode, description);
}

void WhoisPage::IPPort1Disconnected(QObject *, int statusCode, const QString &description)
{
    if (!running())
        return;
    if (statusCode != 0) {
        finishRun();
        showPortError(statusCode, brokenAnswer(description));
        return;
    }
    answerEnded();
    if (!m_referral) {
        finishRun();
        return;
    }
    const WhoisServer to = *std::exchange(m_referral, std::nullopt);
    followReferral(currentRun(), to);
}

void WhoisPage::rdapLookUp(const QString &typed)
{
    // One job per look-up: ending it also closes the connections it opened.
    RdapLookup::Options o;
    o.bootstrapUrl = m_lookUp.rdapBootstrap;
    o.connectTimeoutMs = options().connectWaitMs;
    o.totalTimeoutMs = options().idleWaitMs;
    o.lookUpTimeoutMs = options().lookUpWaitMs;
    stopLookUpWait();
    m_rdap = new RdapLookup(o, this);
    // Its steps and the reason it ended early are lines of the answer.
    connect(m_rdap, &RdapLookup::statusLine, this, &WhoisPage::addLine);
    connect(m_rdap, &RdapLookup::errorLine, this, &WhoisPage::addLine);
    connect(m_rdap, &RdapLookup::answerLines, this, [this](const QStringList &lines) {
        // Set off from the steps, as a WHOIS answer is from "Connected.".
        if (!std::exchange(m_rdapAnswered, true))
            addLine(QString());
        for (const QString &line : lines)
            addLine(line);
    });
    connect(m_rdap, &RdapLookup::done, this, &WhoisPage::finishRun);
    m_rdapAnswered = false;
    clearLines();
    m_rdap->start(typed);
}

void WhoisPage::followReferral(quint64 run, const WhoisServer &to)
{
    QStringList names;
    for (const WhoisServer &asked : m_asked) {
        // The same server under the same name needs no look-up to tell.
        if (asked.port == to.port && asked.host.compare(to.host, Qt::CaseInsensitive) == 0) {
            finishRun();
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
                finishRun();
                return;
            }
        }
        guarded([&] { askReferral(run, to); });
    });
}

void WhoisPage::askReferral(quint64 run, const WhoisServer &to)
{
    m_asked << to;
    try {
        if (!resolve(run, to.host, to.port))
            return;
        connectNow();
    } catch (const EIPPort &e) {
        failRun(run, referralFailed(to.host, e.Message()));
    }
}

void WhoisPage::abortTransport()
{
    PortLookUpPage::abortTransport();
    if (RdapLookup *rdap = std::exchange(m_rdap, nullptr)) {
        // Nothing of it reaches the page after this.
        rdap->abort();
        rdap->disconnect(this);
        rdap->deleteLater();
    }
}

void WhoisPage::showLines(const QStringList &lines)
{
    mResponse->appendPlainText(lines.join(QLatin1Char('\n')));
}

void WhoisPage::clearShown()
{
    mResponse->clear();
}

void WhoisPage::editKeyPress(char &key)
{
    tDomainKeyPress(tDomain, key);
}
