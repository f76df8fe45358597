#include "support/ConcurrencyTests.h"
#include "support/JuceAssertions.h"
#include "support/TestResolver.h"
#include "support/ThreadCensus.h"

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace
{
/** In a Debug build JUCE's assertions are written to the current logger (JUCE_LOG_ASSERTIONS);
    left alone they only log, or break into a debugger when one is attached. Here each one fails
    the test that hit it, and one hit after the tests (a leak found at shutdown) fails the run;
    only those listed as unavoidable in support/tolerated-juce-assertions.txt pass, marked. */
class AssertionTrap final : public juce::Logger
{
public:
    void logMessage (const juce::String& message) override
    {
        std::fprintf (stderr, "%s\n", echovane::testing::describeReport (message).toRawUTF8());

        if (! echovane::testing::isJuceAssertionReport (message) || echovane::testing::toleratedReason (message).isNotEmpty())
            return;

        if (::testing::UnitTest::GetInstance()->current_test_info() != nullptr)
        {
            ADD_FAILURE() << message;
            return;
        }

        std::fflush (stderr);
        std::_Exit (EXIT_FAILURE);
    }
};

/** For CTest's labels: the tests declared as ones where threads meet, one full name a line. A
    declaration that names no test is a mistake, which fails the listing. */
int listConcurrencyTests()
{
    std::vector<std::string> unmatched;

    for (const auto& name : echovane::testing::concurrencyTestNames (unmatched))
        std::cout << name << "\n";

    for (const auto& declaration : unmatched)
        std::cerr << "declared as a test where threads meet, but no such test: " << declaration << "\n";

    return unmatched.empty() ? EXIT_SUCCESS : EXIT_FAILURE;
}
} // namespace

// JUCE wants a message thread and its singletons before any processor, editor or hosted
// plug-in exists; the test runner's main thread is that message thread.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);

    if (argc > 1 && std::strcmp (argv[1], "--list-concurrency-tests") == 0)
        return listConcurrencyTests();

    echovane::testing::failUndeclaredThreadStarts();

    // Never deleted: JUCE's leak detectors report after main returns, and must still reach it.
    juce::Logger::setCurrentLogger (new AssertionTrap());

    // The plug-in's update check never leaves the machine: refused at once unless a test serves it.
    echovane::testing::TestResolver::refuse (echovane::testing::TestResolver::makersHost());

    int result = 0;

    {
        const juce::ScopedJuceInitialiser_GUI juceInitialiser;
        result = RUN_ALL_TESTS();
    }

    // JUCE's wait for a thread ends when the thread has left JUCE's code, not the system's: the
    // C library may still be running its exit (OpenSSL's cleanup of the thread's state among
    // it). Letting every thread finish leaving keeps the process's own exit handlers, which
    // clean up the same state, from running at the same moment.
    const auto giveUpAt = juce::Time::getMillisecondCounter() + 2000;

    while (echovane::testing::threadsInProcess() > 1 && juce::Time::getMillisecondCounter() < giveUpAt)
        juce::Thread::sleep (1);

    return result;
}
