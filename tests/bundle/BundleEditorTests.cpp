#include "BundleFixture.h"
#include "EditorSnapshot.h"
#include "HostToolRun.h"
#include "support/StateBlocks.h"

namespace
{
using echovane::host::readComponentState;
using echovane::host::renderEditor;
using echovane::host::withoutJuceTrailer;
using echovane::host::writeComponentState;
using echovane::testing::expectRefusals;
using echovane::testing::runHost;

// Compares bytes; JUCE's own comparison hands memcmp a null pointer for empty blocks.
bool sameBytes (const juce::MemoryBlock& a, const juce::MemoryBlock& b)
{
    return a.getSize() == b.getSize() && (a.getSize() == 0 || std::memcmp (a.getData(), b.getData(), a.getSize()) == 0);
}

juce::MemoryBlock appended (juce::MemoryBlock block, const void* data, size_t size)
{
    block.append (data, size);
    return block;
}

/** JUCE's trailer around `privateData`, with `sizeWord` standing in the size field. */
juce::MemoryBlock trailer (const std::string& privateData, juce::uint64 sizeWord)
{
    juce::MemoryOutputStream out;
    out.writeInt64 (0);
    out.write (privateData.data(), privateData.size());
    out.writeInt64 (static_cast<juce::int64> (sizeWord));
    out << "JUCEPrivateData";
    return out.getMemoryBlock();
}

TEST (ComponentStateTrailer, ComesOffExactlyAsJucesClientTakesIt)
{
    auto plugin = echovane::testing::loadBuiltBundle();
    const auto state = readComponentState (*plugin);
    const auto own = withoutJuceTrailer (state);

    ASSERT_LT (own.getSize(), state.getSize());
    EXPECT_EQ (std::memcmp (own.getData(), state.getData(), own.getSize()), 0);

    // What is left is exactly the processor's binary XML: header, text, one zero byte.
    const auto* bytes = static_cast<const char*> (own.getData());
    ASSERT_GE (own.getSize(), 9u);
    EXPECT_EQ (std::string (bytes, 4), "VC2!");
    const auto textLength = static_cast<size_t> (juce::ByteOrder::littleEndianInt (bytes + 4));
    EXPECT_EQ (own.getSize(), 8 + textLength + 1);

    const auto element = juce::AudioProcessor::getXmlFromBinary (own.getData(), static_cast<int> (own.getSize()));
    ASSERT_NE (element, nullptr);
    EXPECT_TRUE (element->hasTagName ("Delay"));
}

TEST (ComponentStateTrailer, BlocksWithoutAWellFormedTrailerStayAsTheyAre)
{
    const auto body = echovane::testing::stateBlockWithElement ("<Delay sizechanger=\"2\"/>");
    const auto good = trailer ("private", 7);

    EXPECT_TRUE (sameBytes (withoutJuceTrailer (appended (body, good.getData(), good.getSize())), body));

    const juce::MemoryBlock unchanged[] = {
        body,
        juce::MemoryBlock(),
        echovane::testing::rawBlock ("JUCEPrivateData"),
        appended (body, trailer ("private", 1u << 30).getData(), trailer ("private", 1u << 30).getSize()),
        appended (body, trailer ("", ~juce::uint64 (0)).getData(), trailer ("", ~juce::uint64 (0)).getSize()),
        appended ({}, trailer ("", 0).getData(), trailer ("", 0).getSize() - 1),
    };

    for (const auto& block : unchanged)
        EXPECT_TRUE (sameBytes (withoutJuceTrailer (block), block)) << block.getSize();

    // A trailer alone, with nothing before it, leaves an empty block.
    EXPECT_EQ (withoutJuceTrailer (trailer ("", 0)).getSize(), 0u);
}

TEST (BundleSnapshot, DrawsTheEditorAtTheBundlesStoredStep)
{
    auto plugin = echovane::testing::loadBuiltBundle();

    const auto fresh = renderEditor (readComponentState (*plugin), std::nullopt);
    EXPECT_EQ (fresh.getWidth(), 1000);
    EXPECT_EQ (fresh.getHeight(), 480);

    const auto block = echovane::testing::stateBlockWithElement ("<Delay sizechanger=\"2\"/>");
    writeComponentState (*plugin, block);

    const auto large = renderEditor (readComponentState (*plugin), std::nullopt);
    EXPECT_EQ (large.getWidth(), 1500);
    EXPECT_EQ (large.getHeight(), 720);

    // The host's size wins over the step, as a host resizing the window does.
    const auto sized = renderEditor (readComponentState (*plugin), juce::Point<int> (640, 200));
    EXPECT_EQ (sized.getWidth(), 640);
    EXPECT_EQ (sized.getHeight(), 200);
}

class EditorCommands : public ::testing::Test
{
protected:
    const juce::String bundle = echovane::testing::builtBundle().getFullPathName();
    const juce::TemporaryFile picture{ ".png" };
};

TEST_F (EditorCommands, SnapshotWritesThePictureWithoutADisplay)
{
    struct Case
    {
        juce::StringArray extra;
        int width, height;
    };

    const Case cases[] = {
        { {}, 1000, 480 },
        { { "--size", "1500x720" }, 1500, 720 },
        { { "--size=333x77", "--set", "Mix=0.25" }, 333, 77 },
    };

    for (const auto& test : cases)
    {
        juce::StringArray args{ "snapshot", bundle, "--out", picture.getFile().getFullPathName() };
        args.addArray (test.extra);
        SCOPED_TRACE (args.joinIntoString (" "));

        const auto run = runHost (args);
        ASSERT_EQ (run.exitCode, 0) << run.output;
        EXPECT_TRUE (run.output.contains ("wrote " + juce::String (test.width) + "x" + juce::String (test.height))) << run.output;

        const auto image = juce::ImageFileFormat::loadFrom (picture.getFile());
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), test.width);
        EXPECT_EQ (image.getHeight(), test.height);
    }
}

TEST_F (EditorCommands, BadInputGetsOneLineAndAnExitCode)
{
    const auto out = picture.getFile().getFullPathName();
    expectRefusals ({
        { { "snapshot", bundle }, 2, "needs --out" },
        { { "snapshot", bundle, "--out", out, "--size", "0x480" }, 2, "whole number from 1 to 8192" },
        { { "snapshot", bundle, "--out", out, "--size", "1000x-3" }, 2, "whole number from 1 to 8192" },
        { { "snapshot", bundle, "--out", out, "--size", "99999x10" }, 2, "whole number from 1 to 8192" },
        { { "snapshot", bundle, "--out", out, "--size", "10.5x10" }, 2, "whole number from 1 to 8192" },
        { { "snapshot", bundle, "--out", out, "--size", "1000" }, 2, "expects WIDTHxHEIGHT" },
        { { "snapshot", bundle, "--out", out, "--set", "Nope=1" }, 2, "no parameter 'Nope'" },
        { { "snapshot", "/nonexistent/Echovane.vst3", "--out", out }, 2, "no plug-in bundle" },
        { { "snapshot", bundle, "--out", "/nonexistent/dir/x.png" }, 1, "could not write" },
        { { "open" }, 2, "too few arguments" },
        { { "open", bundle, "--seconds", "-1" }, 2, "--seconds must lie between" },
        { { "open", bundle }, 1, "open needs a display" },
    });
}
} // namespace
