#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <string>

namespace echovane::testing
{
/** Listens to every parameter of a processor (our own or a hosted one) for as long as it lives;
    the test's watchers say what they make of each notification. */
class AllParametersListener : protected juce::AudioProcessorParameter::Listener
{
public:
    explicit AllParametersListener (juce::AudioProcessor& processorToWatch)
        : watched (processorToWatch)
    {
        for (auto* parameter : watched.getParameters())
            parameter->addListener (this);
    }

    ~AllParametersListener() override
    {
        for (auto* parameter : watched.getParameters())
            parameter->removeListener (this);
    }

protected:
    std::string nameOf (int index) const { return watched.getParameters()[index]->getName (64).toStdString(); }

    juce::AudioProcessor& watched;

    JUCE_DECLARE_NON_COPYABLE (AllParametersListener)
};
} // namespace echovane::testing
