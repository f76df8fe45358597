#include "engine/ParameterMeaning.h"
#include "engine/PluginProcessor.h"
#include "engine/StateTextGuard.h"
#include "support/StateBlocks.h"
#include "support/StateFuzz.h"
#include "support/Watchdog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using echovane::testing::binaryXmlBlock;
using echovane::testing::defaultStateText;
using echovane::testing::rawBlock;
using echovane::testing::stateBlockWithElement;
using echovane::testing::Watchdog;
using echovane::testing::statefuzz::elementFor;
using echovane::testing::statefuzz::heldValues;
using echovane::testing::statefuzz::savedNames;
using echovane::testing::statefuzz::savedValues;
using echovane::testing::statefuzz::Values;
using echovane::testing::statefuzz::valuesOf;
using echovane::testing::statefuzz::with;

void expectValues (const Values& actual, const Values& expected)
{
    for (const auto* name : savedNames)
        EXPECT_NEAR (actual.at (name), expected.at (name), 1.0e-6) << name;
}

void restore (OvelanAudioProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}

std::string savedText (OvelanAudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return std::string (static_cast<const char*> (block.getData()) + 8, block.getSize() - 9);
}

juce::MemoryBlock withLengthField (juce::MemoryBlock block, int length)
{
    block.copyFrom (&length, 4, 4);
    return block;
}

/** A processor holding `heldValues`, watched for any notification of its size step. */
class StateRestore : public ::testing::Test
    , private juce::AudioProcessorParameter::Listener
{
protected:
    void SetUp() override
    {
        restore (processor, stateBlockWithElement (elementFor (heldValues)));
        expectValues (valuesOf (processor), heldValues);
        processor.sizeChanger->addListener (this);
    }

    void TearDown() override { processor.sizeChanger->removeListener (this); }

    void parameterValueChanged (int, float) override { ++sizeNotifications; }
    void parameterGestureChanged (int, bool) override {}

    OvelanAudioProcessor processor;
    int sizeNotifications = 0;
};

struct BlockCase
{
    const char* what;
    juce::MemoryBlock block;
};

std::string nested (const std::string& opening, const std::string& closing, int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += opening;
    for (int i = 0; i < depth; ++i)
        text += closing;
    return text;
}

