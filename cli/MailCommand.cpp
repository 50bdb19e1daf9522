#include "CliFailure.h"
#include "Command.h"
int runMail(const Invocation &) { throw CliFailure{ExitStatus::Failure, QStringLiteral("mail: not yet")}; }
