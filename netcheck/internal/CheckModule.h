#pragma once
// One check of the network check, in the manner of a test module: it asks
// its questions through the run, and reports tagged messages (tag, field,
// arguments) whose severity and wording its own table gives, in the order the
// table declares. Adding a check is one module and its table.
#include <QHostAddress>
#include <QString>
#include <memory>
#include <vector>

class CheckRun;
class RegistrationLookup;

enum class Severity { Warning, Error };

// A row of a module's table: the text takes the message's arguments as %1, %2, ...
struct MessageDef {
    int tag;
    Severity severity;
    const char *text;
};

class CheckModule {
public:
    virtual ~CheckModule() = default;
    // Its messages, in the order they are listed for one subject.
    virtual const std::vector<MessageDef> &messages() const = 0;
    // Asks its questions for the run's request.
    virtual void start(CheckRun &run) = 0;
    // A name server's address became known: the record's, or the resolver's.
    virtual void addressFound(CheckRun &, size_t /*server*/, const QHostAddress &) {}
    // Still waiting for something that is not a DNS question.
    virtual bool waiting() const { return false; }
    // Every answer is in, or the whole limit ended the run (`cutShort`).
    virtual void conclude(CheckRun &, bool /*cutShort*/) {}
    // Ends what it waits for; nothing more is reported.
    virtual void stop() {}
};

// The modules, in the order their messages are listed for one subject.
std::unique_ptr<CheckModule> makeAvailabilityModule(RegistrationLookup *lookup);
std::unique_ptr<CheckModule> makeNameServerNamesModule();
std::unique_ptr<CheckModule> makeNameServerAnswersModule();
std::unique_ptr<CheckModule> makeNsSetModule();
std::unique_ptr<CheckModule> makeSerialsModule();
std::unique_ptr<CheckModule> makeHostAddressModule();
std::unique_ptr<CheckModule> makeMailDomainModule();
