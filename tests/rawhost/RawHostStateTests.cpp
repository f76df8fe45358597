#include "ComponentState.h"
#include "IsolatedRun.h"
#include "RawVst3Host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>

namespace
{
using echovane::rawhost::ChildReport;
using echovane::rawhost::PluginInstance;
using echovane::rawhost::Vst3Module;
using Bytes = std::vector<std::uint8_t>;

// JUCE's VST3 client ends every state block with a zero word, its private data (the host's
// bypass), the 64-bit little-endian size of that data, and this identifier.
constexpr const char* trailerIdentifier = "JUCEPrivateData";
constexpr size_t sizeFieldLength = 8;
// The plug-in's own block stores the thirteen parameters and the editor's size step.
constexpr size_t storedValueCount = 14;

size_t sizeFieldOffset (const Bytes& state)
{
    return state.size() - std::strlen (trailerIdentifier) - sizeFieldLength;
}

/** The plug-in's own block inside a well-formed state, without JUCE's trailer. */
juce::MemoryBlock ownPart (const Bytes& state)
{
    return echovane::host::withoutJuceTrailer (juce::MemoryBlock (state.data(), state.size()));
}

/** Every value the plug-in's own block stores, by attribute. */
std::map<std::string, double> storedValues (const Bytes& state)
{
    const auto block = ownPart (state);
    const auto element = juce::AudioProcessor::getXmlFromBinary (block.getData(), static_cast<int> (block.getSize()));
    std::map<std::string, double> values;

    for (int i = 0; element != nullptr && i < element->getNumAttributes(); ++i)
        values[element->getAttributeName (i).toStdString()] = element->getAttributeValue (i).getDoubleValue();

    return values;
}

/** The same values, as far as a value survives a float parameter's round trip. */
bool sameValues (const std::map<std::string, double>& a, const std::map<std::string, double>& b)
{
    return a.size() == b.size()
        && std::equal (a.begin(), a.end(), b.begin(), [] (const auto& x, const auto& y)
                       { return x.first == y.first && std::abs (x.second - y.second) < 1.0e-6; });
}

/** A state with every value away from its default, the host's bypass on, as a project saves it. */
Bytes savedState (const Vst3Module& module)
{
    PluginInstance source (module);

    for (const auto& [title, value] : { std::pair{ "Mix", 0.25 }, { "Feedback", 0.7 }, { "TempoChanger", 1.0 }, { "MS", 0.2 }, { "Dark", 0.4 } })
        source.setParameter (source.parameterId (title), value);

    source.setParameter (source.hostBypassId(), 1.0);
    return source.state();
}

/** Restores `damaged` into a fresh instance, which must survive it and come back with the
    plug-in's own values as saved: a damaged trailer costs at most JUCE's private data. */
void expectOwnValuesRestored (const Vst3Module& module, const Bytes& saved, const Bytes& damaged, const std::string& what, ChildReport& report)
{
    report.step (what);
    PluginInstance target (module);
    target.restoreState (damaged);

    if (! sameValues (storedValues (target.state()), storedValues (saved)))
        report.problem (what + ": the plug-in's own values did not come back as saved");
}

/** The saved state must itself restore completely, trailer included, or the damaged cases
    would prove nothing. */
void expectUndamagedRestoresCompletely (const Vst3Module& module, const Bytes& saved, ChildReport& report)
{
    report.step ("the undamaged state");
    PluginInstance target (module);
    target.restoreState (saved);

    const auto restored = target.state();
    const auto trailerStart = [] (const Bytes& state)
    { return state.begin() + static_cast<std::ptrdiff_t> (ownPart (state).getSize()); };

    if (storedValues (saved).size() != storedValueCount || ! sameValues (storedValues (restored), storedValues (saved)))
        report.problem ("the undamaged state did not restore the plug-in's own values");

    if (! std::equal (trailerStart (saved), saved.end(), trailerStart (restored), restored.end()))
        report.problem ("the undamaged state did not restore JUCE's private data, the host's bypass");

    if (ownPart (saved).getSize() >= sizeFieldOffset (saved))
        report.problem ("the saved state carries no JUCE trailer");
}

TEST (RawHostState, AnyByteOfTheTrailerSizeFlippedRestoresTheSavedValues)
{
    const auto outcome = echovane::rawhost::runIsolated ([] (ChildReport& report)
                                                         {
        const Vst3Module module (echovane::rawhost::builtBinary());
        const auto saved = savedState (module);
        expectUndamagedRestoresCompletely (module, saved, report);

        for (size_t byte = 0; byte < sizeFieldLength; ++byte)
        {
            auto damaged = saved;
            damaged[sizeFieldOffset (saved) + byte] ^= 0xff;
            expectOwnValuesRestored (module, saved, damaged, "size byte " + std::to_string (byte) + " flipped", report);
        } });

    echovane::rawhost::expectCleanOutcome (outcome, "a trailer size with one byte flipped");
}

TEST (RawHostState, RandomTrailerSizesLeaveTheHostRunning)
{
    const auto outcome = echovane::rawhost::runIsolated ([] (ChildReport& report)
                                                         {
        const Vst3Module module (echovane::rawhost::builtBinary());
        const auto saved = savedState (module);
        expectUndamagedRestoresCompletely (module, saved, report);

        // Any 64-bit size, and sizes no larger than the block, which reach deeper into it.
        std::mt19937_64 random (0x5eed15);

        for (int i = 0; i < 200; ++i)
        {
            const auto size = i % 2 == 0 ? random() : random() % (saved.size() + 1);
            auto damaged = saved;

            for (size_t byte = 0; byte < sizeFieldLength; ++byte)
                damaged[sizeFieldOffset (saved) + byte] = static_cast<std::uint8_t> (size >> (8 * byte));

            char what[64];
            std::snprintf (what, sizeof (what), "trailer size 0x%016" PRIx64, static_cast<std::uint64_t> (size));
            expectOwnValuesRestored (module, saved, damaged, what, report);
        } });

    echovane::rawhost::expectCleanOutcome (outcome, "random trailer sizes");
}

/** `saved` with JUCE's private data replaced by `privateData`, its trailer otherwise in order. */
Bytes withPrivateData (const Bytes& saved, const Bytes& privateData)
{
    const auto own = ownPart (saved);
    Bytes block (static_cast<const std::uint8_t*> (own.getData()), static_cast<const std::uint8_t*> (own.getData()) + own.getSize());
    block.insert (block.end(), sizeFieldLength, 0);
    block.insert (block.end(), privateData.begin(), privateData.end());

    for (size_t byte = 0; byte < sizeFieldLength; ++byte)
        block.push_back (static_cast<std::uint8_t> (static_cast<std::uint64_t> (privateData.size()) >> (8 * byte)));

    block.insert (block.end(), trailerIdentifier, trailerIdentifier + std::strlen (trailerIdentifier));
    return block;
}

// JUCE's value-tree stream: a tree is its type as a zero-ended string, its property count, its
// properties, its child count and its children; a count is one length byte and that many
// little-endian bytes.
Bytes countOf (std::int32_t count)
{
    return { 4, static_cast<std::uint8_t> (count), static_cast<std::uint8_t> (count >> 8), static_cast<std::uint8_t> (count >> 16), static_cast<std::uint8_t> (count >> 24) };
}

Bytes joined (std::initializer_list<Bytes> parts)
{
    Bytes all;

    for (const auto& part : parts)
        all.insert (all.end(), part.begin(), part.end());

    return all;
}

const Bytes treeType{ 'X', 0 };
const Bytes noCount{ 0 };

struct PrivateDataCase
{
    const char* name;
    std::function<Bytes()> privateData;
};

void PrintTo (const PrivateDataCase& privateDataCase, std::ostream* out)
{
    *out << privateDataCase.name;
}

class RawHostPrivateData : public ::testing::TestWithParam<PrivateDataCase>
{
};

// Damaged private data with the trailer's size in order reaches JUCE's value-tree reader itself;
// the host must get its thread back at once, with the plug-in's own values as saved.
TEST_P (RawHostPrivateData, RestoresTheSavedValuesPromptly)
{
    const auto privateData = GetParam().privateData();
    const auto outcome = echovane::rawhost::runIsolated ([&privateData] (ChildReport& report)
                                                         {
        const Vst3Module module (echovane::rawhost::builtBinary());
        const auto saved = savedState (module);
        expectOwnValuesRestored (module, saved, withPrivateData (saved, privateData), GetParam().name, report); },
                                                         30);

    echovane::rawhost::expectCleanOutcome (outcome, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P (DamagedPrivateData, RawHostPrivateData,
                          ::testing::Values (
                              PrivateDataCase{ "PropertyCountOfTwoBillion", []
                                               { return joined ({ treeType, countOf (0x7fffffff) }); } },
                              PrivateDataCase{ "ChildCountOfTwoBillion", []
                                               { return joined ({ treeType, noCount, countOf (0x7fffffff) }); } },
                              PrivateDataCase{ "NestedFourHundredThousandDeep", []
                                               {
                                                   Bytes nested;
                                                   const Bytes level = joined ({ treeType, noCount, { 1, 1 } });

                                                   for (int depth = 0; depth < 400000; ++depth)
                                                       nested.insert (nested.end(), level.begin(), level.end());

                                                   return joined ({ nested, treeType, noCount, noCount });
                                               } }),
                          [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });
} // namespace
