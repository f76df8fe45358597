#include "BundleFixture.h"

namespace
{
struct ExpectedParameter
{
    const char* name;
    float defaultValue;
    const char* text;
};

// What a host lists: our thirteen in their fixed order, then JUCE's own host bypass.
const ExpectedParameter expectedParameters[] = {
    { "Mix", 0.5f, "0.50" },
    { "Sync", 0.6f, "0.60" },
    { "Feedback", 0.22f, "0.22" },
    { "Balance", 0.5f, "0.50" },
    { "Width", 0.0f, "0.00" },
    { "Drive", 0.0f, "0.00" },
    { "Dark", 0.0f, "0.00" },
    { "Bright", 0.0f, "0.00" },
    { "MS", 0.1f, "0.1000000" },
    { "Bypass", 0.0f, "Off" },
    { "Triplet", 0.0f, "Off" },
    { "TempoChanger", 0.0f, "Off" },
    { "Dotted", 0.0f, "Off" },
    { "Bypass", 0.0f, "Off" },
};

TEST (BundleParameters, HostSeesThirteenParametersAndJucesBypass)
{
    auto plugin = echovane::testing::loadBuiltBundle();
    const auto& parameters = plugin->getParameters();
    ASSERT_EQ (parameters.size(), static_cast<int> (std::size (expectedParameters)));

    for (int i = 0; i < parameters.size(); ++i)
    {
        const auto& expected = expectedParameters[i];
        auto* parameter = parameters[i];
        SCOPED_TRACE (juce::String (i) + " " + expected.name);
        EXPECT_EQ (parameter->getName (100), expected.name);
        EXPECT_NEAR (parameter->getDefaultValue(), expected.defaultValue, 1.0e-6f);
        EXPECT_NEAR (parameter->getValue(), expected.defaultValue, 1.0e-6f);
        EXPECT_EQ (parameter->getCurrentValueAsText(), expected.text);
        EXPECT_TRUE (parameter->isAutomatable());
        EXPECT_NE (parameter->getName (100), "SIZE_CHANGER");
        EXPECT_NE (parameter->getName (100), "size changer");
    }

    // JUCE derives every VST3 ID from the string ID; its own bypass is 'byps'.
    auto* hostBypass = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameters[echovane::testing::hostBypassIndex]);
    ASSERT_NE (hostBypass, nullptr);
    EXPECT_EQ (hostBypass->getParameterID(), juce::String (0x62797073));
}

TEST (BundleParameters, HostWritesSnapToTheParametersGrid)
{
    auto plugin = echovane::testing::loadBuiltBundle();
    echovane::host::applyAssignments (*plugin, { "Mix=0.123", "MS=0.123", "Triplet=0.7" });

    // The host's own copy keeps what it sent; the plug-in's saved values show what it stored.
    const auto state = echovane::testing::savedElement (*plugin);
    EXPECT_NEAR (state->getDoubleAttribute ("Mix"), 0.12, 1.0e-7);
    EXPECT_NEAR (state->getDoubleAttribute ("MS"), 0.123, 1.0e-7);
    // A toggle is saved as what it means: 0.7 is on.
    EXPECT_EQ (state->getStringAttribute ("Triplet"), "1.0");
}

TEST (BundleParameters, AnswersNameBusesProgramsAndMidi)
{
    auto plugin = echovane::testing::loadBuiltBundle();
    const auto description = plugin->getPluginDescription();

    EXPECT_EQ (description.name, "Kestrin Studio Echovane");
    EXPECT_EQ (description.manufacturerName, "Kestrin Studio Ltd.");
    EXPECT_EQ (description.version, "1.0.0");
    EXPECT_EQ (description.pluginFormatName, "VST3");
    EXPECT_TRUE (description.category.contains ("Fx"));
    EXPECT_FALSE (description.isInstrument);

    EXPECT_FALSE (plugin->acceptsMidi());
    EXPECT_FALSE (plugin->producesMidi());
    EXPECT_EQ (plugin->getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (plugin->hasEditor());

    ASSERT_EQ (plugin->getBusCount (true), 1);
    ASSERT_EQ (plugin->getBusCount (false), 1);
    EXPECT_EQ (plugin->getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (plugin->getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (plugin->getBus (true, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
    EXPECT_EQ (plugin->getBus (false, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());

    EXPECT_LE (plugin->getNumPrograms(), 1);
    EXPECT_EQ (plugin->getCurrentProgram(), 0);
    plugin->setCurrentProgram (5);
    EXPECT_EQ (plugin->getCurrentProgram(), 0);
}
} // namespace
