#pragma once

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

/** Tests where threads meet: written with these in place of TEST, TEST_F and TEST_P, a test is
    declared as one, and CTest gives it (and every instance of a TEST_P) the label "concurrency",
    which the ThreadSanitizer leg runs. Every test runner asks its tests for the label where they
    are declared, so no list of names decides it; and a test that starts a thread of its own
    without the declaration fails in every leg without a sanitizer (see ConcurrencyTests.cpp), so
    a new one cannot slip past the leg unseen. */
#define CONCURRENCY_TEST(suite, name)                                                                                                         \
    [[maybe_unused]] static const bool concurrencyDeclaration_##suite##_##name = ::echovane::testing::declareConcurrencyTest (#suite, #name); \
    TEST (suite, name)

#define CONCURRENCY_TEST_F(fixture, name)                                                                                                         \
    [[maybe_unused]] static const bool concurrencyDeclaration_##fixture##_##name = ::echovane::testing::declareConcurrencyTest (#fixture, #name); \
    TEST_F (fixture, name)

#define CONCURRENCY_TEST_P(fixture, name)                                                                                                         \
    [[maybe_unused]] static const bool concurrencyDeclaration_##fixture##_##name = ::echovane::testing::declareConcurrencyTest (#fixture, #name); \
    TEST_P (fixture, name)

namespace echovane::testing
{
/** Declares the test `name` of `suite` (for a TEST_P: every instance of it) as one where threads
    meet; the macros above call it. */
bool declareConcurrencyTest (const char* suite, const char* name);

/** Whether a registered test was declared as one where threads meet. */
bool isConcurrencyTest (const ::testing::TestInfo& test);

/** The full names, as CTest knows them, of this runner's tests declared as ones where threads
    meet; `unmatched` gets every declaration that names no registered test. */
std::vector<std::string> concurrencyTestNames (std::vector<std::string>& unmatched);

/** From here on, a test that starts a thread of its own without having been declared fails at
    that point: a std::thread, or a juce::Thread of any class but JUCE's own and the plug-in's
    own (which start in many tests without the test asking: the timer thread, every editor's
    update check), directly or through a helper (the loopback servers). Threads started while a
    TestPlumbingThread lives on the starting thread are exempt. Does nothing in a sanitizer
    build, whose runtime owns thread creation. */
void failUndeclaredThreadStarts();

/** While one lives, threads started on this thread are the test's own plumbing, which no code
    under test runs on and no test data is shared with unguarded (a watchdog, a reader of a child
    process's output); they need no declaration. */
class TestPlumbingThread final
{
public:
    TestPlumbingThread();
    ~TestPlumbingThread();

    TestPlumbingThread (const TestPlumbingThread&) = delete;
    TestPlumbingThread& operator= (const TestPlumbingThread&) = delete;
};

/** Starts `body` on a thread of the test's own plumbing (see TestPlumbingThread). */
template<typename Body>
std::thread startPlumbingThread (Body&& body)
{
    const TestPlumbingThread plumbing;
    return std::thread (std::forward<Body> (body));
}
} // namespace echovane::testing
