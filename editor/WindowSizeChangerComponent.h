#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** The plate that shows the editor's size step and, on each click, moves the editor (its parent)
    on through 100 % -> 150 % -> 80 % -> 100 %. The step itself lives in the processor's hidden
    size parameter, so a reopened editor comes back at the last chosen step. */
class WindowSizeChangerComponent final : public juce::Component
{
public:
    WindowSizeChangerComponent (juce::AudioParameterFloat* sizeParameterToUse, int baseEditorWidth, int baseEditorHeight);
    ~WindowSizeChangerComponent() override;

    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    /** What the plate shows: "100%", "150%" or "80%". */
    juce::String getShownText() const;

private:
    void resizeEditor (int width, int height);

    bool firstResize = true;
    int percent = 100;
    int baseWidth = 1000;
    int baseHeight = 480;
    std::unique_ptr<juce::Drawable> platePicture;
    juce::AudioParameterFloat* sizeParameter = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WindowSizeChangerComponent)
};
