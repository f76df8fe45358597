#pragma once

#include "AllParametersListener.h"
#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace echovane::testing
{
/** Writes every host parameter of a processor hears, in order, as short words: "Triplet=1",
    "Triplet(" for a gesture's start and "Triplet)" for its end. A test compares the whole
    list, so the order of writes and gestures is part of what it checks. */
class ParameterLog final : private AllParametersListener
{
public:
    explicit ParameterLog (OvelanAudioProcessor& processorToWatch)
        : AllParametersListener (processorToWatch)
    {
    }

    std::vector<std::string> entries;

    void clear() { entries.clear(); }

private:
    void parameterValueChanged (int index, float value) override
    {
        entries.push_back (nameOf (index) + "=" + juce::String (value).toStdString());
    }

    void parameterGestureChanged (int index, bool starting) override
    {
        entries.push_back (nameOf (index) + (starting ? "(" : ")"));
    }
};

using Log = std::vector<std::string>;

/** `entries` with the part from `first` up to `fromEnd` entries before the end sorted: for
    writes whose order among themselves is JUCE's listener order, not the plug-in's. */
inline Log sortedPart (Log entries, size_t first, size_t fromEnd = 0)
{
    if (entries.size() >= first + fromEnd)
        std::sort (entries.begin() + static_cast<std::ptrdiff_t> (first), entries.end() - static_cast<std::ptrdiff_t> (fromEnd));

    return entries;
}

/** A write as the editor's own controls make it: value, then its notification. */
inline void writeOnThisThread (juce::AudioProcessorParameter& parameter, float value)
{
    parameter.setValue (value);
    parameter.sendValueChangedMessageToListeners (value);
}

/** A write as host automation makes it, from a thread that is not the message thread. */
inline void writeFromAnotherThread (juce::AudioProcessorParameter& parameter, float value)
{
    std::thread writer ([&parameter, value]
                        { writeOnThisThread (parameter, value); });
    writer.join();
}

inline juce::AudioProcessorParameter& hostParameter (OvelanAudioProcessor& processor, ParameterIndex::Bool index)
{
    return *processor.boolParameters->at (index);
}

inline juce::AudioProcessorParameter& hostParameter (OvelanAudioProcessor& processor, ParameterIndex::Float index)
{
    return *processor.floatParameters->at (index);
}
} // namespace echovane::testing
