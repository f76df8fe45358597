#pragma once

#include "../engine/PluginProcessor.h"
#include "../info/PopuppWindowComponent.h"
#include "../info/UpdateContainer.h"
#include "DelayRow.h"
#include "DownGLowBarComponent.h"
#include "RestoredStateFollower.h"
#include "UpperGlowBarComponent.h"
#include "WindowSizeChangerComponent.h"

#include <memory>

/** Where the editor puts each of its children at a given size: fixed fractions of the editor's
    width and height, truncated to whole pixels, with negative sizes counting as zero. */
struct EditorLayout
{
    juce::Rectangle<int> downGlowBar;
    juce::Rectangle<int> upperGlowBar;
    juce::Rectangle<int> controlRow;
    juce::Rectangle<int> updateNotice;
    juce::Rectangle<int> infoHotspot;
    juce::Rectangle<int> sizeChanger;

    /** `sizeChangerAspect` is the size-changer plate's height over its width. */
    static EditorLayout forSize (int width, int height, float sizeChangerAspect);
};

/** The plug-in's own window: the background picture under a dark veil, the control row with
    every control, the two glow bars and the size changer, all laid out proportionally to
    whatever size the host or the size changer gives it. */
class OvelanAudioProcessorEditor final : public juce::AudioProcessorEditor
{
public:
    explicit OvelanAudioProcessorEditor (OvelanAudioProcessor& p);
    ~OvelanAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    /** The background picture stretched to the editor and veiled, kept so that a paint only
        copies it; remade when the size or the display's pixel scale changes. */
    const juce::Image& backgroundAt (float pixelScale);

    std::unique_ptr<juce::Drawable> backgroundPicture;
    // Never drawn: its proportions give the size changer's.
    std::unique_ptr<juce::Drawable> sizeChangerPicture;
    OvelanAudioProcessor& processorRef;

    // Members go in reverse order: the control row leaves before the size changer and the glow
    // bars, and whatever is declared after it leaves before it.
    std::unique_ptr<DownGLowBarComponent> downGlowBar;
    std::unique_ptr<UpperGlowBarComponent> upperGlowBar;
    std::unique_ptr<WindowSizeChangerComponent> windowSizeChanger;
    std::unique_ptr<DelayRowWrapper> delayRowWrapper;
    // The notice owns the update check; the hotspot leaves first, then the check is stopped.
    std::unique_ptr<UpdateContainer> updateContainer;
    std::unique_ptr<PopuppWindowComponent> popupWindow;
    // Leaves before the controls it brings to a restored state.
    std::unique_ptr<RestoredStateFollower> restoredStateFollower;
    int editorBaseWidth = 0;

    juce::Image backgroundCache;
    float backgroundCacheScale = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OvelanAudioProcessorEditor)
};
