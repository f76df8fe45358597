#include "TestResolver.h"

#include "info/WebAddresses.h"

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <resolv.h>
#include <sys/socket.h>

#include <map>
#include <mutex>

namespace
{
struct Rule
{
    enum class Kind
    {
        loopback,
        nameServer
    };

    Kind kind;
    int port;
    int timeoutSeconds;
    int lookups;
};

/** The rules, shared by the test's thread and every thread that looks a name up. */
struct Rules
{
    std::mutex lock;
    std::map<std::string, Rule> byName;
};

Rules& rules()
{
    static Rules shared;
    return shared;
}

using GetAddrInfo = int (*) (const char*, const char*, const addrinfo*, addrinfo**);

GetAddrInfo systemGetAddrInfo()
{
    static const auto next = reinterpret_cast<GetAddrInfo> (dlsym (RTLD_NEXT, "getaddrinfo"));
    return next;
}

/** One query for `name`, sent by the C library's stub resolver to the name server at `port`,
    waiting as the resolver does. Whatever comes back, the name is not found. */
int askTheNameServer (const char* name, int port, int timeoutSeconds)
{
    struct __res_state state
    {
    };

    if (res_ninit (&state) != 0)
        return EAI_SYSTEM;

    state.nscount = 1;
    state.nsaddr_list[0].sin_family = AF_INET;
    state.nsaddr_list[0].sin_port = htons (static_cast<uint16_t> (port));
    state.nsaddr_list[0].sin_addr.s_addr = htonl (INADDR_LOOPBACK);
    state.retrans = timeoutSeconds;
    state.retry = 1;

    unsigned char answer[512];
    const auto length = res_nquery (&state, name, ns_c_in, ns_t_a, answer, sizeof (answer));
    res_nclose (&state);
    return length < 0 ? EAI_NONAME : EAI_FAIL;
}
} // namespace

namespace echovane::testing
{
void TestResolver::answerWithLoopback (const std::string& name, int port)
{
    const std::lock_guard<std::mutex> guard (rules().lock);
    rules().byName[name] = { Rule::Kind::loopback, port, 0, 0 };
}

void TestResolver::askNameServer (const std::string& name, int udpPort, int timeoutSeconds)
{
    const std::lock_guard<std::mutex> guard (rules().lock);
    rules().byName[name] = { Rule::Kind::nameServer, udpPort, timeoutSeconds, 0 };
}

void TestResolver::refuse (const std::string& name)
{
    // Bound but never listening: the port stays this program's, and every connection to it is
    // refused.
    static const auto refusingPort = []
    {
        const auto reserved = ::socket (AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        socklen_t length = sizeof (address);

        if (reserved < 0 || ::bind (reserved, reinterpret_cast<sockaddr*> (&address), length) != 0
            || ::getsockname (reserved, reinterpret_cast<sockaddr*> (&address), &length) != 0)
            return 1;

        return static_cast<int> (ntohs (address.sin_port));
    }();

    answerWithLoopback (name, refusingPort);
}

std::string TestResolver::makersHost()
{
    return juce::URL (WebAddresses::versionFile).getDomain().toStdString();
}

void TestResolver::forget (const std::string& name)
{
    const std::lock_guard<std::mutex> guard (rules().lock);
    rules().byName.erase (name);
}

int TestResolver::lookupsOf (const std::string& name)
{
    const std::lock_guard<std::mutex> guard (rules().lock);
    const auto found = rules().byName.find (name);
    return found == rules().byName.end() ? 0 : found->second.lookups;
}

//==============================================================================
SilentNameServer::SilentNameServer()
    : juce::Thread ("Silent name server")
{
    if (socket.bindToPort (0, "127.0.0.1"))
        startThread();
}

SilentNameServer::~SilentNameServer()
{
    signalThreadShouldExit();
    waitForThreadToExit (10000);
    socket.shutdown();
}

void SilentNameServer::release()
{
    std::vector<HeldQuery> answerNow;

    {
        const juce::ScopedLock guard (heldLock);
        released = true;
        answerNow.swap (held);
    }

    for (const auto& query : answerNow)
        answer (query);
}

void SilentNameServer::run()
{
    while (! threadShouldExit())
    {
        if (socket.waitUntilReady (true, 20) != 1)
            continue;

        char buffer[1500];
        juce::String host;
        int port = 0;
        const auto got = socket.read (buffer, sizeof (buffer), false, host, port);

        // A query shorter than its header is nobody's.
        if (got < 12)
            continue;

        ++received;
        HeldQuery query{ host, port, juce::MemoryBlock (buffer, static_cast<size_t> (got)) };

        {
            const juce::ScopedLock guard (heldLock);

            if (! released)
            {
                held.push_back (std::move (query));
                continue;
            }
        }

        answer (query);
    }
}

void SilentNameServer::answer (const HeldQuery& query)
{
    // The query sent back as its own answer: same ID and question, marked as a response with
    // recursion available and the code for "no such name".
    auto response = query.query;
    auto* bytes = static_cast<unsigned char*> (response.getData());
    bytes[2] |= 0x80;
    bytes[3] = static_cast<unsigned char> (0x80 | 3);
    socket.write (query.host, query.port, response.getData(), static_cast<int> (response.getSize()));
}
} // namespace echovane::testing

// Found before the C library's getaddrinfo, by libcurl inside the loaded bundle too (the test
// programs export it).
extern "C" int getaddrinfo (const char* __restrict name, const char* __restrict service, const addrinfo* __restrict hints, addrinfo** __restrict result)
{
    if (name != nullptr)
    {
        std::unique_lock<std::mutex> guard (rules().lock);
        const auto found = rules().byName.find (name);

        if (found != rules().byName.end())
        {
            auto rule = found->second;
            ++found->second.lookups;
            guard.unlock();

            if (rule.kind == Rule::Kind::nameServer)
                return askTheNameServer (name, rule.port, rule.timeoutSeconds);

            const auto port = std::to_string (rule.port);
            return systemGetAddrInfo() ("127.0.0.1", port.c_str(), hints, result);
        }
    }

    return systemGetAddrInfo() (name, service, hints, result);
}
