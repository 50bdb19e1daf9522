#pragma once
// The jobs zandolet-cli and the window start: send a record, say hello, read
// an object, ask whether a name is free, read the message queue.
#include "EppJob.h"
#include "EppMapping.h"
#include "EppRecord.h"

class EppSendJob : public EppJob {
    Q_OBJECT
public:
    EppSendJob(EppSettings settings, EppRecord record, QObject *parent = nullptr);

    // EPP's own problems with the record (no password for a create, a phone
    // that cannot be put in +CC.NUMBER form, a contact id over 16
    // characters); the caller runs the check before mailing (and the network
    // check) as for a mail. The job finishes with Problems when there are any.
    static QStringList problems(const EppRecord &record);
    // The frames a send would start with, passwords masked, without
    // connecting: a New's creates (hosts inside the domain and contacts
    // taken as missing), a Delete's delete, a Modify's info.
    static QList<QByteArray> dryRun(const EppRecord &record, const EppSettings &settings);

protected:
    void prepare(EppOutcome &outcome) override;
    void loggedIn() override;

private:
    void sendDomain();
    void domainHosts(const QStringList &registryNs);
    void createHosts(QList<EppHost> hosts);
    void createContacts(int next);
    void domainCommand();
    void sendHost();
    void sendContact();
    void done(const EppStep &s);

    EppRecord m_record;
    EppMapping::DomainPlan m_plan;
    EppDomain m_registry; // a Modify's info
};

class EppHelloJob : public EppJob {
    Q_OBJECT
public:
    using EppJob::EppJob;

protected:
    void loggedIn() override { finishSession(); }
};

class EppInfoJob : public EppJob {
    Q_OBJECT
public:
    // `name`: a domain or host name, or a contact id.
    EppInfoJob(EppSettings settings, EppObject object, QString name, QObject *parent = nullptr);
    // The outcome's difference then says what a Modify of `record` would change.
    void compareWith(const EppRecord &record) { m_record = record; }

protected:
    void loggedIn() override;

private:
    EppObject m_object;
    QString m_name;
    std::optional<EppRecord> m_record;
};

class EppCheckJob : public EppJob {
    Q_OBJECT
public:
    EppCheckJob(EppSettings settings, EppObject object, QString name, QObject *parent = nullptr);

protected:
    void loggedIn() override;

private:
    EppObject m_object;
    QString m_name;
};

class EppPollJob : public EppJob {
    Q_OBJECT
public:
    // ack: each message read is acknowledged, so the next one comes.
    EppPollJob(EppSettings settings, bool ack, QObject *parent = nullptr);

protected:
    void loggedIn() override;

private:
    void next();
    bool m_ack;
};
