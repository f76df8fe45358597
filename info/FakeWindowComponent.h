#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class PopuppWindowComponent;

/** A transparent click-catcher over the whole editor while the info menu or the About panel is
    open: the next click anywhere closes everything. */
class FakeWindowComponent final : public juce::Component
{
public:
    explicit FakeWindowComponent (PopuppWindowComponent* owner);
    ~FakeWindowComponent() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Whether the hotspot's next layout shows the catcher. */
    bool isShown = false;

private:
    PopuppWindowComponent* popup = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FakeWindowComponent)
};
