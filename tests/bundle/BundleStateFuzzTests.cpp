#include "BundleFixture.h"
#include "support/JuceAssertions.h"
#include "support/StateBlocks.h"
#include "support/StateFuzz.h"
#include "support/Watchdog.h"

#include <cmath>
#include <map>

namespace
{
using namespace echovane::testing::statefuzz;
using echovane::host::readComponentState;
using echovane::host::withoutJuceTrailer;
using echovane::host::writeComponentState;
using echovane::testing::Watchdog;

/** The values as the plug-in saves them for the host; NaN for one it does not save. */
Values valuesSavedBy (juce::AudioPluginInstance& plugin)
{
    const auto element = echovane::testing::savedElement (plugin);
    Values values;

    for (const auto* name : savedNames)
        values[name] = element != nullptr && element->hasAttribute (name) ? element->getDoubleAttribute (name) : std::nan ("");

    return values;
}

// Every kind of damage as a host hands it over: the bundle loaded through JUCE's VST3 hosting,
// each block given to the component's setState and the controller's setComponentState, then the
// state read back as a host saving the project would.
TEST (BundleStateFuzz, EveryKindOfBlockThroughTheHost)
{
    const echovane::testing::PluginStderrWatch pluginAssertions;
    auto plugin = echovane::testing::loadBuiltBundle();

    Seed seed;
    seed.giantBytes = 1 << 20;
    writeComponentState (*plugin, echovane::testing::stateBlockWithElement (elementFor (savedValues)));
    {
        const auto state = readComponentState (*plugin);
        seed.saved = withoutJuceTrailer (state);
        seed.trailer = juce::MemoryBlock (static_cast<const char*> (state.getData()) + seed.saved.getSize(), state.getSize() - seed.saved.getSize());
        ASSERT_GT (seed.trailer.getSize(), 0u);
    }

    const auto held = echovane::testing::stateBlockWithElement (elementFor (heldValues));
    writeComponentState (*plugin, held);
    ASSERT_EQ (firstDifference (valuesSavedBy (*plugin), heldValues), "");

    std::vector<const MutationKind*> kinds;
    for (const auto& kind : mutationKinds())
        if (kind.enabled)
            kinds.push_back (&kind);

    Random random (7031);
    Watchdog watchdog (std::chrono::seconds (60));
    const auto rounds = scaledRounds (10000);

    for (int round = 0; round < rounds; ++round)
    {
        const auto& kind = *kinds[static_cast<size_t> (round) % kinds.size()];
        auto block = kind.make (random, seed);

        // Half of the blocks come as a damaged project holds them: JUCE's trailer still behind
        // the plug-in's part, which JUCE takes off before the plug-in sees it.
        if (round % 2 == 1 && std::string (kind.name) != "mutations of JUCE's trailer")
            block.bytes.append (seed.trailer.getData(), seed.trailer.getSize());

        const auto what = std::string (kind.name) + ", round " + std::to_string (round) + ": " + preview (block.bytes);
        watchdog.step (what);

        writeComponentState (*plugin, block.bytes);
        const auto values = valuesSavedBy (*plugin);

        ASSERT_EQ (firstFault (values, block), "") << what;

        if (firstDifference (values, heldValues) != "")
            writeComponentState (*plugin, held);
    }
}
} // namespace
