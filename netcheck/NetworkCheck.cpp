#include "NetworkCheck.h"

#include "DnsAsker.h"
#include "LookUpText.h"

#include <QSet>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>
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

// One address of a name server and its three answers.
struct Address {
    QHostAddress address;
    int done = 0; // of the three questions asked there
    std::optional<DnsExchange::Result> soa, ns, tcp;
    bool serves = false; // answered both with authority over UDP
};

// A name server of the record as the check follows it.
struct Server {
    NetworkCheckRequest::NameServer entry;
    QString ascii;
    std::vector<Address> at; // every address asked, in the order asked
};

// Whether `host` lies inside `domain` (both in their DNS form): then the
// record's address is its glue, and no resolver can know it before the delegation.
bool inside(const QString &host, const QString &domain)
{
    return host == domain || host.endsWith(QLatin1Char('.') + domain);
}

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
    bool askedAvailability = false;
    quint64 run = 0; // which start() the answers belong to
    DnsAsker *dns = nullptr;
    bool waitingForAvailability = false;
    std::vector<Server> servers;
    // Each problem with where it goes in the list: by the thing it concerns, then the step.
    QList<std::pair<int, RegistrationProblem>> found;
    // The DNS questions still open, each as what it would tell ("ns1.example.net
    // has address 192.0.2.1"), for the status line and for a check cut short.
    struct Open {
        int order;
        QString field;
        QString what;
    };
    std::map<int, Open> open;
    int opened = 0; // questions asked this run

    void add(int order, const QString &field, const QString &text, bool warning = false, bool unchecked = false)
    {
        found.push_back({order, RegistrationProblem{field, text, true, warning, unchecked}});
    }

    int ask(int order, const QString &field, const QString &what)
    {
        open.emplace(++opened, Open{order, field, what});
        sayWaiting();
        return opened;
    }
    void answered(int question)
    {
        open.erase(question);
        sayWaiting();
    }
    void sayWaiting()
    {
        if (open.empty() && waitingForAvailability)
            return say(QStringLiteral("Asking whether %1 is registered").arg(shownName(request.name)));
        if (open.empty())
            return;
        const QString first = QStringLiteral("Asking whether ") + open.begin()->second.what;
        say(open.size() == 1 ? first : first + QStringLiteral(" (and %1 more)").arg(open.size() - 1));
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
        askedAvailability = false;
        found.clear();
        servers.clear();
        open.clear();
        opened = 0;
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
        askedAvailability = true;
        sayWaiting();
        availability->start(ascii);
    }
    void availabilityAnswered(bool registered, const QString &registrar)
    {
        if (!waitingForAvailability)
            return;
        waitingForAvailability = false;
        reached = true;
        const QString name = shownName(request.name);
        if (registered && request.action == NetworkCheckRequest::Action::New)
            add(-1, request.nameField,
                registrar.isEmpty() ? QStringLiteral("%1 is already registered").arg(name)
                                    : QStringLiteral("%1 is already registered (registrar: %2)").arg(name, registrar));
        else if (!registered && request.action != NetworkCheckRequest::Action::New)
            add(-1, request.nameField, QStringLiteral("%1 is not registered").arg(name));
        settle();
    }
    void availabilityFailed(const QString &text)
    {
        if (!waitingForAvailability)
            return;
        waitingForAvailability = false;
        add(-1, request.nameField,
            QStringLiteral("Whether %1 is registered could not be asked: %2").arg(shownName(request.name), text), true,
            true);
        settle();
    }

    void checkNameServers()
    {
        if (ascii.isEmpty())
            return;
        for (const NetworkCheckRequest::NameServer &ns : request.nameServers)
            if (const QString ascii = asciiOf(ns.name); !ascii.isEmpty())
                servers.push_back(Server{ns, ascii, {}});
        for (size_t i = 0; i < servers.size(); ++i) {
            const Server &s = servers[i];
            const QHostAddress given(s.entry.address);
            if (!given.isNull())
                askServer(i, given);
            // A server inside the domain is asked at its glue alone.
            if (!given.isNull() && inside(s.ascii, ascii))
                continue;
            const QString name = shownName(s.entry.name);
            const int order = int(i) * 10;
            const int question =
                given.isNull() ? ask(order, s.entry.field, QStringLiteral("%1 resolves to an address").arg(name))
                               : ask(order, s.entry.addressField,
                                     QStringLiteral("%1 has address %2").arg(name, s.entry.address));
            dns->resolveAddresses(s.ascii, [this, i, given, order, name, question](const DnsAsker::Resolution &r) {
                answered(question);
                const NetworkCheckRequest::NameServer &entry = servers[i].entry;
                if (r.answered && r.alias) // RFC 2181 10.3
                    return add(order, entry.field,
                               QStringLiteral("%1 is an alias (CNAME); a name server's name must not be one").arg(name));
                if (!r.answered)
                    add(order, entry.field, QStringLiteral("%1 could not be resolved: %2").arg(name, r.failure));
                else if (r.addresses.isEmpty())
                    add(order, entry.field, QStringLiteral("%1 does not resolve to an address").arg(name));
                else if (!given.isNull() && !r.addresses.contains(given))
                    add(order, entry.addressField,
                        QStringLiteral("%1 resolves to %2, not %3").arg(name, addressList(r.addresses), entry.address));
                // Every address the name has is one the server is reached at.
                if (given.isNull() || r.addresses.contains(given))
                    for (const QHostAddress &a : r.addresses)
                        askServer(i, a);
            });
        }
    }

    void askServer(size_t i, const QHostAddress &address)
    {
        Server &s = servers[i];
        for (const Address &a : s.at)
            if (a.address == address)
                return;
        const size_t j = s.at.size();
        s.at.push_back(Address{address, 0, {}, {}, {}, false});
        const QString domain = shownName(request.name);
        const int question = ask(int(i) * 10 + 1, s.entry.field,
                                 QStringLiteral("%1 (%2) serves %3")
                                     .arg(shownName(s.entry.name), address.toString(), domain));
        using T = DnsExchange::Transport;
        auto keep = [this, i, j, question](std::optional<DnsExchange::Result> Address::*slot) {
            return [this, i, j, slot, question](const DnsExchange::Result &r) {
                Address &a = servers[i].at[j];
                a.*slot = r;
                if (++a.done == 3) {
                    answered(question);
                    judgeServer(i, j);
                }
            };
        };
        dns->ask(address, ascii, DnsType::Soa, T::Udp, false, keep(&Address::soa));
        dns->ask(address, ascii, DnsType::Ns, T::Udp, false, keep(&Address::ns));
        dns->ask(address, ascii, DnsType::Soa, T::Tcp, false, keep(&Address::tcp));
    }

    static bool authoritative(const DnsExchange::Result &r, DnsType type)
    {
        return r.outcome == DnsExchange::Outcome::Reply && r.reply.authoritative && r.reply.rcode == 0 &&
               (type == DnsType::Soa ? r.reply.serial.has_value() : !r.reply.names.isEmpty());
    }

    // What a server's three answers at one address come to; one problem for
    // a server that does not serve the domain there, however many of its answers show it.
    void judgeServer(size_t i, size_t j)
    {
        Address &at = servers[i].at[j];
        const NetworkCheckRequest::NameServer &entry = servers[i].entry;
        const int order = int(i) * 10 + 1;
        const QString label = QStringLiteral("%1 (%2)").arg(shownName(entry.name), at.address.toString());
        const QString domain = shownName(request.name);
        using O = DnsExchange::Outcome;
        const auto unanswered = [](const DnsExchange::Result &r) {
            return r.outcome == O::Silent || r.outcome == O::Refused;
        };
        if (unanswered(*at.soa) && unanswered(*at.ns) && at.tcp->outcome == O::Refused)
            return add(order, entry.field, QStringLiteral("%1 does not answer on port 53").arg(label));
        for (const auto &[result, type] : {std::pair{*at.soa, DnsType::Soa}, std::pair{*at.ns, DnsType::Ns}}) {
            switch (result.outcome) {
            case O::Silent:
                return add(order, entry.field,
                           QStringLiteral("%1 did not answer within %2").arg(label, secondsText(limits.queryMs)));
            case O::Refused: // at once: the port's ICMP error
                return add(order, entry.field, QStringLiteral("%1 does not answer over UDP").arg(label));
            case O::NoTcp:
                return add(order, entry.field, QStringLiteral("%1 does not answer over TCP for %2").arg(label, domain));
            case O::Malformed:
                return add(order, entry.field, QStringLiteral("%1 sent a malformed answer for %2").arg(label, domain));
            case O::OtherName:
                return add(order, entry.field,
                           QStringLiteral("%1 answered for another name than %2").arg(label, domain));
            case O::Reply:
                if (!authoritative(result, type))
                    return add(order, entry.field,
                               QStringLiteral("%1 does not answer authoritatively for %2").arg(label, domain));
                break;
            }
        }
        at.serves = true;
        if (!authoritative(*at.tcp, DnsType::Soa))
            add(order + 1, entry.field, QStringLiteral("%1 does not answer over TCP for %2").arg(label, domain));
    }

    static const Address *serving(const Server &s)
    {
        for (const Address &a : s.at)
            if (a.serves)
                return &a;
        return nullptr;
    }

    // Two listed servers on one address are one server (Zonemaster's SAME_IP_ADDRESS).
    void compareAddresses()
    {
        for (size_t i = 0; i < servers.size(); ++i)
            for (const Address &a : servers[i].at)
                for (size_t k = 0; k < i; ++k)
                    if (std::any_of(servers[k].at.begin(), servers[k].at.end(),
                                    [&a](const Address &b) { return b.address == a.address; })) {
                        add(int(i) * 10, servers[i].entry.addressField,
                            QStringLiteral("%1 and %2 have the same address %3")
                                .arg(shownName(servers[k].entry.name), shownName(servers[i].entry.name),
                                     a.address.toString()));
                        break;
                    }
    }

    // A server missing from the NS sets is named once, at the first server in
    // the record's order whose set lacks it.
    void compareNsSets()
    {
        QSet<QString> named;
        for (size_t i = 0; i < servers.size(); ++i) {
            const Address *at = serving(servers[i]);
            if (!at)
                continue;
            for (const Server &other : servers)
                if (!at->ns->reply.names.contains(other.ascii) && !named.contains(other.ascii)) {
                    named.insert(other.ascii);
                    add(int(i) * 10 + 1, other.entry.field,
                        QStringLiteral("the NS set of %1 at %2 does not hold %3")
                            .arg(shownName(request.name), shownName(servers[i].entry.name), shownName(other.entry.name)));
                }
        }
    }

    // Serials that differ are most often a zone transfer under way: worth a
    // look, no reason to refuse (Zonemaster's MULTIPLE_SOA_SERIALS).
    void compareSerials()
    {
        QStringList at;
        std::optional<quint32> first;
        const Server *differs = nullptr;
        for (const Server &s : servers)
            for (const Address &a : s.at) {
                if (!a.soa || !authoritative(*a.soa, DnsType::Soa))
                    continue;
                const quint32 serial = *a.soa->reply.serial;
                if (!first)
                    first = serial;
                else if (!differs && serial != *first)
                    differs = &s;
                const QString text = QStringLiteral("%1 at %2").arg(serial).arg(shownName(s.entry.name));
                if (!at.contains(text))
                    at << text;
            }
        if (differs)
            add(int(servers.size()) * 10, differs->entry.field,
                QStringLiteral("the SOA serials differ: ") + at.join(QLatin1String(", ")), true);
    }

    void checkHost()
    {
        if (ascii.isEmpty())
            return;
        const QString shown = shownName(request.name);
        const int question =
            request.hostAddress.isEmpty()
                ? ask(0, request.nameField, QStringLiteral("%1 resolves to an address").arg(shown))
                : ask(0, request.hostAddressField, QStringLiteral("%1 has address %2").arg(shown, request.hostAddress));
        dns->resolveAddresses(ascii, [this, question](const DnsAsker::Resolution &r) {
            answered(question);
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
        const int question = ask(0, request.mailboxField,
                                 QStringLiteral("%1, the domain of %2, takes mail").arg(shownName(typed), request.mailbox));
        dns->resolve(domain, DnsType::Mx, [this, domain, typed, question](const DnsAsker::Resolution &mx) {
            if (mx.answered && mx.nullMx) {
                answered(question);
                return add(0, request.mailboxField,
                           QStringLiteral("%1, the domain of %2, accepts no mail (null MX)")
                               .arg(shownName(typed), request.mailbox));
            }
            if (mx.answered && !mx.names.isEmpty())
                return answered(question);
            // Mail goes to the domain's own address when it names no mail server.
            dns->resolveAddresses(domain, [this, mx, typed, question](const DnsAsker::Resolution &r) {
                answered(question);
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
            compareAddresses();
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

    // A question left open is something not checked: an error for DNS,
    // whose answers decide, a warning for the registry, as when it fails.
    void timeUp()
    {
        const QString limit = secondsText(limits.wholeMs);
        for (const auto &[question, o] : open)
            add(o.order, o.field,
                QStringLiteral("Whether %1 could not be checked: no answer within %2").arg(o.what, limit), false, true);
        if (waitingForAvailability)
            add(-1, request.nameField,
                QStringLiteral("Whether %1 is registered could not be asked: no answer within %2")
                    .arg(shownName(request.name), limit),
                true, true);
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
    m_state->whole.setTimerType(Qt::PreciseTimer);
    connect(&m_state->whole, &QTimer::timeout, this, [this] { m_state->timeUp(); });
    if (RegistrationLookup *lookup = m_state->availability.get()) {
        connect(lookup, &RegistrationLookup::answered, this,
                [this](bool registered, const QString &registrar) { m_state->availabilityAnswered(registered, registrar); });
        connect(lookup, &RegistrationLookup::failed, this, [this](const QString &text) { m_state->availabilityFailed(text); });
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

bool NetworkCheck::reachedNetwork() const
{
    return m_state->reached || m_state->dns->reached() || (m_state->opened == 0 && !m_state->askedAvailability);
}
