#include "ConcurrencyTests.h"

#include <juce_core/juce_core.h>

#include <cxxabi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <typeinfo>
#include <utility>

#include <dlfcn.h>
#include <pthread.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ECHOVANE_SANITIZER_OWNS_THREADS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ECHOVANE_SANITIZER_OWNS_THREADS 1
#endif
#endif

#ifndef ECHOVANE_SANITIZER_OWNS_THREADS
#define ECHOVANE_SANITIZER_OWNS_THREADS 0
#endif

namespace echovane::testing
{
namespace
{
std::vector<std::pair<std::string, std::string>>& declarations()
{
    static std::vector<std::pair<std::string, std::string>> declared;
    return declared;
}

bool startsWith (const std::string& text, const std::string& start)
{
    return text.compare (0, start.size(), start) == 0;
}

bool endsWith (const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare (text.size() - end.size(), end.size(), end) == 0;
}

/** Whether a declaration names the test: the suite itself or an instance of it ("Prefix/Suite"),
    the test itself or an instance of it ("Name/Parameter"). */
bool names (const std::pair<std::string, std::string>& declaration, const ::testing::TestInfo& test)
{
    const std::string suite = test.test_suite_name();
    const std::string name = test.name();
    return (suite == declaration.first || endsWith (suite, "/" + declaration.first))
        && (name == declaration.second || startsWith (name, declaration.second + "/"));
}

thread_local int plumbingDepth = 0;

#if ! ECHOVANE_SANITIZER_OWNS_THREADS
// What std::thread and juce::Thread hand pthread_create as the new thread's entry, learnt once
// at start-up; what juce::Thread hands it as the entry's argument is the juce::Thread itself.
std::atomic<bool> learningEntry{ false };
std::atomic<void* (*) (void*)> learntEntry{ nullptr };
std::atomic<void*> learntArgument{ nullptr };
std::atomic<void* (*) (void*)> standardThreadEntry{ nullptr };
std::atomic<void* (*) (void*)> juceThreadEntry{ nullptr };
std::atomic<bool> guarding{ false };

/** Threads of JUCE's own and of the plug-in's own start in many tests without the test having
    asked for a thread (the timer thread, the update check of every editor); they are the code
    under test, not the test's. Every other juce::Thread is one a test or its helpers started. */
bool isJucesOrThePluginsOwn (const juce::Thread& thread)
{
    const auto* mangled = typeid (thread).name();
    int status = 0;
    const std::unique_ptr<char, void (*) (void*)> demangled (abi::__cxa_demangle (mangled, nullptr, nullptr, &status), std::free);
    const std::string name = status == 0 && demangled != nullptr ? demangled.get() : mangled;
    return startsWith (name, "juce::") || name == "UpdateThread";
}

bool isTestThread (void* (*entry) (void*), void* argument)
{
    if (entry == standardThreadEntry.load())
        return true;

    if (entry == juceThreadEntry.load())
        return ! isJucesOrThePluginsOwn (*static_cast<juce::Thread*> (argument));

    return false;
}

void noteThreadStart (void* (*entry) (void*), void* argument)
{
    if (learningEntry)
    {
        learntEntry = entry;
        learntArgument = argument;
        return;
    }

    if (! guarding || plumbingDepth > 0 || ! isTestThread (entry, argument))
        return;

    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();

    if (test == nullptr || isConcurrencyTest (*test))
        return;

    ADD_FAILURE() << "this test starts a thread of its own but is not declared as a test where threads meet: "
                     "write it with CONCURRENCY_TEST, CONCURRENCY_TEST_F or CONCURRENCY_TEST_P "
                     "(tests/support/ConcurrencyTests.h), so that the ThreadSanitizer leg runs it";
}

/** Starts `start` once with the guard learning, and returns the entry it saw. */
template<typename Start>
void* (*learnEntry (Start&& start)) (void*)
{
    learntEntry = nullptr;
    learningEntry = true;
    start();
    learningEntry = false;
    return learntEntry.load();
}

class IdleThread final : public juce::Thread
{
public:
    IdleThread()
        : juce::Thread ("thread-start guard")
    {
    }

    void run() override {}
};
#endif
} // namespace

bool declareConcurrencyTest (const char* suite, const char* name)
{
    declarations().emplace_back (suite, name);
    return true;
}

bool isConcurrencyTest (const ::testing::TestInfo& test)
{
    for (const auto& declaration : declarations())
        if (names (declaration, test))
            return true;

    return false;
}

std::vector<std::string> concurrencyTestNames (std::vector<std::string>& unmatched)
{
    std::vector<std::string> found;
    std::vector<bool> used (declarations().size(), false);
    auto& tests = *::testing::UnitTest::GetInstance();

    for (int s = 0; s < tests.total_test_suite_count(); ++s)
    {
        const auto& suite = *tests.GetTestSuite (s);

        for (int t = 0; t < suite.total_test_count(); ++t)
        {
            const auto& test = *suite.GetTestInfo (t);
            auto declared = false;

            for (size_t d = 0; d < declarations().size(); ++d)
            {
                if (names (declarations()[d], test))
                {
                    used[d] = true;
                    declared = true;
                }
            }

            if (declared)
                found.push_back (std::string (test.test_suite_name()) + "." + test.name());
        }
    }

    for (size_t d = 0; d < declarations().size(); ++d)
        if (! used[d])
            unmatched.push_back (declarations()[d].first + "." + declarations()[d].second);

    return found;
}

void failUndeclaredThreadStarts()
{
#if ! ECHOVANE_SANITIZER_OWNS_THREADS
    standardThreadEntry = learnEntry ([]
                                      { std::thread ([] {}).join(); });

    IdleThread idle;
    juceThreadEntry = learnEntry ([&idle]
                                  { idle.startThread(); });
    idle.stopThread (10000);

    // The guard must not stop working unseen: each kind of start must have reached it, and a
    // juce::Thread must hand over itself, which the guard reads.
    if (standardThreadEntry.load() == nullptr || juceThreadEntry.load() == nullptr || learntArgument.load() != &idle)
    {
        std::fprintf (stderr, "the thread-start guard could not learn how std::thread and juce::Thread start threads\n");
        std::exit (EXIT_FAILURE);
    }

    guarding = true;
#endif
}

TestPlumbingThread::TestPlumbingThread() { ++plumbingDepth; }

TestPlumbingThread::~TestPlumbingThread() { --plumbingDepth; }
} // namespace echovane::testing

#if ! ECHOVANE_SANITIZER_OWNS_THREADS
// Every thread the process starts, the test runner's and a loaded bundle's alike, passes here on
// its way to the C library's pthread_create, which the runner's own definition comes before.
extern "C" int pthread_create (pthread_t* thread, const pthread_attr_t* attributes, void* (*entry) (void*), void* argument) noexcept
{
    using Create = int (*) (pthread_t*, const pthread_attr_t*, void* (*) (void*), void*);
    static const auto create = reinterpret_cast<Create> (dlsym (RTLD_NEXT, "pthread_create"));

    if (create == nullptr)
        std::abort();

    echovane::testing::noteThreadStart (entry, argument);
    return create (thread, attributes, entry, argument);
}
#endif
