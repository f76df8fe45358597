#include "BundleFixture.h"
#include "support/JuceAssertions.h"
#include "support/StateBlocks.h"
#include "support/Watchdog.h"

#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <random>

namespace
{
using echovane::host::readComponentState;
using echovane::host::writeComponentState;
using echovane::testing::binaryXmlBlock;
using echovane::testing::defaultStateText;
using echovane::testing::rawBlock;
using echovane::testing::savedElement;
using echovane::testing::stateBlockWithElement;
using echovane::testing::Watchdog;

using Values = std::map<std::string, double>;

const char* const savedNames[] = { "Mix", "Sync", "Feedback", "Balance", "Width", "Drive", "Dark", "Bright", "MS",
                                   "Bypass", "Triplet", "TempoChanger", "Dotted", "sizechanger" };

// Every value away from its default, so that "unchanged" and "reset" cannot be confused.
const Values baseline = { { "Mix", 0.33 }, { "Sync", 0.77 }, { "Feedback", 0.44 }, { "Balance", 0.21 }, { "Width", 0.65 }, { "Drive", 0.12 }, { "Dark", 0.58 }, { "Bright", 0.91 }, { "MS", 0.4567 }, { "Bypass", 1.0 }, { "Triplet", 1.0 }, { "TempoChanger", 0.0 }, { "Dotted", 1.0 }, { "sizechanger", 2.0 } };

std::string elementFor (const Values& values)
{
    std::string element = "<Delay";
    for (const auto* name : savedNames)
        element += std::string (" ") + name + "=\"" + juce::String (values.at (name), 6).toStdString() + "\"";
    return element + "/>";
}

Values savedValues (juce::AudioPluginInstance& plugin)
{
    const auto element = savedElement (plugin);
    EXPECT_NE (element, nullptr);
    Values values;
    for (const auto* name : savedNames)
        values[name] = element != nullptr ? element->getDoubleAttribute (name, -1.0) : -1.0;
    return values;
}

void expectValues (const Values& actual, const Values& expected)
{
    for (const auto* name : savedNames)
        EXPECT_NEAR (actual.at (name), expected.at (name), 1.0e-6) << name;
}

Values withChanges (Values values, const Values& changes)
{
    for (const auto& [name, value] : changes)
        values[name] = value;
    return values;
}

const Values zeros = withChanges (baseline, { { "Mix", 0 }, { "Sync", 0 }, { "Feedback", 0 }, { "Balance", 0 }, { "Width", 0 }, { "Drive", 0 }, { "Dark", 0 }, { "Bright", 0 }, { "MS", 0 }, { "Bypass", 0 }, { "Triplet", 0 }, { "TempoChanger", 0 }, { "Dotted", 0 }, { "sizechanger", 0 } });

std::string repeated (const std::string& piece, int count)
{
    std::string result;
    for (int i = 0; i < count; ++i)
        result += piece;
    return result;
}

juce::MemoryBlock withStart (juce::MemoryBlock block, const char* start)
{
    block.copyFrom (start, 0, 4);
    return block;
}

juce::MemoryBlock withLengthField (juce::MemoryBlock block, int length)
{
    block.copyFrom (&length, 4, 4);
    return block;
}

class BundleState : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plugin = echovane::testing::loadBuiltBundle();
        writeComponentState (*plugin, stateBlockWithElement (elementFor (baseline)));
        expectValues (savedValues (*plugin), baseline);
    }

    std::unique_ptr<juce::AudioPluginInstance> plugin;
};

TEST_F (BundleState, NewInstanceHandsTheHostTheDefaultBlockThenJucesTrailer)
{
    auto fresh = echovane::testing::loadBuiltBundle();
    const auto state = readComponentState (*fresh);
    const auto expected = binaryXmlBlock (defaultStateText);

    ASSERT_GT (state.getSize(), expected.getSize());
    EXPECT_EQ (juce::MemoryBlock (state.getData(), expected.getSize()), expected);
    EXPECT_TRUE (echovane::testing::endsWithJuceTrailer (state));
}

