#include "BundleFixture.h"
#include "Commands.h"
#include "HostToolRun.h"

namespace
{
using echovane::testing::expectRefusals;
using echovane::testing::runHost;

class HostCommandLine : public ::testing::Test
{
protected:
    const juce::String bundle = echovane::testing::builtBundle().getFullPathName();
    const juce::TemporaryFile stateFile{ ".state" };
};

TEST_F (HostCommandLine, BadInputGetsOneLineAndAnExitCode)
{
    const auto file = stateFile.getFile().getFullPathName();
    expectRefusals ({
        { {}, 2, "usage: echovane-host COMMAND" },
        { { "bogus" }, 2, "unknown command 'bogus'" },
        { { "info" }, 2, "too few arguments" },
        { { "info", "/nonexistent/Echovane.vst3" }, 2, "no plug-in bundle at '/nonexistent/Echovane.vst3'" },
        { { "info", bundle, "extra" }, 2, "unexpected argument 'extra'" },
        { { "info", "--bogus", bundle }, 2, "unknown option --bogus" },
        { { "info", juce::File::getSpecialLocation (juce::File::tempDirectory).getFullPathName() }, 1, "is not a VST3 bundle" },
        { { "state" }, 2, "state needs 'save' or 'load'" },
        { { "state", "frobnicate" }, 2, "unknown state action 'frobnicate'" },
        { { "state", "save", bundle, file, "--set", "Nope=1" }, 2, "no parameter 'Nope'" },
        { { "state", "save", bundle, file, "--set", "Mix=abc" }, 2, "'abc' is not a number" },
        { { "state", "save", bundle, file, "--set", "Mix=1.5" }, 2, "outside 0 to 1" },
        { { "state", "save", bundle, file, "--set", "=0.5" }, 2, "expects ID=VALUE" },
        { { "state", "save", bundle, file, "--set" }, 2, "needs a value" },
        { { "state", "load", bundle, "/nonexistent/song.state" }, 2, "cannot read state file" },
    });
}

TEST_F (HostCommandLine, EverySubCommandExplainsItself)
{
    const auto overview = runHost ({ "--help" });
    EXPECT_EQ (overview.exitCode, 0);

    for (const auto& command : echovane::host::allCommands())
    {
        const auto run = runHost ({ command.name, "--help" });
        EXPECT_EQ (run.exitCode, 0) << command.name;
        EXPECT_TRUE (run.output.startsWith (juce::String ("usage: echovane-host ") + command.name)) << run.output;
        EXPECT_TRUE (overview.output.contains (juce::String ("  ") + command.name)) << overview.output;
    }

    for (const auto* expected : { "info", "state", "render", "snapshot", "open" })
        EXPECT_TRUE (overview.output.contains (expected)) << expected;
}

TEST_F (HostCommandLine, InfoListsTheBundleAndItsParameters)
{
    const auto run = runHost ({ "info", bundle });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    for (const auto* line : { "name: Kestrin Studio Echovane", "vendor: Kestrin Studio Ltd.", "version: 1.0.0",
                              "input bus: \"Input\" Stereo (2 channels)", "output bus: \"Output\" Stereo (2 channels)",
                              "latency: ", "parameters: 14" })
        EXPECT_TRUE (run.output.contains (line)) << line << "\n"
                                                 << run.output;

    EXPECT_TRUE (run.output.contains ("Feedback       default 0.2200000  value 0.2200000  \"0.22\"")) << run.output;
    EXPECT_TRUE (run.output.contains ("MS             default 0.1000000  value 0.1000000  \"0.1000000\"")) << run.output;
}

TEST_F (HostCommandLine, SavedStateFileHoldsThePluginsBytesAndLoadsBack)
{
    const auto file = stateFile.getFile();
    const auto saved = runHost ({ "state", "save", bundle, file.getFullPathName(), "--set", "Mix=0.3", "--set", "TempoChanger=1" });
    ASSERT_EQ (saved.exitCode, 0) << saved.output;

    juce::MemoryBlock bytes;
    ASSERT_TRUE (file.loadFileAsData (bytes));
    EXPECT_EQ (juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()), 4), "VC2!");
    EXPECT_TRUE (echovane::testing::endsWithJuceTrailer (bytes));
    const auto element = juce::AudioProcessor::getXmlFromBinary (bytes.getData(), static_cast<int> (bytes.getSize()));
    ASSERT_NE (element, nullptr);
    EXPECT_NEAR (element->getDoubleAttribute ("Mix"), 0.3, 1.0e-7);
    EXPECT_EQ (element->getStringAttribute ("TempoChanger"), "1.0");

    const auto loaded = runHost ({ "state", "load", bundle, file.getFullPathName() });
    ASSERT_EQ (loaded.exitCode, 0) << loaded.output;
    EXPECT_TRUE (loaded.output.contains ("Mix            default 0.5000000  value 0.3000000  \"0.30\"")) << loaded.output;
    EXPECT_TRUE (loaded.output.contains ("TempoChanger   default 0.0000000  value 1.0000000  \"On\"")) << loaded.output;
}
} // namespace
