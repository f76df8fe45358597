#include "IsolatedRun.h"
#include "RawVst3Host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace
{
using echovane::rawhost::ChildReport;
using echovane::rawhost::PluginInstance;
using echovane::rawhost::StereoBlock;
using echovane::rawhost::Vst3Module;
using Steinberg::int32;

constexpr double sampleRate = 48000.0;
constexpr int32 announcedBlock = 512;

/** One way a broken host breaks the process contract. */
struct BrokenHost
{
    const char* name;
    /** What the host announces as its largest block in setupProcessing. */
    int32 maxSamplesPerBlock = announcedBlock;
    /** The broken block: its length (the host's buffers hold at least 0 samples of it) and bus
        counts, and whether the bus arrays are missing. Without a broken block, only the setup is
        broken and the blocks that follow are ordinary ones of `announcedBlock` samples. */
    bool sendsBrokenBlock = true;
    int32 numSamples = announcedBlock;
    int32 numInputs = 1;
    int32 numOutputs = 1;
    bool inputsMissing = false;
    bool outputsMissing = false;
};

const BrokenHost brokenHosts[] = {
    { "BlockLongerThanTheLargestAnnounced", announcedBlock, true, 64 * announcedBlock },
    { "NegativeBlockLength", announcedBlock, true, -announcedBlock },
    { "NoInputBusesThoughOneIsCounted", announcedBlock, true, announcedBlock, 1, 1, true, false },
    { "NoOutputBusesThoughOneIsCounted", announcedBlock, true, announcedBlock, 1, 1, false, true },
    { "NegativeInputBusCount", announcedBlock, true, announcedBlock, -1, 1 },
    { "NegativeOutputBusCount", announcedBlock, true, announcedBlock, 1, -1 },
    { "LargestBlockZeroThenOrdinaryBlocks", 0, false },
    { "LargestBlockNegativeThenOrdinaryBlocks", -1, false },
};

// Named in test output by its case, not by its bytes.
[[maybe_unused]] void PrintTo (const BrokenHost& host, std::ostream* stream)
{
    *stream << host.name;
}

class RawHostProcess : public ::testing::TestWithParam<BrokenHost>
{
};

/** The output the host gets back must be sound or silence: never the NaN it held before. */
void expectFiniteOutput (const StereoBlock& block, const std::string& what, ChildReport& report)
{
    if (const auto bad = block.nonFiniteOutputSamples(); bad > 0)
        report.problem (what + ": " + std::to_string (bad) + " output samples are not finite");
}

void sendBrokenBlock (PluginInstance& plugin, const BrokenHost& host, ChildReport& report)
{
    report.step ("the broken block");
    StereoBlock block (std::max (host.numSamples, int32{ 0 }), sampleRate);
    block.fillInputWithImpulse();
    block.poisonOutput();
    block.data.numSamples = host.numSamples;
    block.data.numInputs = host.numInputs;
    block.data.numOutputs = host.numOutputs;

    if (host.inputsMissing)
        block.data.inputs = nullptr;

    if (host.outputsMissing)
        block.data.outputs = nullptr;

    plugin.processor().process (block.data);

    // Whatever the plug-in answers, output buffers the host did hand over must not keep garbage.
    if (! host.outputsMissing && host.numOutputs == 1)
        expectFiniteOutput (block, "the broken block", report);
}

TEST_P (RawHostProcess, BrokenContractIsAnsweredWithoutCrashOrGarbage)
{
    const auto host = GetParam();

    const auto outcome = echovane::rawhost::runIsolated ([&host] (ChildReport& report)
                                                         {
        const Vst3Module module (echovane::rawhost::builtBinary());
        PluginInstance plugin (module);
        plugin.useStereoBuses();
        report.step ("setupProcessing");
        plugin.setupProcessing (sampleRate, host.maxSamplesPerBlock);
        plugin.startProcessing();

        if (host.sendsBrokenBlock)
        {
            // A block by the rules first, so the delay holds echoes when the broken one comes.
            StereoBlock first (announcedBlock, sampleRate);
            first.fillInputWithImpulse();

            if (plugin.processor().process (first.data) != Steinberg::kResultOk)
                report.problem ("a block by the rules was refused before the broken one");

            sendBrokenBlock (plugin, host, report);
        }

        // The host carries on with ordinary blocks; the plug-in must carry on with it.
        for (int i = 0; i < 8; ++i)
        {
            report.step ("ordinary block " + std::to_string (i));
            StereoBlock block (announcedBlock, sampleRate);
            block.fillInputWithImpulse();
            block.poisonOutput();
            const auto result = plugin.processor().process (block.data);

            if (host.sendsBrokenBlock && result != Steinberg::kResultOk)
                report.problem ("an ordinary block after the broken one was refused");

            expectFiniteOutput (block, "ordinary block " + std::to_string (i), report);
        }

        report.step ("shutting down");
        plugin.stopProcessing(); });

    echovane::rawhost::expectCleanOutcome (outcome, host.name);
}

INSTANTIATE_TEST_SUITE_P (ProcessContract, RawHostProcess, ::testing::ValuesIn (brokenHosts),
                          [] (const ::testing::TestParamInfo<BrokenHost>& param)
                          { return std::string (param.param.name); });
} // namespace
