#include "NetworkCheck.h"

#include "DnsAsker.h"
#include "LookUpText.h"

#include <QSet>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <optional>

namespace {

// The name as DNS carries it: ASCII form, lower case, no final dot; empty
// for one it cannot carry, which the offline check already names.
QString asciiOf(const QString &typed)
{
    QString name = aceName(typed.trimmed()).toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return dnsQuestion(name, DnsType::A, 0, false).isEmpty() ? QString() : name;
}

QString shownName(const QString &typed)
{
    QString name = typed.trimmed();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

QString addressList(const QList<QHostAddress> &addresses)
{
    QStringList texts;
    for (const QHostAddress &a : addresses)
        texts << a.toString();
    return texts.join(QLatin1String(", "));
}

// A name server of the record as the check follows it.
struct Server {
    NetworkCheckRequest::NameServer entry;
    QString ascii;
    int soaDone = 0; // of the three questions asked of it
    std::optional<DnsExchange::Result> soa, ns, tcp;
    QHostAddress asked;
    bool serves = false; // answered both with authority over UDP
};

} // namespace

struct NetworkCheck::State {
    NetworkCheck *q;
    std::unique_ptr<RegistrationLookup> availability;
    NetworkCheckLimits limits;
    QTimer whole;

    NetworkCheckRequest request;
    QString ascii; // the record's name as DNS carries it; empty when it cannot
    bool running = false;
    bool reached = false;
    quint64 run = 0; // which start() the answers belong to
    DnsAsker *dns = nullptr;
    bool waitingForAvailability = false;
    std::vector<Server> servers;
    // Each problem with where it goes in the list: by the thing it concerns, then the step.
    QList<std::pair<int, RegistrationProblem>> found;

    void add(int order, const QString &field, const QString &text, bool warning = false)
    {
        found.push_back({order, RegistrationProblem{field, text, true, warning}});
    }

    // Emitted from the event loop, so that a slot may cancel or restart freely.
    void post(std::function<void()> f)
    {
        const quint64 r = run;
        QMetaObject::invokeMethod(
            q, [this, r, f = std::move(f)] {
                if (running && run == r)
                    f();
            },
            Qt::QueuedConnection);
    }
    void say(const QString &text)
    {
        post([this, text] { emit q->progress(text); });
    }

    void start(const NetworkCheckRequest &r)
    {
        request = r;
        ascii = asciiOf(request.name);
        running = true;
        reached = false;
        found.clear();
        servers.clear();
        dns->begin();
        whole.start(limits.wholeMs);
        const bool changes = request.action != NetworkCheckRequest::Action::Delete;
        switch (request.kind) {
        case RecordKind::Domain:
            askAvailability();
            if (changes)
                checkNameServers();
            break;
        case RecordKind::Host:
            if (changes)
                checkHost();
            break;
        case RecordKind::Contact:
            if (changes)
                checkMailbox();
            break;
        }
        if (dns->outstanding() == 0 && !waitingForAvailability)
            finish();
    }

    void askAvailability()
    {
        if (!availability || ascii.isEmpty())
            return;
        waitingForAvailability = true;
        say(QStringLiteral("Asking whether %1 is registered").arg(shownName(request.name)));
        availability->start(ascii);
    }
    void availabilityAnswered(const LookUpOutcome &outcome)
    {
        if (!waitingForAvailability)
            return;
        waitingForAvailability = false;
        reached = reached || outcome.registryAnswered();
        const QString name = shownName(request.name);
        const bool isNew = request.action == NetworkCheckRequest::Action::New;
        // The registrar and the reason are the server's words: shown escaped.
        switch (outcome.kind) {
        case LookUpOutcome::Kind::Found:
            if (isNew)
                add(-1, request.nameField,
                    outcome.registrar.isEmpty()
                        ? QStringLiteral("%1 is already registered").arg(name)
                        : QStringLiteral("%1 is already registered (registrar: %2)").arg(name, visibleText(outcome.registrar)));
            break;
        case LookUpOutcome::Kind::NotFound:
            if (!isNew)
                add(-1, request.nameField, QStringLiteral("%1 is not registered").arg(name));
            break;
        case LookUpOutcome::Kind::Answered:
            add(-1, request.nameField,
                QStringLiteral("Whether %1 is registered could not be told from the WHOIS answer").arg(name), true);
            break;
        case LookUpOutcome::Kind::Refused:
        case LookUpOutcome::Kind::TransportFailure:
        case LookUpOutcome::Kind::CutShort:
            add(-1, request.nameField,
                QStringLiteral("Whether %1 is registered could not be asked: %2").arg(name, visibleText(outcome.line())), true);
            break;
        }
        settle();
    }

