#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <string>
#include <vector>

namespace echovane::host
{
/** Loads a VST3 bundle through JUCE's VST3 hosting, as a DAW would: the module's factory, its
    audio processor and its edit controller. Throws CommandFailure when it does not load. */
std::unique_ptr<juce::AudioPluginInstance> loadBundle (const juce::File& bundle,
                                                       double sampleRate = 48000.0,
                                                       int blockSize = 512);

/** Finds a host parameter by its name or by its VST3 ID; nullptr when there is none. */
juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& plugin, const juce::String& idOrName);

/** Applies "ID=VALUE" assignments (normalised values) as host automation would, with gestures.
    Throws UsageError naming the unknown ID or the value that is not a number. */
void applyAssignments (juce::AudioPluginInstance& plugin, const std::vector<std::string>& assignments);

/** Checks assignments without a plug-in at hand, so bad input is refused before loading. */
void checkAssignmentSyntax (const std::vector<std::string>& assignments);

/** One line per host parameter: index, VST3 ID, name, default, value and its text. */
juce::String describeParameters (juce::AudioPluginInstance& plugin);

/** Name, vendor, version, buses and latency. */
juce::String describePlugin (juce::AudioPluginInstance& plugin);
} // namespace echovane::host
