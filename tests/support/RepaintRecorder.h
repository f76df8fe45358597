#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace echovane::testing
{
/** Records every area a component asks to have repainted, in that component's coordinates,
    without a window: JUCE hands each repaint of the component or of any child to its cached
    image before it would reach a peer. Attach it to the top of the tree; while attached, the
    component still paints normally through paintEntireComponent and snapshots. */
class RepaintRecorder final : public juce::CachedComponentImage
{
public:
    /** Attaches a new recorder, owned by the component from then on (JUCE deletes it with the
        component, or when another cached image replaces it). */
    static RepaintRecorder& attachTo (juce::Component& componentToWatch)
    {
        auto* recorder = new RepaintRecorder (componentToWatch);
        componentToWatch.setCachedComponentImage (recorder);
        recorder->clear();
        return *recorder;
    }

    void clear() { areas.clear(); }

    /** The smallest rectangle holding every area recorded since the last clear. */
    juce::Rectangle<int> unionOfAreas() const
    {
        juce::Rectangle<int> result;

        for (const auto& area : areas)
            result = result.isEmpty() ? area : result.getUnion (area);

        return result;
    }

    std::vector<juce::Rectangle<int>> areas;

    void paint (juce::Graphics&) override {}

    bool invalidateAll() override
    {
        areas.push_back (component.getLocalBounds());
        return true;
    }

    bool invalidate (const juce::Rectangle<int>& area) override
    {
        areas.push_back (area);
        return true;
    }

    void releaseResources() override {}

private:
    explicit RepaintRecorder (juce::Component& componentToWatch)
        : component (componentToWatch)
    {
    }

    juce::Component& component;
};
} // namespace echovane::testing
