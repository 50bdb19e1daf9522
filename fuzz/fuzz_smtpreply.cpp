// The SMTP reply check on any line: it lets through exactly continuation
// lines, 2xx and 354 answers and refuses everything else with the line as
// its text; and the bound on one reply trips exactly past its limits.
#include "ESocketError.h"
#include "ReplyBound.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QCoreApplication>

namespace {

class Probe : public TmsSMTP {
public:
    using TmsSMTP::CheckReply;
};

bool accepted(const QString &l)
{
    return l.size() >= 4 && (l[3] == QLatin1Char('-') || l[0] == QLatin1Char('2') || l.startsWith(QLatin1String("354")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_smtpreply";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Probe smtp;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ReplyBound bound;
    int lines = 0;
    qint64 total = 0;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString line = QString::fromLatin1(raw);
        bool passed = true;
        try {
            smtp.CheckReply(line);
        } catch (const ESocketError &e) {
            passed = false;
            if (e.Message() != line)
                __builtin_trap();
        }
        if (passed != accepted(line))
            __builtin_trap();
        total += raw.size() + 2;
        ++lines;
        const bool within = lines <= InputLimits::MaxReplyLines && total <= InputLimits::MaxReplyBytes;
        if (bound.add(raw.size() + 2) != within)
            __builtin_trap();
        if (bound.remaining() != InputLimits::MaxReplyBytes - total)
            __builtin_trap();
    }
    return 0;
}
