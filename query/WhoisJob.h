#pragma once
// A WHOIS look-up: asks the server for a name and follows up to two
// referrals in the answers, never back to a server already asked; or, when
// the settings say so, asks the name's RDAP service.
//
// Steps: cleared, "Looking up host SERVER...", "Connecting to ADDRESS ...",
// then cleared again, "Connected. Waiting for data..." and an empty line
// once the first server is connected. A referral's answer follows a
// "--- HOST ---" answer line; its failure is an errorLine "Referral to HOST
// failed: ...". Over RDAP the look-up's steps and lines are reported as
// RdapLookup reports them, its answer set off by an empty step.
//
// The outcome is the registry's word on the name: over WHOIS, what the
// registry's own answer says (IANA's referral leads to it, a registrar's
// answer after it does not count), whatever becomes of the registrar's.
#include "LookUpSettings.h"
#include "PortLookUpJob.h"
#include "WhoisReferral.h"

#include <QList>
#include <QSslCertificate>
#include <optional>

class RdapLookup;

class WhoisJob : public PortLookUpJob {
    Q_OBJECT
public:
    static constexpr int MaxReferrals = 2;

    // `server`: asked first, "NAME" or "NAME:PORT" (IPv6 also as "[ADDRESS]:PORT").
    WhoisJob(const QString &server, const LookUpSettings &lookUp, const LookUpOptions &options,
             QObject *parent = nullptr);

    void setServer(const QString &server) { m_server = server; }
    QString server() const { return m_server; }
    void setLookUp(const LookUpSettings &lookUp) { m_lookUp = lookUp; }
    const LookUpSettings &lookUp() const { return m_lookUp; }
    bool overRdap() const { return m_lookUp.protocol == LookUpSettings::Protocol::Rdap; }
    // Authorities RDAP trusts besides the system's (a closed network's own).
    void setRdapCaCertificates(const QList<QSslCertificate> &certificates) { m_rdapCa = certificates; }

    // Looks up `typed` (a name in any script, or a contact's name).
    void start(const QString &typed);

    void connected(int statusCode, const QString &description) override;
    void dataIn(const QByteArray &text, bool eol) override;
    void disconnected(int statusCode, const QString &description) override;

protected:
    void abortTransport() override;
    LookUpOutcome completed() const override;
    LookUpOutcome failedWith(LookUpOutcome::Kind kind, const QString &reason) const override;
    void connectWaitOver() override;

private:
    void rdapLookUp(const QString &typed);
    void followReferral(quint64 run, const WhoisServer &to);
    void askReferral(quint64 run, const WhoisServer &to);

    QString m_server;
    LookUpSettings m_lookUp;
    QList<QSslCertificate> m_rdapCa;
    // The RDAP look-up under way, a child of the job.
    RdapLookup *m_rdap = nullptr;
    bool m_rdapAnswered = false;
    // The running query: what is sent, the servers asked in order, and the
    // referral the current answer names.
    QByteArray m_query;
    QString m_name; // what the query asks, for the verdict
    // The registry's answer: the first server's, or the one IANA's or an
    // address registry's referral led to; whether it ended whole; whether
    // the answer under way is it.
    QStringList m_registryAnswer;
    bool m_registryDone = false;
    bool m_inRegistry = false;
    QList<WhoisServer> m_asked;
    std::optional<WhoisServer> m_referral;
    // The last piece received ended mid-line: what follows is no line of its own.
    bool m_midLine = false;
};
