#include "EppJobs.h"

#include "EppFrames.h"
#include "EppInfo.h"
#include "EppResponse.h"

namespace {

EppObject objectOf(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Domain: return EppObject::Domain;
    case RecordKind::Host: return EppObject::Host;
    case RecordKind::Contact: return EppObject::Contact;
    }
    return EppObject::None;
}

EppStep stepOf(EppStep::Stage stage, EppObject object, const QString &name)
{
    return {stage, object, name, {}, {}, {}};
}

QStringList hostNames(const QList<EppHost> &hosts)
{
    QStringList out;
    for (const EppHost &h : hosts)
        out << h.name;
    return out;
}

QStringList contactWords(const QList<EppContactRef> &refs)
{
    QStringList out;
    for (const auto &[type, id] : refs)
        out << QStringLiteral("%1 contact %2").arg(type, id);
    return out;
}

// The step that sends `c`: what it adds, removes and changes.
EppStep domainUpdateStep(const QString &name, const EppDomainChange &c)
{
    EppStep s = stepOf(EppStep::Stage::Updating, EppObject::None, name);
    s.adding = c.addNs + hostNames(c.addNsAttr) + contactWords(c.addContacts);
    s.removing = c.remNs + hostNames(c.remNsAttr) + contactWords(c.remContacts);
    if (!c.registrant.isEmpty())
        s.changing << QStringLiteral("registrant to %1").arg(c.registrant);
    if (!c.pw.isEmpty())
        s.changing << QStringLiteral("password");
    return s;
}

// What a Modify of `record` would send, compared with the registry's `data`.
EppStep difference(const EppRecord &record, const EppSettings &settings, const EppNode &data, const QString &name)
{
    if (record.kind == RecordKind::Domain) {
        const auto id = [] { return QStringLiteral("(new)"); };
        return domainUpdateStep(name, domainChange(EppInfo::domain(data), EppMapping::domain(record, settings, id).domain));
    }
    EppStep s = stepOf(EppStep::Stage::Updating, EppObject::None, name);
    if (record.kind == RecordKind::Host) {
        const EppHostChange c = hostChange(EppInfo::host(data), EppMapping::host(record));
        s.adding = c.addAddresses;
        s.removing = c.remAddresses;
    } else {
        s.changing = contactChange(EppInfo::contact(data), EppMapping::contact(record, EppMapping::randomId)).names();
    }
    return s;
}

} // namespace

EppSendJob::EppSendJob(EppSettings settings, EppRecord record, QObject *parent)
    : EppJob(std::move(settings), parent), m_record(std::move(record))
{
}

QStringList EppSendJob::problems(const EppRecord &record)
{
    return EppMapping::problems(record);
}

void EppSendJob::prepare(EppOutcome &outcome)
{
    outcome.problems = problems(m_record);
    if (!outcome.problems.isEmpty()) {
        outcome.result = EppOutcome::Result::Problems;
        return;
    }
    if (m_record.kind == RecordKind::Domain)
        m_plan = EppMapping::domain(m_record, settings(), EppMapping::randomId);
}

void EppSendJob::done(const EppStep &s)
{
    m_outcome.done << s;
}

void EppSendJob::loggedIn()
{
    switch (m_record.kind) {
    case RecordKind::Domain: return sendDomain();
    case RecordKind::Host: return sendHost();
    case RecordKind::Contact: return sendContact();
    }
}

QList<QByteArray> EppSendJob::dryRun(const EppRecord &record, const EppSettings &settings)
{
    QList<QByteArray> frames;
    int n = 0;
    const auto trId = [&n] { return QStringLiteral("DRY-RUN-%1").arg(++n); };
    const EppObject object = objectOf(record.kind);
    const QString name = record.kind == RecordKind::Contact ? EppMapping::contact(record, EppMapping::randomId).id
                                                              : EppMapping::aceName(record.name);
    if (record.action == EppAction::Delete)
        frames << EppFrames::remove(object, name, trId());
    else if (record.action == EppAction::Modify)
        frames << EppFrames::info(object, name, trId());
    else if (record.kind == RecordKind::Host)
        frames << EppFrames::createHost(EppMapping::host(record), trId());
    else if (record.kind == RecordKind::Contact)
        frames << EppFrames::createContact(EppMapping::contact(record, EppMapping::randomId), trId());
    else {
        const EppMapping::DomainPlan plan = EppMapping::domain(record, settings, EppMapping::randomId);
        for (const EppHost &h : plan.inDomain)
            frames << EppFrames::createHost(h, trId());
        for (const EppMapping::NewContact &c : plan.newContacts)
            frames << EppFrames::createContact(c.contact, trId());
        frames << EppFrames::createDomain(plan.domain, trId());
    }
    for (QByteArray &f : frames)
        f = EppFrames::masked(f);
    return frames;
}

