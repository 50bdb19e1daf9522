// Redirect addresses: whatever a server puts in a Location, a target to
// follow is an https URL with a host and no login, and what is shown of it
// holds no control character.
#include "RedirectTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // libcurl hands the address over as a C string.
    const QByteArray bytes = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0').first();
    const RedirectTarget target = RedirectTarget::read(bytes);
    for (const QChar c : target.shown)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            __builtin_trap();
    if (target.kind == RedirectTarget::Kind::Https &&
        (target.url.scheme() != QLatin1String("https") || target.url.host().isEmpty() || !target.url.userInfo().isEmpty()))
        __builtin_trap();
    return 0;
}
