#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <string>

/** The About panel: a translucent teal card with the maker's logo on the left, a close mark in
    the top-right corner and the product, version, contact and rights text. It reacts to no
    mouse event; the click-catcher above it closes it. */
class AboutProgramComponent final : public juce::Component
{
public:
    /** `version` is the running version the update check compares with. */
    explicit AboutProgramComponent (const std::string& version);
    ~AboutProgramComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Whether the hotspot's next layout shows the panel. */
    bool isShown = false;

    /** The nine text lines with their empty lines between groups. */
    static juce::String makeAboutText (const std::string& version);

    /** Where the logo and the close mark are drawn in a panel of the given size; the close
        mark's height follows the whole-pixel proportions of its picture. */
    static juce::Rectangle<float> logoArea (int width, int height);
    static juce::Rectangle<float> closeMarkArea (int width, int closePictureWidth, int closePictureHeight);

    const juce::Label& getAboutLabel() const { return aboutLabel; }

private:
    juce::Label aboutLabel;
    std::unique_ptr<juce::Drawable> logoPicture;
    std::unique_ptr<juce::Drawable> closePicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutProgramComponent)
};
