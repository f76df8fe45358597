#include "engine/PluginProcessor.h"
#include "support/StateBlocks.h"
#include "support/StateFuzz.h"
#include "support/Watchdog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace
{
using namespace echovane::testing::statefuzz;
using echovane::testing::Watchdog;

void restore (OvelanAudioProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}

// Every kind of damage straight into the processor: many more blocks than the host round trip
// allows, each under a watchdog, and every one checked for what it must do.
TEST (StateFuzz, EveryKindOfBlockStraightIntoTheProcessor)
{
    OvelanAudioProcessor processor;

    Seed seed;
    {
        OvelanAudioProcessor source;
        restore (source, echovane::testing::stateBlockWithElement (elementFor (savedValues)));
        source.getStateInformation (seed.saved);
    }

    const auto held = echovane::testing::stateBlockWithElement (elementFor (heldValues));
    restore (processor, held);
    ASSERT_EQ (firstDifference (valuesOf (processor), heldValues), "");

    std::vector<const MutationKind*> kinds;
    for (const auto& kind : mutationKinds())
        if (kind.enabled)
            kinds.push_back (&kind);

    Random random (20250314);
    Watchdog watchdog (std::chrono::seconds (30));
    std::map<std::string, int> applied;
    const auto rounds = scaledRounds (40000);

    for (int round = 0; round < rounds; ++round)
    {
        const auto& kind = *kinds[static_cast<size_t> (round) % kinds.size()];
        const auto block = kind.make (random, seed);
        const auto what = std::string (kind.name) + ", round " + std::to_string (round) + ": " + preview (block.bytes);

        watchdog.step (what);
        restore (processor, block.bytes);
        const auto values = valuesOf (processor);

        ASSERT_EQ (firstFault (values, block), "") << what;

        if (firstDifference (values, heldValues) != "")
        {
            ++applied[kind.name];
            restore (processor, held);
        }
    }

    // The fuzz reaches what it means to: blocks that look damaged but are sound do apply.
    for (const auto* kind : { "byte flips", "reference inserted", "sound variations", "giant attribute" })
        EXPECT_GT (applied[kind], 0) << kind;
}
} // namespace
