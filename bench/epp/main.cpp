// bench_epp [commands=200]: one session with the scripted registry (TLS on
// loopback): COMMANDS domain checks, then COMMANDS domain creates, each
// answered before the next goes. Prints wall time and our CPU per command;
// then the CPU and peak memory a hostile registry costs us (a 4 GB length,
// a DOCTYPE, a frame cut short), each ending in its one line.
#include "EppFrames.h"
#include "EppJob.h"
#include "EppJobs.h"
#include "EppRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// Checks, then creates, through the job's own command path.
class Burst : public EppJob {
public:
    Burst(EppSettings settings, int count) : EppJob(std::move(settings)), m_count(count) {}
    double cpuAtLogin = 0;

protected:
    void loggedIn() override
    {
        cpuAtLogin = cpuSeconds();
        next(0);
    }

private:
    void next(int i)
    {
        if (i == 2 * m_count)
            return finishSession();
        const QString name = QStringLiteral("bench%1.example").arg(i % m_count);
        const bool create = i >= m_count;
        const QByteArray frame = create ? EppFrames::createDomain({name, {}, {}, QStringLiteral("REG1"), {}, QStringLiteral("pw-123")}, nextClTrid())
                                        : EppFrames::check(EppObject::Domain, {name}, nextClTrid());
        command({create ? EppStep::Stage::Creating : EppStep::Stage::Checking, EppObject::Domain, name, {}, {}, {}}, frame,
                [this, i](const EppResponse &) { next(i + 1); });
    }
    int m_count;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    EppRegistry registry({}, QJsonDocument::fromJson(R"({"contacts": {"REG1": {"postal": {"type": "int", "name": "R",
        "street": [], "city": "X", "cc": "US"}, "email": "r@example.com", "pw": "p"}}})").object());
    if (!registry.Start()) {
        std::fprintf(stderr, "registry: %s\n", qPrintable(registry.ErrorText()));
        return 1;
    }
    EppSettings settings;
    settings.server = registry.Server();
    settings.clientId = QStringLiteral("zandolet");
    settings.password = QStringLiteral("secret-pw");
    settings.extraCa = registry.Authority();
    Burst job(settings, count);
    EppOutcome outcome;
    QEventLoop loop;
    QObject::connect(&job, &EppJob::finished, [&](const EppOutcome &o) {
        outcome = o;
        loop.quit();
    });
    QElapsedTimer wall;
    wall.start();
    job.start();
    loop.exec();
    const double cpu = cpuSeconds() - job.cpuAtLogin;
    const double seconds = double(wall.elapsed()) / 1000;
    if (!outcome.succeeded()) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.text()));
        return 1;
    }
    std::printf("%d checks and %d creates over one session: %.2f s wall, our CPU %.3f ms a command (target: under 1 ms)\n",
                count, count, seconds, cpu * 1000 / (2 * count));
    for (const char *mode : {"huge", "doctype", "cut"}) {
        EppRegistry hostile(QString::fromLatin1(mode));
        if (!hostile.Start())
            return 1;
        settings.server = hostile.Server();
        settings.extraCa = hostile.Authority();
        EppHelloJob hello(settings);
        QObject::connect(&hello, &EppJob::finished, [&](const EppOutcome &o) {
            outcome = o;
            loop.quit();
        });
        const double before = cpuSeconds();
        hello.start();
        loop.exec();
        rusage use{};
        getrusage(RUSAGE_SELF, &use);
        std::printf("hostile registry (%s): our CPU %.1f ms, peak memory %ld MB (targets: 1 s, 50 MB): %s\n", mode,
                    (cpuSeconds() - before) * 1000, use.ru_maxrss / 1024, qPrintable(outcome.text()));
    }
    return 0;
}
