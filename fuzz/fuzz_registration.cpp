// Field values as a record file may hold them, through the registration
// check's name, address and mailbox rules: any text gets an answer, and an
// accepted one has the shape the rule promises.
#include "RegistrationSyntax.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    if (hostNameProblem(text, NameRole::Domain).isEmpty() &&
        (text.size() > 253 || text.endsWith(QLatin1Char('.')) || !text.contains(QLatin1Char('.'))))
        __builtin_trap();
    (void)hostNameProblem(text, NameRole::Host);
    if (addressProblem(text).isEmpty() && text.split(QLatin1Char('.')).size() != 4)
        __builtin_trap();
    if (mailboxProblem(text).isEmpty() &&
        (text.size() > 254 || !text.contains(QLatin1Char('@')) || text.contains(QLatin1Char(' '))))
        __builtin_trap();
    return 0;
}
