// The C library's calls with a resolver that answers a few test names on its
// own: each resolver failure on demand, and a slow answer.
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <netdb.h>
#include <thread>

namespace {

struct Answer {
    const char *name;
    int result;
};

constexpr Answer Answers[] = {
    {"noname.test", EAI_NONAME},
    {"again.test", EAI_AGAIN},
    {"fail.test", EAI_FAIL},
    {"nodata.test", EAI_NODATA},
};

using GetAddrInfoFn = int (*)(const char *, const char *, const addrinfo *, addrinfo **);

} // namespace

extern "C" int getaddrinfo(const char *node, const char *service, const addrinfo *hints, addrinfo **res)
{
    for (const Answer &a : Answers) {
        if (node && std::strcmp(node, a.name) == 0)
            return a.result;
    }
    const auto real = reinterpret_cast<GetAddrInfoFn>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (node && std::strcmp(node, "slow.test") == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return real("127.0.0.3", service, hints, res);
    }
    return real(node, service, hints, res);
}
