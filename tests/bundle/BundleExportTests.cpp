#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <set>

namespace
{
/** The names the built bundle's shared object exports, as the dynamic linker sees them. */
std::set<juce::String> exportedSymbols (const juce::File& binary)
{
    juce::ChildProcess nm;

    if (! nm.start (juce::StringArray{ "nm", "--dynamic", "--defined-only", "--format=posix", binary.getFullPathName() }, juce::ChildProcess::wantStdOut))
    {
        ADD_FAILURE() << "could not run nm";
        return {};
    }

    const auto listing = nm.readAllProcessOutput();
    EXPECT_TRUE (nm.waitForProcessToFinish (30000));
    EXPECT_EQ (nm.getExitCode(), 0u) << listing;

    std::set<juce::String> names;

    for (const auto& line : juce::StringArray::fromLines (listing))
        if (line.isNotEmpty())
            names.insert (line.upToFirstOccurrenceOf (" ", false, false));

    return names;
}

// A host finds the plug-in through these three entry points alone. Anything more (JUCE's classes,
// the compiled-in pictures) could bind to another plug-in's copy of the same names.
TEST (BundleExports, OnlyTheVst3EntryPoints)
{
    const juce::File binary (ECHOVANE_VST3_BINARY_FILE);
    ASSERT_TRUE (binary.existsAsFile()) << binary.getFullPathName();

    const std::set<juce::String> expected{ "GetPluginFactory", "ModuleEntry", "ModuleExit" };
    const auto exported = exportedSymbols (binary);

    for (const auto& name : exported)
        EXPECT_EQ (expected.count (name), 1u) << "also exported: " << name;

    for (const auto& name : expected)
        EXPECT_EQ (exported.count (name), 1u) << "missing: " << name;
}
} // namespace