// Which blocks count as damaged: each changes nothing at all, not even the size step, and is not
// counted as a restore (an open editor has nothing to catch up with).
TEST_F (StateRestore, DamagedBlocksChangeNothing)
{
    const auto sound = stateBlockWithElement (elementFor (savedValues));
    const auto soundText = std::string (static_cast<const char*> (sound.getData()) + 8, sound.getSize() - 9);
    auto cutInsideItsText = sound;
    cutInsideItsText.setSize (sound.getSize() - 4);

    const BlockCase cases[] = {
        { "a processing instruction in the content, which spun JUCE's parser for ever", stateBlockWithElement ("<Delay Mix=\"0.9\"><?x?>a</Delay>") },
        { "30,000 nested elements, which overflowed JUCE's recursive reader", stateBlockWithElement ("<Delay Mix=\"0.9\">" + nested ("<a>", "</a>", 30000) + "</Delay>") },
        { "200,000 elements opened and never closed", binaryXmlBlock (nested ("<Delay>", "", 200000)) },
        { "the default block cut to 54 bytes", rawBlock (std::string (static_cast<const char*> (binaryXmlBlock (defaultStateText).getData()), 54)) },
        { "a block cut inside its text", cutInsideItsText },
        { "a length field one beyond the data", withLengthField (sound, static_cast<int> (sound.getSize()) - 7) },
        { "a length field far beyond the data", withLengthField (sound, 1 << 30) },
        { "a comment before the element", binaryXmlBlock ("<!-- x --><Delay Mix=\"0.9\"/>") },
        { "a comment inside the tag", stateBlockWithElement ("<Delay <!-- x --> Mix=\"0.9\"/>") },
        { "a comment after the element", stateBlockWithElement ("<Delay Mix=\"0.9\"/><!-- x -->") },
        { "a processing instruction before the element", binaryXmlBlock ("<?pi x?><Delay Mix=\"0.9\"/>") },
        { "a processing instruction after the element", stateBlockWithElement ("<Delay Mix=\"0.9\"/><?pi x?>") },
        { "a comment inside the declaration", binaryXmlBlock ("<?xml version=\"1.0\" <!-- x -->?><Delay Mix=\"0.9\"/>") },
        { "a declaration never closed", binaryXmlBlock ("<?xml version=\"1.0\" <Delay Mix=\"0.9\"/>") },
        { "a DOCTYPE", binaryXmlBlock ("<!DOCTYPE Delay [<!ENTITY e \"0.9\">]><Delay Mix=\"&e;\"/>") },
        { "CDATA in the content", stateBlockWithElement ("<Delay Mix=\"0.9\"><![CDATA[x]]></Delay>") },
        { "text in the content", stateBlockWithElement ("<Delay Mix=\"0.9\">text</Delay>") },
        { "a child element", stateBlockWithElement ("<Delay Mix=\"0.9\"><Delay Mix=\"0.1\"/></Delay>") },
        { "a second element", stateBlockWithElement ("<Delay Mix=\"0.9\"/><Delay Mix=\"0.1\"/>") },
        { "text after the element", stateBlockWithElement ("<Delay Mix=\"0.9\"/> x") },
        { "an end tag of another name", stateBlockWithElement ("<Delay Mix=\"0.9\"></Other>") },
        { "an element never closed", stateBlockWithElement ("<Delay Mix=\"0.9\"") },
        { "an element cut after an attribute", stateBlockWithElement ("<Delay Mix=\"0.9\" ") },
        { "an attribute without a value", stateBlockWithElement ("<Delay Mix/>") },
        { "a value without quotes", stateBlockWithElement ("<Delay Mix=0.9/>") },
        { "a value never closed", stateBlockWithElement ("<Delay Mix=\"0.9/>") },
        { "\"<\" in a value", stateBlockWithElement ("<Delay Mix=\"0.9<\"/>") },
        { "an unknown reference", stateBlockWithElement ("<Delay Mix=\"&nine;\"/>") },
        { "a bare \"&\"", stateBlockWithElement ("<Delay Mix=\"0.9 & more\"/>") },
        { "a reference to character zero", stateBlockWithElement ("<Delay Mix=\"&#0;0.9\"/>") },
        { "a reference beyond Unicode", stateBlockWithElement ("<Delay Mix=\"&#x110000;0.9\"/>") },
        { "a reference to a surrogate", stateBlockWithElement ("<Delay Mix=\"&#xD800;0.9\"/>") },
        { "a lone continuation byte", stateBlockWithElement ("<Delay Mix=\"0.9\" Other=\"\x80\"/>") },
        { "an overlong form", stateBlockWithElement ("<Delay Mix=\"0.9\" Other=\"\xc0\xaf\"/>") },
        { "an encoded surrogate", stateBlockWithElement ("<Delay Mix=\"0.9\" Other=\"\xed\xa0\x80\"/>") },
        { "a sequence cut at the end", binaryXmlBlock ("<Delay Mix=\"0.9\"/>\xe2\x82") },
        { "a zero byte inside the element", binaryXmlBlock (std::string ("<Delay Mix=\"0.9\"\0/>", 19)) },
        { "a byte-order mark", binaryXmlBlock ("\xef\xbb\xbf<Delay Mix=\"0.9\"/>") },
        { "no element", binaryXmlBlock ("   ") },
        { "a declaration alone", binaryXmlBlock ("<?xml version=\"1.0\"?>") },
        { "only the header", rawBlock (std::string ("VC2!\x10\0\0\0\0", 9)) },
        { "a text that is the seed's twice", binaryXmlBlock (soundText + soundText) },
    };

    const auto held = stateBlockWithElement (elementFor (heldValues));
    Watchdog watchdog (std::chrono::seconds (30));

    for (const auto& damaged : cases)
    {
        SCOPED_TRACE (damaged.what);
        watchdog.step (damaged.what);
        restore (processor, held);
        const auto restoresBefore = processor.getRestoreCount();
        restore (processor, damaged.block);
        expectValues (valuesOf (processor), heldValues);
        EXPECT_EQ (processor.getRestoreCount(), restoresBefore);
    }

    EXPECT_EQ (sizeNotifications, 0);
}

