#pragma once

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

namespace echovane::testing
{
/** Name lookups the way a test wants them, for the plug-in's own requests too (the bundle's
    libcurl included). The test programs carry their own getaddrinfo, found before the C
    library's: a name told to TestResolver is answered as told, every other name goes on to the
    system's resolver untouched. Nothing of this is in the plug-in. */
struct TestResolver
{
    /** Lookups of `name` answer 127.0.0.1 at `port`, whatever port the caller asked for: the
        plug-in's https request for its fixed address then reaches a server on loopback. */
    static void answerWithLoopback (const std::string& name, int port);

    /** Lookups of `name` go as real DNS queries, by the C library's own stub resolver, to the
        name server at `udpPort` on 127.0.0.1, which may take as long as it likes; the resolver
        gives up after `timeoutSeconds`. */
    static void askNameServer (const std::string& name, int udpPort, int timeoutSeconds);

    /** Lookups of `name` answer a port on 127.0.0.1 that refuses every connection at once. */
    static void refuse (const std::string& name);

    /** Lookups of `name` go to the system's resolver again. */
    static void forget (const std::string& name);

    /** How many lookups of `name` have started so far. */
    static int lookupsOf (const std::string& name);

    /** The host of the plug-in's version file. Every test program refuses it unless a test says
        otherwise, so no test ever sends the plug-in's requests into the network. */
    static std::string makersHost();
};

/** A rule for the maker's host for as long as it lives; refused again afterwards. */
struct MakersHostRule
{
    MakersHostRule() = default;
    ~MakersHostRule() { TestResolver::refuse (TestResolver::makersHost()); }

    JUCE_DECLARE_NON_COPYABLE (MakersHostRule)
};

/** A DNS server on a UDP port of 127.0.0.1 that takes every query and answers none, until it is
    released: then it answers every query it holds, and any later one, with "no such name". So a
    name lookup pointed at it hangs for exactly as long as a test wants. */
class SilentNameServer final : private juce::Thread
{
public:
    SilentNameServer();
    ~SilentNameServer() override;

    int getPort() const { return socket.getBoundPort(); }
    int queriesReceived() const { return received.load(); }

    /** Answers what it holds, and from now on answers at once. */
    void release();

private:
    struct HeldQuery
    {
        juce::String host;
        int port;
        juce::MemoryBlock query;
    };

    void run() override;
    void answer (const HeldQuery& held);

    juce::DatagramSocket socket{ false };
    juce::CriticalSection heldLock;
    std::vector<HeldQuery> held;
    std::atomic<bool> released{ false };
    std::atomic<int> received{ 0 };
};
} // namespace echovane::testing
