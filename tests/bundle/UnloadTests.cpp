#include "support/ConcurrencyTests.h"
#include "support/JuceAssertions.h"
#include "support/MessagePump.h"
#include "support/RequestStalls.h"
#include "support/ThreadCensus.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace
{
using echovane::testing::pumpFor;
using echovane::testing::pumpUntil;
using echovane::testing::RequestStall;
using echovane::testing::StallStage;

/** The bare VST3 host (tests/foreign) as a child process, its output collected as it comes. */
class BareHostRun
{
public:
    explicit BareHostRun (const juce::StringArray& args)
    {
        juce::StringArray command{ ECHOVANE_BARE_HOST_PATH };
        command.addArray (args);
        started = process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);

        if (started)
            reader = echovane::testing::startPlumbingThread ([this]
                                                             {
                                      // A byte at a time: JUCE's read waits until it has all it asked for,
                                      // and each line must arrive as soon as it is written.
                                      for (;;)
                                      {
                                          char byte = 0;

                                          if (process.readProcessOutput (&byte, 1) != 1)
                                              break;

                                          const std::lock_guard<std::mutex> guard (outputLock);
                                          output += juce::String::fromUTF8 (&byte, 1);
                                      } });
    }

    ~BareHostRun()
    {
        if (started && ! process.waitForProcessToFinish (40000))
            process.kill();

        if (reader.joinable())
            reader.join();
    }

    bool isStarted() const { return started; }

    juce::String getOutput()
    {
        const std::lock_guard<std::mutex> guard (outputLock);
        return output;
    }

    bool waitForLine (const juce::String& start, int timeoutMs)
    {
        return pumpUntil ([this, start]
                          { return lineStartingWith (start).isNotEmpty(); },
                          timeoutMs);
    }

    juce::String lineStartingWith (const juce::String& start)
    {
        for (const auto& line : juce::StringArray::fromLines (getOutput()))
            if (line.startsWith (start))
                return line;

        return {};
    }

    /** The milliseconds a "<step> in N ms" line gives. */
    double millisecondsOf (const juce::String& step)
    {
        return lineStartingWith (step + " in ").fromFirstOccurrenceOf (" in ", false, false).getDoubleValue();
    }

    /** Waits for the end, then the whole output. */
    juce::String finish()
    {
        process.waitForProcessToFinish (40000);

        if (reader.joinable())
            reader.join();

        return getOutput();
    }

private:
    juce::ChildProcess process;
    bool started = false;
    std::mutex outputLock;
    juce::String output;
    std::thread reader;
};

class UnloadingRightAfterClosing : public ::testing::TestWithParam<StallStage>
{
};

// A host closes the editor while the plug-in's update request hangs, lets go of the plug-in
// and unloads its module at once. The plug-in's shut-down waits for its check, so nothing of the
// module runs once it is gone; a check left running would crash the host when its request ends
// in code that is no longer there.
CONCURRENCY_TEST_P (UnloadingRightAfterClosing, LeavesNoCodeOfTheModuleRunning)
{
    RequestStall stall (GetParam());
    ASSERT_TRUE (stall.isReady());

    // The stall's own address is on loopback; only its port (or name server) matters here.
    const auto target = juce::URL (juce::String (stall.address()));
    const auto how = GetParam() == StallStage::nameLookup ? "--name-server" : "--loopback";
    const auto port = GetParam() == StallStage::nameLookup ? stall.nameServerPort() : target.getPort();

    const juce::TemporaryFile go;
    BareHostRun host ({ ECHOVANE_VST3_BINARY_FILE, go.getFile().getFullPathName(), how, juce::String (port) });
    ASSERT_TRUE (host.isStarted());

    ASSERT_TRUE (pumpUntil ([&stall]
                            { return stall.holdsARequest(); },
                            20000))
        << host.getOutput();
    ASSERT_TRUE (go.getFile().create());
    ASSERT_TRUE (host.waitForLine ("closed", 20000)) << host.getOutput();

    // The server gives up a while after the host has begun letting go.
    pumpFor (500);
    stall.release();

    const auto output = echovane::testing::withoutToleratedReports (host.finish(), "the bare VST3 host");
    std::cout << output;

    EXPECT_LT (host.millisecondsOf ("closed"), echovane::testing::closingBoundMs);
    EXPECT_TRUE (output.contains ("\nunmapped\n")) << "the module must really be unloaded for this test to mean anything";
    EXPECT_TRUE (output.contains ("\nsurvived\n")) << "the host died after unloading the module";

    // The wait for the check fell to the letting go (or the unloading), not to the closing.
    EXPECT_GE (host.millisecondsOf ("released") + host.millisecondsOf ("unloaded"), 400.0);
}

INSTANTIATE_TEST_SUITE_P (Stages,
                          UnloadingRightAfterClosing,
                          ::testing::Values (StallStage::nameLookup, StallStage::connection, StallStage::tlsHandshake),
                          [] (const auto& testInfo)
                          { return std::string (nameOf (testInfo.param)); });
} // namespace