TEST_F (BundleState, RoundTripCarriesEveryValueAndTheHostBypass)
{
    echovane::host::applyAssignments (*plugin, { juce::String (0x62797073).toStdString() + "=1" });
    const auto state = readComponentState (*plugin);

    auto restored = echovane::testing::loadBuiltBundle();
    EXPECT_EQ (restored->getParameters()[echovane::testing::hostBypassIndex]->getValue(), 0.0f);
    writeComponentState (*restored, state);

    expectValues (savedValues (*restored), baseline);
    EXPECT_EQ (restored->getParameters()[echovane::testing::hostBypassIndex]->getValue(), 1.0f);
    EXPECT_NEAR (restored->getParameters()[ParameterIndex::hostIndex (ParameterIndex::mix)]->getValue(), 0.33f, 1.0e-6f);
    EXPECT_EQ (restored->getParameters()[ParameterIndex::hostIndex (ParameterIndex::triplet)]->getCurrentValueAsText(), "On");
}

struct RestoreCase
{
    const char* what;
    juce::MemoryBlock block;
    Values expected;
};

TEST_F (BundleState, RestoreRulesForDamagedAndUnusualBlocks)
{
    const auto valid = stateBlockWithElement ("<Delay Mix=\"0.5\"/>");
    const auto defaultBlock = std::string (static_cast<const char*> (binaryXmlBlock (defaultStateText).getData()), 8 + defaultStateText.size() + 1);
    const std::vector<RestoreCase> cases = {
        { "a block of 8 bytes", rawBlock (std::string ("VC2!\x05\0\0\0", 8)), baseline },
        { "another start", withStart (valid, "VC3!"), baseline },
        { "a length field of 0", withLengthField (valid, 0), baseline },
        { "a negative length field", withLengthField (valid, -5), baseline },
        { "text that does not parse", binaryXmlBlock ("Delay Mix=0.3"), baseline },
        { "text ending in a cut-short UTF-8 sequence", binaryXmlBlock ("<Delay Mix=\"0.3\"/> \xf0"), baseline },
        { "an element that is never closed", binaryXmlBlock ("<Delay Mix=\"0.3\"><Inner>"), baseline },
        { "only Mix", stateBlockWithElement ("<Delay Mix=\"0.257\"/>"), withChanges (zeros, { { "Mix", 0.26 } }) },
        { "the tag in lower case", stateBlockWithElement ("<delay Mix=\"0.257\" sizechanger=\"1\"/>"), withChanges (zeros, { { "Mix", 0.26 }, { "sizechanger", 1 } }) },
        { "another tag with a size step", stateBlockWithElement ("<Settings Mix=\"0.9\" sizechanger=\"0.0\"/>"), withChanges (baseline, { { "sizechanger", 0 } }) },
        { "another tag without one", stateBlockWithElement ("<Settings Mix=\"0.9\"/>"), withChanges (baseline, { { "sizechanger", 0 } }) },
        { "Bypass \"true\"", stateBlockWithElement ("<Delay Bypass=\"true\"/>"), withChanges (zeros, { { "Bypass", 1 } }) },
        { "Bypass \"Yes\"", stateBlockWithElement ("<Delay Bypass=\"Yes\"/>"), withChanges (zeros, { { "Bypass", 1 } }) },
        { "Bypass \" 1\"", stateBlockWithElement ("<Delay Bypass=\" 1\"/>"), withChanges (zeros, { { "Bypass", 1 } }) },
        { "Bypass \"0.9\"", stateBlockWithElement ("<Delay Bypass=\"0.9\"/>"), zeros },
        { "values out of range", stateBlockWithElement ("<Delay Mix=\"7\" Feedback=\"-3\" MS=\"1.5\" Sync=\"0.4444\" sizechanger=\"9\"/>"),
          withChanges (zeros, { { "Mix", 1 }, { "Feedback", 0 }, { "MS", 1 }, { "Sync", 0.44 }, { "sizechanger", 2 } }) },
        { "numbers that are not numbers", stateBlockWithElement ("<Delay Mix=\"nan\" MS=\"-nan\" Dark=\"NaN\" Width=\"0.5\" sizechanger=\"nan\"/>"),
          withChanges (zeros, { { "Mix", 0.33 }, { "MS", 0.4567 }, { "Dark", 0.58 }, { "Width", 0.5 }, { "sizechanger", 2 } }) },
        { "infinities", stateBlockWithElement ("<Delay Mix=\"inf\" Feedback=\"-inf\" Bright=\"1e999\" sizechanger=\"-inf\"/>"),
          withChanges (zeros, { { "Mix", 1 }, { "Feedback", 0 }, { "Bright", 1 }, { "sizechanger", 0 } }) },
        { "exponents of many digits", stateBlockWithElement ("<Delay Mix=\"1e99999999999\" Sync=\"5e-99999999999\" Drive=\"3e-0000000000001\" sizechanger=\"7E+00044444444444\"/>"),
          withChanges (zeros, { { "Mix", 1 }, { "Sync", 0 }, { "Drive", 0.3 }, { "sizechanger", 2 } }) },
        { "a processing instruction in the content", stateBlockWithElement ("<Delay Mix=\"0.9\"><?x?>a</Delay>"), baseline },
        { "30,000 nested elements", stateBlockWithElement ("<Delay Mix=\"0.9\">" + repeated ("<a>", 30000) + repeated ("</a>", 30000) + "</Delay>"), baseline },
        { "the default block cut to 54 bytes", rawBlock (defaultBlock.substr (0, 54)), baseline },
        { "a megabyte of digits", stateBlockWithElement ("<Delay Mix=\"" + std::string (1 << 20, '3') + "\" sizechanger=\"1\"/>"), withChanges (zeros, { { "Mix", 1 }, { "sizechanger", 1 } }) },
        { "a comment after the element", stateBlockWithElement ("<Delay Mix=\"0.9\"/><!-- x -->"), baseline },
        { "a second element", stateBlockWithElement ("<Delay Mix=\"0.9\"/><Delay/>"), baseline },
    };

    // A restore that hangs must fail here, naming its block, not stall the run.
    Watchdog watchdog (std::chrono::seconds (60));

    for (const auto& restoreCase : cases)
    {
        SCOPED_TRACE (restoreCase.what);
        watchdog.step (restoreCase.what);
        writeComponentState (*plugin, stateBlockWithElement (elementFor (baseline)));
        writeComponentState (*plugin, restoreCase.block);
        expectValues (savedValues (*plugin), restoreCase.expected);
    }
}