struct SoundCase
{
    const char* what;
    juce::MemoryBlock block;
    Values expected;
};

// Every form our writer has made, or that a block of our one element can take, keeps restoring.
TEST_F (StateRestore, SoundFormsRestoreAsTheyAlwaysDid)
{
    OvelanAudioProcessor fresh;
    juce::MemoryBlock defaultBlock;
    fresh.getStateInformation (defaultBlock);
    const auto defaults = valuesOf (fresh);

    const Values zeros = { { "Mix", 0 }, { "Sync", 0 }, { "Feedback", 0 }, { "Balance", 0 }, { "Width", 0 }, { "Drive", 0 }, { "Dark", 0 }, { "Bright", 0 }, { "MS", 0 }, { "Bypass", 0 }, { "Triplet", 0 }, { "TempoChanger", 0 }, { "Dotted", 0 }, { "sizechanger", 0 } };
    auto withZeroAfterText = binaryXmlBlock (defaultStateText + std::string (1, '\0'));
    auto trailing = binaryXmlBlock (defaultStateText);
    trailing.append ("anything a host appends", 23);
    auto withoutClosingZero = binaryXmlBlock (defaultStateText);
    withoutClosingZero.setSize (withoutClosingZero.getSize() - 1);

    const SoundCase cases[] = {
        { "the default block", defaultBlock, defaults },
        { "the default block without its closing zero byte", withoutClosingZero, defaults },
        { "a zero byte counted into the text", withZeroAfterText, defaults },
        { "bytes appended after the block", trailing, defaults },
        { "no declaration", binaryXmlBlock (elementFor (savedValues)), savedValues },
        { "blanks everywhere", binaryXmlBlock ("\n <?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\t<Delay  Mix = '0.71'\tsizechanger\n=\"0\"  />  \n"), with (with (zeros, "Mix", 0.71), "sizechanger", 0) },
        { "an end tag", stateBlockWithElement ("<Delay Mix=\"0.71\" sizechanger=\"1\"> \n </Delay >"), with (with (zeros, "Mix", 0.71), "sizechanger", 1) },
        { "attributes without blanks between them", stateBlockWithElement ("<Delay Mix=\"0.71\"sizechanger=\"1\"/>"), with (with (zeros, "Mix", 0.71), "sizechanger", 1) },
        { "the tag in capitals", stateBlockWithElement ("<DELAY Mix=\"0.71\" sizechanger=\"1\"/>"), with (with (zeros, "Mix", 0.71), "sizechanger", 1) },
        { "attributes in reverse", stateBlockWithElement ("<Delay sizechanger=\"1\" Dotted=\"1.0\" MS=\"0.25\" Mix=\"0.71\"/>"), with (with (with (with (zeros, "Mix", 0.71), "MS", 0.25), "Dotted", 1), "sizechanger", 1) },
        { "bools an older build saved as the value it held", stateBlockWithElement ("<Delay Bypass=\"0.699999988079071\" Triplet=\"1.0\" TempoChanger=\"0.5\" Dotted=\"0.0\" sizechanger=\"1\"/>"), with (with (zeros, "Triplet", 1), "sizechanger", 1) },
        { "references in values", stateBlockWithElement ("<Delay Mix=\"&#48;.7&#x31;\" Bypass=\"&#116;rue\" Other=\"&lt;&amp;&gt;&quot;&apos;\" sizechanger=\"1\"/>"), with (with (with (zeros, "Mix", 0.71), "Bypass", 1), "sizechanger", 1) },
        { "the first of two attributes of one name", stateBlockWithElement ("<Delay Mix=\"0.71\" Mix=\"0.2\" sizechanger=\"1\"/>"), with (with (zeros, "Mix", 0.71), "sizechanger", 1) },
        { "names JUCE never writes", stateBlockWithElement ("<Delay 1x=\"2\" -y=\"3\" a:b.c=\"4\" sizechanger=\"1\"/>"), with (zeros, "sizechanger", 1) },
        { "non-ASCII text", stateBlockWithElement ("<Delay Mix=\"0.71\" Name=\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x8e\xb5\" sizechanger=\"1\"/>"), with (with (zeros, "Mix", 0.71), "sizechanger", 1) },
        { "another tag", stateBlockWithElement ("<Other Mix=\"0.71\" sizechanger=\"1\"/>"), with (heldValues, "sizechanger", 1) },
    };

    for (const auto& sound : cases)
    {
        SCOPED_TRACE (sound.what);
        restore (processor, stateBlockWithElement (elementFor (heldValues)));
        const auto restoresBefore = processor.getRestoreCount();
        restore (processor, sound.block);
        expectValues (valuesOf (processor), sound.expected);
        EXPECT_EQ (processor.getRestoreCount(), restoresBefore + 1);
    }
}

