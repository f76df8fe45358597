#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace echovane::host
{
/** The bytes the plug-in's VST3 component itself hands the host (IComponent::getState): the
    plug-in's own block followed by JUCE's private trailer. JUCE's hosting wraps them in an XML
    envelope of its own, which these two functions take off and put back on. */
juce::MemoryBlock readComponentState (juce::AudioPluginInstance& plugin);

/** The plug-in's own block without JUCE's trailer (int64 0, private data, int64 size of the
    private data, "JUCEPrivateData"), as JUCE's VST3 client hands it to the processor. A block
    without a well-formed trailer comes back unchanged. */
juce::MemoryBlock withoutJuceTrailer (const juce::MemoryBlock& state);

/** Hands exactly these bytes to the component's setState, and the controller's
    setComponentState, as a host restoring a project does. */
void writeComponentState (juce::AudioPluginInstance& plugin, const juce::MemoryBlock& state);
} // namespace echovane::host
