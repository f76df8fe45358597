#pragma once

#include "../engine/PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>

/** Brings an open editor's controls to the parameters after the host restores a state (a preset
    loaded, an undo). A restore sets the values without telling any control, so the processor
    counts restores and this watches the count from the message thread: when it moves, every
    knob and the tempo lever take their parameter's value as a notification would bring it, and
    the toggles, which draw from their parameter, repaint. It writes no parameter and begins no
    gesture, so the host hears nothing of it. The time read-out follows the values on its own
    tick, and the size step stays as the editor's first layout applied it. */
class RestoredStateFollower final : private juce::Timer
{
public:
    /** Watches `processor` for the controls anywhere under `controls`; both must outlive it. */
    RestoredStateFollower (const OvelanAudioProcessor& processor, juce::Component& controls);
    ~RestoredStateFollower() override;

    /** Brings the controls to the parameters if a state was restored since the last look;
        message thread only. Its timer calls this. */
    void catchUp();

private:
    void timerCallback() override;

    const OvelanAudioProcessor& processor;
    juce::Component& controls;
    std::uint32_t restoresSeen = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RestoredStateFollower)
};