// Cut at every length, a saved block changes nothing, unless the cut takes only its closing
// zero byte.
TEST_F (StateRestore, ASavedBlockCutAtAnyLengthChangesNothing)
{
    OvelanAudioProcessor source;
    restore (source, stateBlockWithElement (elementFor (savedValues)));
    juce::MemoryBlock saved;
    source.getStateInformation (saved);

    for (size_t length = 0; length + 1 < saved.getSize(); ++length)
    {
        SCOPED_TRACE (length);
        restore (processor, juce::MemoryBlock (saved.getData(), length));
        expectValues (valuesOf (processor), heldValues);
    }

    restore (processor, juce::MemoryBlock (saved.getData(), saved.getSize() - 1));
    expectValues (valuesOf (processor), savedValues);
    EXPECT_EQ (sizeNotifications, 1);
}

// A value of megabytes restores, and promptly: the watchdog is a bound against a hang only.
TEST_F (StateRestore, GiantAttributesRestore)
{
    Watchdog watchdog (std::chrono::seconds (30));
    watchdog.step ("three attributes of 3 MB");
    const auto megabytes = std::string (3 << 20, '7');

    restore (processor, stateBlockWithElement ("<Delay Mix=\"" + megabytes + "\" Sync=\"0." + megabytes + "\" Other=\"" + megabytes + "\" sizechanger=\"1\"/>"));

    auto expected = with (with (with (heldValues, "sizechanger", 1), "Mix", 1.0), "Sync", 0.78);
    for (const auto* name : { "Feedback", "Balance", "Width", "Drive", "Dark", "Bright", "MS", "Bypass", "Triplet", "TempoChanger", "Dotted" })
        expected[name] = 0.0;

    expectValues (valuesOf (processor), expected);
}

// JUCE's number reading for every ordinary text, and the right value where its own reading
// overflows.
TEST (StateNumbers, ReadAsJuceReadsThemAndRightWhereItOverflows)
{
    const std::string ordinary[] = { "0.5", "0.6000000238418579", "0.2199999988079071", "0.0", "1.0", "2.0", "1e-07", "9.999999747378752e-06",
                                     " 7", "\t-0.5", "+.25", "-.0", "00012.50", "1.5e3", "1.5E+3", "2e-3", "5e", "5e+", "5e-x", "0x10", "", "abc",
                                     "nan", "-NaN", "inf", "-Inf", "+inf", "infinity", "1e308", "1e309", "1e-320", "1e-400", "123456789012345678901234",
                                     "0.123456789012345678901234", "1234567890123456789.5e-3", "-", ".", "..5", "1.2.3", "0.7 and more",
                                     "\xc2\xa0"
                                     "0.5",
                                     "1e0009", "12e-00000000000000000003" };

    for (const auto& text : ordinary)
    {
        SCOPED_TRACE (text);
        const auto expected = juce::String::fromUTF8 (text.c_str()).getDoubleValue();
        const auto actual = StateTextGuard::readNumber (text);

        if (std::isnan (expected))
            EXPECT_TRUE (std::isnan (actual)) << actual;
        else
            EXPECT_EQ (actual, expected);
    }

    const auto inf = std::numeric_limits<double>::infinity();

    struct Giant
    {
        const char* what;
        std::string text;
        double expected;
    };

    const Giant giants[] = {
        { "a megabyte of digits", std::string (1 << 20, '1'), inf },
        // 25,417 digits: JUCE writes an exponent of 25,399 into three places and reads 1.1e-82.
        { "25,417 digits", std::string (25417, '1'), inf },
        { "a negative megabyte of digits", "-" + std::string (1 << 20, '9'), -inf },
        { "an exponent of eleven digits", "1e99999999999", inf },
        { "a negative exponent of eleven digits", "5e-99999999999", 0.0 },
        { "an exponent of a million zeros", "0.5e" + std::string (1000000, '0'), 0.5 },
        { "zeros the exponent takes back", "25" + std::string (100000, '0') + "e-100002", 0.25 },
        { "digits the exponent takes back", std::string (100000, '1') + "e-99950", 1.1111111111111111e49 },
        { "a megabyte of fraction digits", "0." + std::string (1 << 20, '3'), 0.33333333333333333 },
    };

    for (const auto& giant : giants)
    {
        SCOPED_TRACE (giant.what);
        EXPECT_DOUBLE_EQ (StateTextGuard::readNumber (giant.text), giant.expected);
    }
}