    void checkNameServers()
    {
        if (ascii.isEmpty())
            return;
        for (const NetworkCheckRequest::NameServer &ns : request.nameServers)
            if (const QString ascii = asciiOf(ns.name); !ascii.isEmpty())
                servers.push_back(Server{ns, ascii, 0, {}, {}, {}, {}, false});
        for (size_t i = 0; i < servers.size(); ++i) {
            const QHostAddress given(servers[i].entry.address);
            say(QStringLiteral("Asking the resolver for %1").arg(shownName(servers[i].entry.name)));
            dns->resolveAddresses(servers[i].ascii, [this, i, given](const DnsAsker::Resolution &r) {
                const Server &s = servers[i];
                const int order = int(i) * 10;
                const QString name = shownName(s.entry.name);
                if (!r.answered)
                    add(order, s.entry.field, QStringLiteral("%1 could not be resolved: %2").arg(name, r.failure));
                else if (r.addresses.isEmpty())
                    add(order, s.entry.field, QStringLiteral("%1 does not resolve to an address").arg(name));
                else if (!given.isNull() && !r.addresses.contains(given))
                    add(order, s.entry.addressField,
                        QStringLiteral("%1 resolves to %2, not %3").arg(name, addressList(r.addresses), s.entry.address));
                // Without an address in the record, the server is asked where its name points.
                if (given.isNull() && !r.addresses.isEmpty())
                    askServer(i, r.addresses.front());
            });
            if (!given.isNull())
                askServer(i, given);
        }
    }

    void askServer(size_t i, const QHostAddress &address)
    {
        Server &s = servers[i];
        s.asked = address;
        say(QStringLiteral("Asking %1 (%2)").arg(shownName(s.entry.name), address.toString()));
        using T = DnsExchange::Transport;
        auto keep = [this, i](std::optional<DnsExchange::Result> Server::*slot) {
            return [this, i, slot](const DnsExchange::Result &r) {
                servers[i].*slot = r;
                if (++servers[i].soaDone == 3)
                    judgeServer(i);
            };
        };
        dns->ask(address, ascii, DnsType::Soa, T::Udp, false, keep(&Server::soa));
        dns->ask(address, ascii, DnsType::Ns, T::Udp, false, keep(&Server::ns));
        dns->ask(address, ascii, DnsType::Soa, T::Tcp, false, keep(&Server::tcp));
    }

    static bool authoritative(const DnsExchange::Result &r, DnsType type)
    {
        return r.outcome == DnsExchange::Outcome::Reply && r.reply.authoritative && r.reply.rcode == 0 &&
               (type == DnsType::Soa ? r.reply.serial.has_value() : !r.reply.names.isEmpty());
    }

