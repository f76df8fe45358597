#pragma once

#include "editor/BasicButtonWrapper.h"
#include "editor/KnobWrapper.h"
#include "editor/UpperKnob.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <string>
#include <vector>

namespace echovane::testing
{
/** The small knob group captioned `caption` anywhere under `root`, or nullptr. */
inline BasicButtonWrapper* findSmallKnob (juce::Component& root, const juce::String& caption)
{
    for (auto* child : root.getChildren())
    {
        if (auto* group = dynamic_cast<BasicButtonWrapper*> (child))
            if (group->getCaption().getLabel().getText() == caption)
                return group;

        if (auto* found = findSmallKnob (*child, caption))
            return found;
    }

    return nullptr;
}

/** The middle of a knob, in `root`'s coordinates. */
inline juce::Point<int> centreOf (juce::Component& root, juce::Component& knob)
{
    return root.getLocalPoint (&knob, knob.getLocalBounds().getCentre());
}

/** Everything a parameter tells its listeners, in order: gesture starts and ends and each value
    as sent. Listens from construction to destruction. */
class ProtocolRecorder final : private juce::AudioProcessorParameter::Listener
{
public:
    struct Event
    {
        enum Kind
        {
            begin,
            value,
            end
        } kind;
        float newValue;
    };

    explicit ProtocolRecorder (juce::AudioProcessorParameter& parameterToWatch)
        : parameter (parameterToWatch)
    {
        parameter.addListener (this);
    }

    ~ProtocolRecorder() override { parameter.removeListener (this); }

    std::vector<Event> events;

    std::vector<float> values() const
    {
        std::vector<float> result;

        for (const auto& event : events)
            if (event.kind == Event::value)
                result.push_back (event.newValue);

        return result;
    }

    /** "B", "E" and "v" for each event, e.g. "BvvvE". */
    std::string shape() const
    {
        std::string result;

        for (const auto& event : events)
            result += event.kind == Event::begin ? 'B' : event.kind == Event::end ? 'E'
                                                                                  : 'v';

        return result;
    }

private:
    void parameterValueChanged (int, float newValue) override { events.push_back ({ Event::value, newValue }); }
    void parameterGestureChanged (int, bool starting) override { events.push_back ({ starting ? Event::begin : Event::end, 0.0f }); }

    juce::AudioProcessorParameter& parameter;
};
} // namespace echovane::testing
