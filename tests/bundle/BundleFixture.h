#pragma once

#include "ComponentState.h"
#include "PluginLoader.h"
#include "engine/ParameterIndex.h"

#include <gtest/gtest.h>

namespace echovane::testing
{
/** JUCE's VST3 client adds the host's own bypass after the plug-in's parameters. */
constexpr int hostBypassIndex = ParameterIndex::hostIndex (ParameterIndex::boolCount);

/** The bundle this build made, as a DAW finds it. */
inline juce::File builtBundle()
{
    return juce::File (ECHOVANE_VST3_BINARY_DIR).getParentDirectory().getParentDirectory();
}

/** A fresh instance of the built bundle, loaded through JUCE's VST3 hosting. */
inline std::unique_ptr<juce::AudioPluginInstance> loadBuiltBundle (double sampleRate = 48000.0, int blockSize = 512)
{
    return echovane::host::loadBundle (builtBundle(), sampleRate, blockSize);
}
/** JUCE's VST3 client closes every state it hands the host with this mark. */
inline bool endsWithJuceTrailer (const juce::MemoryBlock& state)
{
    const juce::String mark ("JUCEPrivateData");
    const auto length = static_cast<size_t> (mark.length());
    return state.getSize() > length
        && juce::String::fromUTF8 (static_cast<const char*> (state.getData()) + state.getSize() - length, mark.length()) == mark;
}

/** The plug-in's own state block, as the host receives it, without JUCE's trailer. */
inline std::unique_ptr<juce::XmlElement> savedElement (juce::AudioPluginInstance& plugin)
{
    const auto state = echovane::host::readComponentState (plugin);
    return juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
}
} // namespace echovane::testing