    // What a server's three answers come to; one problem for a server that
    // does not serve the domain, however many of its answers show it.
    void judgeServer(size_t i)
    {
        const Server &s = servers[i];
        const int order = int(i) * 10 + 1;
        const QString name = shownName(s.entry.name);
        const QString label = QStringLiteral("%1 (%2)").arg(name, s.asked.toString());
        const QString domain = shownName(request.name);
        // Over UDP a closed port may look like silence; TCP's refusal tells them apart.
        const auto unanswered = [](const DnsExchange::Result &r) {
            return r.outcome == DnsExchange::Outcome::Silent || r.outcome == DnsExchange::Outcome::Refused;
        };
        if (unanswered(*s.soa) && unanswered(*s.ns) && s.tcp->outcome == DnsExchange::Outcome::Refused)
            return add(order, s.entry.field, QStringLiteral("%1 does not answer on port 53").arg(label));
        for (const auto &[result, type] : {std::pair{*s.soa, DnsType::Soa}, std::pair{*s.ns, DnsType::Ns}}) {
            switch (result.outcome) {
            case DnsExchange::Outcome::Silent:
                return add(order, s.entry.field,
                           QStringLiteral("%1 did not answer within %2").arg(name, secondsText(limits.queryMs)));
            case DnsExchange::Outcome::Refused:
                return add(order, s.entry.field, QStringLiteral("%1 does not answer on port 53").arg(label));
            case DnsExchange::Outcome::Malformed:
                return add(order, s.entry.field, QStringLiteral("%1 sent a malformed answer for %2").arg(label, domain));
            case DnsExchange::Outcome::OtherName:
                return add(order, s.entry.field,
                           QStringLiteral("%1 answered for another name than %2").arg(label, domain));
            case DnsExchange::Outcome::Reply:
                if (!authoritative(result, type))
                    return add(order, s.entry.field,
                               QStringLiteral("%1 does not answer authoritatively for %2").arg(label, domain));
                break;
            }
        }
        servers[i].serves = true;
        if (!authoritative(*s.tcp, DnsType::Soa))
            add(order + 1, s.entry.field, QStringLiteral("%1 does not answer over TCP for %2").arg(label, domain));
    }

    // A server missing from the NS sets is named once, at the first server in
    // the record's order whose set lacks it.
    void compareNsSets()
    {
        QSet<QString> named;
        for (size_t i = 0; i < servers.size(); ++i) {
            if (!servers[i].serves)
                continue;
            for (const Server &other : servers)
                if (!servers[i].ns->reply.names.contains(other.ascii) && !named.contains(other.ascii)) {
                    named.insert(other.ascii);
                    add(int(i) * 10 + 1, other.entry.field,
                        QStringLiteral("the NS set of %1 at %2 does not hold %3")
                            .arg(shownName(request.name), shownName(servers[i].entry.name), shownName(other.entry.name)));
                }
        }
    }

    void compareSerials()
    {
        QStringList at;
        const Server *first = nullptr;
        const Server *differs = nullptr;
        for (const Server &s : servers) {
            if (!s.soa || !authoritative(*s.soa, DnsType::Soa))
                continue;
            const quint32 serial = *s.soa->reply.serial;
            if (!first)
                first = &s;
            else if (!differs && serial != *first->soa->reply.serial)
                differs = &s;
            at << QStringLiteral("%1 at %2").arg(serial).arg(shownName(s.entry.name));
        }
        if (differs)
            add(int(servers.size()) * 10, differs->entry.field,
                QStringLiteral("the SOA serials differ: ") + at.join(QLatin1String(", ")));
    }

    void checkHost()
    {
        if (ascii.isEmpty())
            return;
        say(QStringLiteral("Asking the resolver for %1").arg(shownName(request.name)));
        dns->resolveAddresses(ascii, [this](const DnsAsker::Resolution &r) {
            const QString name = shownName(request.name);
            const QHostAddress given(request.hostAddress);
            if (!r.answered)
                add(0, request.nameField, QStringLiteral("%1 could not be resolved: %2").arg(name, r.failure));
            else if (r.addresses.isEmpty())
                add(0, request.nameField, QStringLiteral("%1 does not resolve yet").arg(name), true);
            else if (!given.isNull() && !r.addresses.contains(given))
                add(0, request.hostAddressField,
                    QStringLiteral("%1 resolves to %2, not %3").arg(name, addressList(r.addresses), request.hostAddress));
        });
    }