// A project cut short anywhere in the plug-in's block changes nothing, whether JUCE's trailer
// went with the cut or stayed behind it.
TEST_F (BundleState, ASavedBlockCutAtAnyLengthChangesNothing)
{
    const auto state = readComponentState (*plugin);
    const auto own = echovane::host::withoutJuceTrailer (state);
    const juce::MemoryBlock trailer (static_cast<const char*> (state.getData()) + own.getSize(), state.getSize() - own.getSize());

    writeComponentState (*plugin, stateBlockWithElement ("<Delay Mix=\"0.71\" TempoChanger=\"1\"/>"));
    const auto other = savedValues (*plugin);

    for (size_t length = 1; length + 1 < own.getSize(); ++length)
    {
        SCOPED_TRACE (length);
        juce::MemoryBlock cut (own.getData(), length);
        writeComponentState (*plugin, cut);
        cut.append (trailer.getData(), trailer.getSize());
        writeComponentState (*plugin, cut);
        expectValues (savedValues (*plugin), other);
    }
}

// A project holding values of megabytes restores through the host, and promptly: reading a
// number takes time in proportion to its length. The watchdog is a bound against a hang only.
TEST_F (BundleState, GiantAttributesRestore)
{
    Watchdog watchdog (std::chrono::seconds (30));
    watchdog.step ("three attributes of 3 MB through the host");
    const auto megabytes = std::string (3 << 20, '7');

    writeComponentState (*plugin, stateBlockWithElement ("<Delay Mix=\"" + megabytes + "\" Sync=\"0." + megabytes + "\" Other=\"" + megabytes + "\" sizechanger=\"1\"/>"));

    // Beyond 1 counts as 1, "Sync" snaps to its hundredths, and what the block lacks is 0.
    expectValues (savedValues (*plugin), withChanges (zeros, { { "Mix", 1.0 }, { "Sync", 0.78 }, { "sizechanger", 1.0 } }));
}