// Domain: [info], host check and creates, contact creates, create / update / delete.
void EppSendJob::sendDomain()
{
    const QString name = m_plan.domain.name;
    if (m_record.action == EppAction::Delete)
        return command(stepOf(EppStep::Stage::Deleting, EppObject::Domain, name),
                       EppFrames::remove(EppObject::Domain, name, nextClTrid()), [this, name](const EppResponse &) {
                           done(stepOf(EppStep::Stage::Deleting, EppObject::Domain, name));
                           finishSession();
                       });
    if (m_record.action == EppAction::New)
        return domainHosts({});
    command(stepOf(EppStep::Stage::Reading, EppObject::Domain, name), EppFrames::info(EppObject::Domain, name, nextClTrid()),
            [this](const EppResponse &r) {
                m_registry = EppInfo::domain(r.resData);
                domainHosts(m_registry.ns);
            });
}

void EppSendJob::domainHosts(const QStringList &registryNs)
{
    // Only name servers the domain does not have yet need looking at.
    QList<EppHost> inside;
    for (const EppHost &h : m_plan.inDomain)
        if (!registryNs.contains(h.name))
            inside << h;
    QStringList outside;
    for (const QString &n : m_plan.outside)
        if (!registryNs.contains(n))
            outside << n;
    const QStringList names = hostNames(inside) + outside;
    if (names.isEmpty())
        return createContacts(0);
    EppStep s = stepOf(EppStep::Stage::Checking, EppObject::Host, names.join(QStringLiteral(", ")));
    command(s, EppFrames::check(EppObject::Host, names, nextClTrid()), [this, inside, outside](const EppResponse &r) {
        const QHash<QString, bool> free = EppInfo::availability(r.resData);
        QStringList missing;
        for (const QString &n : outside)
            if (free.value(n, false))
                missing << n;
        if (!missing.isEmpty()) {
            m_outcome.problems << QStringLiteral("Name server %1 lies outside the domain and is not known to the registry; "
                                                 "it must be created first")
                                      .arg(missing.join(QStringLiteral(", ")));
            m_outcome.result = EppOutcome::Result::Problems;
            return finishSession();
        }
        QList<EppHost> create;
        for (const EppHost &h : inside)
            if (free.value(h.name, false))
                create << h;
        createHosts(create);
    });
}

void EppSendJob::createHosts(QList<EppHost> hosts)
{
    if (hosts.isEmpty())
        return createContacts(0);
    const EppHost h = hosts.takeFirst();
    const EppStep s = stepOf(EppStep::Stage::Creating, EppObject::Host, h.name);
    command(s, EppFrames::createHost(h, nextClTrid()), [this, s, hosts](const EppResponse &) {
        done(s);
        createHosts(hosts);
    });
}

void EppSendJob::createContacts(int next)
{
    if (next >= m_plan.newContacts.size())
        return domainCommand();
    const EppMapping::NewContact &c = m_plan.newContacts[next];
    const EppStep s = stepOf(EppStep::Stage::Creating, EppObject::Contact, c.contact.id);
    command(s, EppFrames::createContact(c.contact, nextClTrid()), [this, s, next](const EppResponse &) {
        done(s);
        for (const QString &field : m_plan.newContacts[next].fields)
            m_outcome.handles.append({field, m_plan.newContacts[next].contact.id});
        createContacts(next + 1);
    });
}

void EppSendJob::domainCommand()
{
    const EppDomain &d = m_plan.domain;
    if (m_record.action == EppAction::New) {
        const EppStep s = stepOf(EppStep::Stage::Creating, EppObject::Domain, d.name);
        return command(s, EppFrames::createDomain(d, nextClTrid()), [this, s](const EppResponse &) {
            done(s);
            finishSession();
        });
    }
    const EppDomainChange change = domainChange(m_registry, d);
    if (change.isEmpty()) {
        m_outcome.message = QStringLiteral("nothing to change at the registry");
        return finishSession();
    }
    const EppStep s = domainUpdateStep(d.name, change);
    command(s, EppFrames::updateDomain(d.name, change, nextClTrid()), [this, s](const EppResponse &) {
        done(s);
        finishSession();
    });
}