    void checkMailbox()
    {
        const qsizetype at = request.mailbox.lastIndexOf(QLatin1Char('@'));
        if (at < 0)
            return;
        const QString typed = request.mailbox.mid(at + 1);
        const QString domain = asciiOf(typed);
        if (domain.isEmpty())
            return;
        say(QStringLiteral("Asking the resolver for the mail servers of %1").arg(shownName(typed)));
        dns->resolve(domain, DnsType::Mx, [this, domain, typed](const DnsAsker::Resolution &mx) {
            if (mx.answered && !mx.names.isEmpty())
                return;
            // Mail goes to the domain's own address when it names no mail server.
            dns->resolveAddresses(domain, [this, mx, typed](const DnsAsker::Resolution &r) {
                if (!mx.answered && !r.answered)
                    add(0, request.mailboxField,
                        QStringLiteral("%1 could not be resolved: %2").arg(shownName(typed), r.failure));
                else if (r.addresses.isEmpty())
                    add(0, request.mailboxField,
                        QStringLiteral("%1, the domain of %2, has no MX or address record")
                            .arg(shownName(typed), request.mailbox));
            });
        });
    }

    // The end once no question is outstanding.
    void settle()
    {
        if (running && dns->outstanding() == 0 && !waitingForAvailability)
            finish();
    }

    // Ends every question of the run; their late answers find the run over.
    void silence()
    {
        dns->stop();
        whole.stop();
        if (waitingForAvailability && availability)
            availability->cancel();
        waitingForAvailability = false;
    }

    void stop()
    {
        ++run;
        running = false;
        silence();
    }

    void finish()
    {
        if (request.kind == RecordKind::Domain) {
            compareNsSets();
            compareSerials();
        }
        std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        RegistrationProblems problems;
        for (const auto &[order, p] : found)
            if (!problems.contains(p))
                problems << p;
        silence();
        // Still running until the result is out, so that a cancel before then keeps it in.
        const quint64 r = ++run;
        QMetaObject::invokeMethod(
            q, [this, r, problems] {
                if (run != r)
                    return;
                running = false;
                emit q->finished(problems);
            },
            Qt::QueuedConnection);
    }

    void timeUp()
    {
        add(1000, request.nameField,
            QStringLiteral("The network check of %1 took longer than %2; it was ended")
                .arg(shownName(request.name), secondsText(limits.wholeMs)),
            true);
        finish();
    }
};

NetworkCheck::NetworkCheck(std::unique_ptr<RegistrationLookup> availability, NetworkCheckLimits limits, QObject *parent)
    : QObject(parent), m_state(std::make_unique<State>())
{
    m_state->q = this;
    m_state->availability = std::move(availability);
    m_state->limits = limits;
    m_state->dns = new DnsAsker(limits.queryMs, this);
    connect(m_state->dns, &DnsAsker::settled, this, [this] { m_state->settle(); });
    m_state->whole.setSingleShot(true);
    connect(&m_state->whole, &QTimer::timeout, this, [this] { m_state->timeUp(); });
    if (RegistrationLookup *lookup = m_state->availability.get()) {
        connect(lookup, &RegistrationLookup::answered, this,
                [this](const LookUpOutcome &outcome) { m_state->availabilityAnswered(outcome); });
    }
}

NetworkCheck::~NetworkCheck()
{
    m_state->stop();
    // The availability look-up goes before the state its signals reach.
    m_state->availability.reset();
}

void NetworkCheck::start(const NetworkCheckRequest &request)
{
    cancel();
    m_state->start(request);
}

void NetworkCheck::cancel()
{
    m_state->stop();
}

bool NetworkCheck::running() const { return m_state->running; }

bool NetworkCheck::reachedNetwork() const { return m_state->reached || m_state->dns->reached(); }