// What a toggle meant to the engine comes back: any value from 0.5 up is saved on, below it off,
// and 0 and 1 are saved as they always were.
TEST (ProcessorSave, TogglesAreSavedAsWhatTheyMean)
{
    struct Case
    {
        float value;
        const char* saved;
    };

    const Case cases[] = { { 0.7f, "1.0" }, { 0.5f, "1.0" }, { 1.0f, "1.0" }, { 0.49f, "0.0" }, { 0.0f, "0.0" }, { 0.2f, "0.0" } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        OvelanAudioProcessor source;

        for (auto* parameter : *source.boolParameters)
            parameter->setValueNotifyingHost (c.value);

        const auto text = savedText (source);

        for (auto* parameter : *source.boolParameters)
            EXPECT_NE (text.find (" " + parameter->getParameterID().toStdString() + "=\"" + c.saved + "\""), std::string::npos) << text;

        OvelanAudioProcessor restored;
        juce::MemoryBlock block;
        source.getStateInformation (block);
        restore (restored, block);

        for (auto* parameter : *restored.boolParameters)
            EXPECT_EQ (parameter->get(), ParameterMeaning::isOn (c.value)) << parameter->getParameterID();
    }
}

// A NaN a host left in a parameter is saved as the value the engine goes on using, its last
// finite one, whether that came from the host or from a restored state.
TEST (ProcessorSave, NotANumberIsSavedAsTheLastFiniteValue)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    OvelanAudioProcessor processor;
    auto& parameters = processor.getParameters();

    parameters[ParameterIndex::hostIndex (ParameterIndex::mix)]->setValueNotifyingHost (0.3f);
    parameters[ParameterIndex::hostIndex (ParameterIndex::triplet)]->setValueNotifyingHost (1.0f);
    const auto before = savedText (processor);

    parameters[ParameterIndex::hostIndex (ParameterIndex::mix)]->setValueNotifyingHost (nan);
    parameters[ParameterIndex::hostIndex (ParameterIndex::triplet)]->setValueNotifyingHost (nan);
    ASSERT_TRUE (std::isnan (processor.floatParameters->at (ParameterIndex::mix)->get()));

    EXPECT_EQ (savedText (processor), before);
    EXPECT_EQ (savedText (processor).find ("nan"), std::string::npos);

    // A restore sets values without telling anyone; its values are the last finite ones then.
    restore (processor, stateBlockWithElement ("<Delay Mix=\"0.81\" Sync=\"0.42\" Triplet=\"0\" sizechanger=\"1\"/>"));
    const auto restored = savedText (processor);
    parameters[ParameterIndex::hostIndex (ParameterIndex::sync)]->setValueNotifyingHost (nan);
    parameters[ParameterIndex::hostIndex (ParameterIndex::triplet)]->setValueNotifyingHost (nan);

    EXPECT_EQ (savedText (processor), restored);
    const auto element = juce::parseXML (juce::String (restored));
    ASSERT_NE (element, nullptr);
    EXPECT_NEAR (element->getDoubleAttribute ("Sync"), 0.42, 1.0e-6);
    EXPECT_EQ (element->getStringAttribute ("Triplet"), "0.0");
}
} // namespace