// A toggle a host set to 0.7, which the engine counts as on, comes back on from the project.
TEST_F (BundleState, TogglesComeBackAsTheEngineHadThem)
{
    echovane::host::applyAssignments (*plugin, { "Bypass=0.7", "Triplet=0.5", "TempoChanger=0.49", "Dotted=0.2" });
    const auto state = readComponentState (*plugin);

    const auto element = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    ASSERT_NE (element, nullptr);
    EXPECT_EQ (element->getStringAttribute ("Bypass"), "1.0");
    EXPECT_EQ (element->getStringAttribute ("Triplet"), "1.0");
    EXPECT_EQ (element->getStringAttribute ("TempoChanger"), "0.0");
    EXPECT_EQ (element->getStringAttribute ("Dotted"), "0.0");

    auto reloaded = echovane::testing::loadBuiltBundle();
    writeComponentState (*reloaded, state);
    const auto& parameters = reloaded->getParameters();
    EXPECT_EQ (parameters[ParameterIndex::hostIndex (ParameterIndex::bypass)]->getValue(), 1.0f);
    EXPECT_EQ (parameters[ParameterIndex::hostIndex (ParameterIndex::triplet)]->getValue(), 1.0f);
    EXPECT_EQ (parameters[ParameterIndex::hostIndex (ParameterIndex::tempoChanger)]->getValue(), 0.0f);
    EXPECT_EQ (parameters[ParameterIndex::hostIndex (ParameterIndex::dotted)]->getValue(), 0.0f);
}

// A NaN the host's automation hands the plug-in is saved as the value the engine goes on using:
// the project reloads to the sound it had.
TEST_F (BundleState, NotANumberFromTheHostIsSavedAsTheValueTheEngineKept)
{
    const echovane::testing::PluginStderrWatch pluginAssertions;
    plugin->enableAllBuses();
    plugin->prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> block (2, 512);
    juce::MidiBuffer midi;

    const auto before = readComponentState (*plugin);

    for (const auto index : { ParameterIndex::hostIndex (ParameterIndex::mix), ParameterIndex::hostIndex (ParameterIndex::ms), ParameterIndex::hostIndex (ParameterIndex::dotted) })
        plugin->getParameters()[index]->setValue (std::numeric_limits<float>::quiet_NaN());

    block.clear();
    plugin->processBlock (block, midi);
    plugin->releaseResources();

    const auto after = readComponentState (*plugin);
    const auto text = [] (const juce::MemoryBlock& state)
    { return std::string (static_cast<const char*> (state.getData()) + 8, juce::ByteOrder::littleEndianInt (static_cast<const char*> (state.getData()) + 4)); };

    EXPECT_EQ (text (after).find ("nan"), std::string::npos) << text (after);
    EXPECT_EQ (text (after), text (before));
}

// Random and damaged blocks as a host could hand them over: whatever arrives, the plug-in
// keeps running and every value it saves stays a finite number in its range.
TEST_F (BundleState, RandomAndMutatedBlocksThroughTheHostKeepValuesSane)
{
    std::mt19937 random (4242);
    const auto seed = readComponentState (*plugin);
    const echovane::testing::PluginStderrWatch pluginAssertions;

    for (int round = 0; round < 5000; ++round)
    {
        juce::MemoryBlock block (seed);

        if (round % 3 == 0)
        {
            block.setSize (1 + random() % 200);
            for (size_t i = 0; i < block.getSize(); ++i)
                block[i] = static_cast<char> (random());
        }
        else
        {
            // Damage the plug-in's own part, not JUCE's trailer behind it.
            const auto ownPart = static_cast<size_t> (8 + juce::ByteOrder::littleEndianInt (static_cast<const char*> (seed.getData()) + 4) + 1);
            for (int flips = 1 + static_cast<int> (random() % 8); flips > 0; --flips)
                block[random() % ownPart] = static_cast<char> (random());
        }

        writeComponentState (*plugin, block);
        const auto element = savedElement (*plugin);
        ASSERT_NE (element, nullptr) << "round " << round;

        for (const auto* name : savedNames)
        {
            const auto value = element->getDoubleAttribute (name, -1.0);
            const auto top = std::string (name) == "sizechanger" ? 2.0 : 1.0;
            ASSERT_TRUE (std::isfinite (value) && value >= 0.0 && value <= top) << name << " = " << value << " in round " << round;
        }
    }
}
} // namespace
