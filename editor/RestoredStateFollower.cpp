#include "RestoredStateFollower.h"

#include "KnobWrapper.h"
#include "TempoCompassComponent.h"
#include "ToggleButtons.h"

#include <vector>

namespace
{
// Quick enough to look immediate after loading a preset, and costs one atomic load a tick.
constexpr int checkIntervalMs = 50;

void collectDescendants (juce::Component& parent, std::vector<juce::Component*>& found)
{
    for (auto* child : parent.getChildren())
    {
        found.push_back (child);
        collectDescendants (*child, found);
    }
}
} // namespace

RestoredStateFollower::RestoredStateFollower (const OvelanAudioProcessor& processorToWatch, juce::Component& controlsToFollow)
    : processor (processorToWatch)
    , controls (controlsToFollow)
    , restoresSeen (processorToWatch.getRestoreCount())
{
    startTimer (checkIntervalMs);
}

RestoredStateFollower::~RestoredStateFollower()
{
    stopTimer();
}

void RestoredStateFollower::timerCallback()
{
    catchUp();
}

void RestoredStateFollower::catchUp()
{
    const auto restores = processor.getRestoreCount();

    if (restores == restoresSeen)
        return;

    restoresSeen = restores;

    // Collected first: a lever that changes mode re-lays out the TIME knob.
    std::vector<juce::Component*> components;
    collectDescendants (controls, components);

    for (auto* component : components)
    {
        if (auto* knob = dynamic_cast<KnobWrapper*> (component))
        {
            auto* parameter = knob->getParameter();
            knob->parameterValueChanged (parameter->getParameterIndex(), asHostParameter (parameter).getValue());
        }
        else if (auto* lever = dynamic_cast<TempoCompassComponent*> (component))
        {
            lever->followParameter();
        }
        else if (dynamic_cast<ByPassButtonComponent*> (component) != nullptr || dynamic_cast<NoteVariantToggle*> (component) != nullptr)
        {
            component->repaint();
        }
    }
}
