#include "CliFailure.h"
#include "Command.h"
int runImport(const Invocation &) { throw CliFailure{ExitStatus::Failure, QStringLiteral("import: not yet")}; }
