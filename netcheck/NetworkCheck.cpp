// The runner of the network check: starts each module, passes what one
// finds to the others, ends the run when every answer is in or the whole
// limit is up, and turns the modules' tagged messages into problems.
#include "NetworkCheck.h"

#include "CheckModule.h"
#include "CheckRun.h"
#include "DnsAsker.h"
#include "LookUpText.h"

#include <QTimer>
#include <algorithm>
#include <functional>

namespace {

// The runner's own message: a DNS question the whole limit cut off. An error,
// since DNS answers decide whether the registry accepts the record.
enum Tag { Unchecked };
const std::vector<MessageDef> kMessages = {
    {Unchecked, Severity::Error, "Whether %1 could not be checked: no answer within %2"},
};

} // namespace

struct NetworkCheck::State {
    NetworkCheck *q;
    std::unique_ptr<RegistrationLookup> availability;
    NetworkCheckLimits limits;
    QTimer whole;
    DnsAsker *dns = nullptr;
    std::vector<std::unique_ptr<CheckModule>> modules;
    std::unique_ptr<CheckRun> run;
    bool running = false;
    bool starting = false;
    quint64 generation = 0; // which start() the answers belong to

    // Emitted from the event loop, so that a slot may cancel or restart freely.
    void post(std::function<void()> f)
    {
        const quint64 g = generation;
        QMetaObject::invokeMethod(
            q, [this, g, f = std::move(f)] {
                if (running && generation == g)
                    f();
            },
            Qt::QueuedConnection);
    }

    void start(const NetworkCheckRequest &request)
    {
        dns->begin();
        run = std::make_unique<CheckRun>(request, *dns, limits);
        run->say = [this](const QString &text) { post([this, text] { emit q->progress(text); }); };
        run->addressFound = [this](size_t i, const QHostAddress &a) {
            for (const auto &m : modules)
                m->addressFound(*run, i, a);
        };
        run->settle = [this] { settle(); };
        if (request.kind == RecordKind::Domain && request.action != NetworkCheckRequest::Action::Delete &&
            !run->ascii.isEmpty())
            for (const NetworkCheckRequest::NameServer &ns : request.nameServers)
                if (const QString ascii = asciiOf(ns.name); !ascii.isEmpty())
                    run->servers.push_back(CheckedServer{ns, ascii, {}});
        running = true;
        whole.start(limits.wholeMs);
        starting = true;
        for (const auto &m : modules)
            m->start(*run);
        starting = false;
        settle();
    }

    // The end once nothing is outstanding.
    void settle()
    {
        if (!running || starting || dns->outstanding() > 0)
            return;
        if (std::none_of(modules.begin(), modules.end(), [](const auto &m) { return m->waiting(); }))
            finish(false);
    }

    // Ends every question of the run; their late answers find the run over.
    void silence()
    {
        dns->stop();
        whole.stop();
        for (const auto &m : modules)
            m->stop();
    }

    void stop()
    {
        ++generation;
        running = false;
        silence();
    }

    void finish(bool cutShort)
    {
        if (cutShort)
            for (const auto &[question, o] : run->open())
                run->report(nullptr, o.subject, Unchecked, o.field, {o.what, secondsText(limits.wholeMs)}, true);
        for (const auto &m : modules)
            m->conclude(*run, cutShort);
        silence();
        const RegistrationProblems problems = problemsOf(run->messages);
        // Still running until the result is out, so that a cancel before then keeps it in.
        const quint64 g = ++generation;
        QMetaObject::invokeMethod(
            q, [this, g, problems] {
                if (generation != g)
                    return;
                running = false;
                emit q->finished(problems);
            },
            Qt::QueuedConnection);
    }

    // By what a message concerns, then by module, then in its table's order.
    RegistrationProblems problemsOf(std::vector<CheckRun::Message> messages) const
    {
        const auto rank = [this](const CheckRun::Message &m) {
            const auto found = std::find_if(modules.begin(), modules.end(), [&m](const auto &p) { return p.get() == m.module; });
            const std::vector<MessageDef> &table = m.module ? m.module->messages() : kMessages;
            const auto row = std::find_if(table.begin(), table.end(), [&m](const MessageDef &d) { return d.tag == m.tag; });
            return std::tuple{m.subject, found - modules.begin(), row - table.begin()};
        };
        std::stable_sort(messages.begin(), messages.end(), [&rank](const auto &a, const auto &b) { return rank(a) < rank(b); });
        RegistrationProblems problems;
        for (const CheckRun::Message &m : messages) {
            const std::vector<MessageDef> &table = m.module ? m.module->messages() : kMessages;
            const auto row = std::find_if(table.begin(), table.end(), [&m](const MessageDef &d) { return d.tag == m.tag; });
            const RegistrationProblem p{m.field, fillIn(QString::fromUtf8(row->text), m.args), true,
                                        row->severity == Severity::Warning, m.unchecked};
            if (!problems.contains(p))
                problems << p;
        }
        return problems;
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
    // A coarse timer may fire 5 % early.
    m_state->whole.setTimerType(Qt::PreciseTimer);
    connect(&m_state->whole, &QTimer::timeout, this, [this] { m_state->finish(true); });
    auto &modules = m_state->modules;
    modules.push_back(makeAvailabilityModule(m_state->availability.get()));
    modules.push_back(makeNameServerNamesModule());
    modules.push_back(makeNameServerAnswersModule());
    modules.push_back(makeNsSetModule());
    modules.push_back(makeSerialsModule());
    modules.push_back(makeHostAddressModule());
    modules.push_back(makeMailDomainModule());
}

NetworkCheck::~NetworkCheck()
{
    m_state->stop();
    // The modules go before the look-up whose signals reach them.
    m_state->modules.clear();
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
    const CheckRun *run = m_state->run.get();
    return !run || run->reachedNetwork || m_state->dns->reached() || (!run->askedAny() && !run->askedNetwork);
}