void EppSendJob::sendHost()
{
    const EppHost wanted = EppMapping::host(m_record);
    const EppStep create = stepOf(EppStep::Stage::Creating, EppObject::Host, wanted.name);
    const EppStep remove = stepOf(EppStep::Stage::Deleting, EppObject::Host, wanted.name);
    const auto finished = [this](const EppStep &s) {
        return [this, s](const EppResponse &) {
            done(s);
            finishSession();
        };
    };
    if (m_record.action == EppAction::New)
        return command(create, EppFrames::createHost(wanted, nextClTrid()), finished(create));
    if (m_record.action == EppAction::Delete)
        return command(remove, EppFrames::remove(EppObject::Host, wanted.name, nextClTrid()), finished(remove));
    command(stepOf(EppStep::Stage::Reading, EppObject::Host, wanted.name),
            EppFrames::info(EppObject::Host, wanted.name, nextClTrid()), [this, wanted, finished](const EppResponse &r) {
                const EppHostChange change = hostChange(EppInfo::host(r.resData), wanted);
                if (change.isEmpty()) {
                    m_outcome.message = QStringLiteral("nothing to change at the registry");
                    return finishSession();
                }
                EppStep s = stepOf(EppStep::Stage::Updating, EppObject::None, wanted.name);
                s.adding = change.addAddresses;
                s.removing = change.remAddresses;
                command(s, EppFrames::updateHost(wanted.name, change, nextClTrid()), finished(s));
            });
}

void EppSendJob::sendContact()
{
    const EppContact wanted = EppMapping::contact(m_record, EppMapping::randomId);
    const EppStep create = stepOf(EppStep::Stage::Creating, EppObject::Contact, wanted.id);
    if (m_record.action == EppAction::New)
        return command(create, EppFrames::createContact(wanted, nextClTrid()), [this, create, wanted](const EppResponse &) {
            done(create);
            if (m_record.field(QStringLiteral("ContactNicHandle")).isEmpty())
                m_outcome.handles.append({QStringLiteral("ContactNicHandle"), wanted.id});
            finishSession();
        });
    if (m_record.action == EppAction::Delete) {
        const EppStep s = stepOf(EppStep::Stage::Deleting, EppObject::Contact, wanted.id);
        return command(s, EppFrames::remove(EppObject::Contact, wanted.id, nextClTrid()), [this, s](const EppResponse &) {
            done(s);
            finishSession();
        });
    }
    command(stepOf(EppStep::Stage::Reading, EppObject::Contact, wanted.id),
            EppFrames::info(EppObject::Contact, wanted.id, nextClTrid()), [this, wanted](const EppResponse &r) {
                const EppContactChange change = contactChange(EppInfo::contact(r.resData), wanted);
                if (change.isEmpty()) {
                    m_outcome.message = QStringLiteral("nothing to change at the registry");
                    return finishSession();
                }
                EppStep s = stepOf(EppStep::Stage::Updating, EppObject::None, wanted.id);
                s.changing = change.names();
                command(s, EppFrames::updateContact(wanted.id, change, nextClTrid()), [this, s](const EppResponse &) {
                    done(s);
                    finishSession();
                });
            });
}

EppInfoJob::EppInfoJob(EppSettings settings, EppObject object, QString name, QObject *parent)
    : EppJob(std::move(settings), parent), m_object(object), m_name(std::move(name))
{
}

void EppInfoJob::loggedIn()
{
    const QString name = m_object == EppObject::Contact ? m_name : EppMapping::aceName(m_name);
    command(stepOf(EppStep::Stage::Reading, m_object, name), EppFrames::info(m_object, name, nextClTrid()),
            [this, name](const EppResponse &r) {
                m_outcome.info = r.lines();
                if (m_record)
                    m_outcome.difference = difference(*m_record, settings(), r.resData, name);
                finishSession();
            });
}

EppCheckJob::EppCheckJob(EppSettings settings, EppObject object, QString name, QObject *parent)
    : EppJob(std::move(settings), parent), m_object(object), m_name(std::move(name))
{
}

void EppCheckJob::loggedIn()
{
    const QString name = m_object == EppObject::Contact ? m_name : EppMapping::aceName(m_name);
    command(stepOf(EppStep::Stage::Checking, m_object, name), EppFrames::check(m_object, {name}, nextClTrid()),
            [this](const EppResponse &r) {
                m_outcome.available = EppInfo::available(r.resData, &m_outcome.availabilityReason);
                finishSession();
            });
}

EppPollJob::EppPollJob(EppSettings settings, bool ack, QObject *parent) : EppJob(std::move(settings), parent), m_ack(ack) {}

void EppPollJob::loggedIn()
{
    next();
}

void EppPollJob::next()
{
    command(stepOf(EppStep::Stage::Polling, EppObject::None, {}), EppFrames::poll(false, {}, nextClTrid()),
            [this](const EppResponse &r) {
                // 1300: the queue is empty.
                if (r.code == 1300 || !r.hasQueue || m_outcome.messages.size() >= 1000)
                    return finishSession();
                m_outcome.messages << r.queued;
                if (!m_ack)
                    return finishSession();
                command(stepOf(EppStep::Stage::Polling, EppObject::None, r.queued.id),
                        EppFrames::poll(true, r.queued.id, nextClTrid()), [this](const EppResponse &) { next(); });
            });
}
