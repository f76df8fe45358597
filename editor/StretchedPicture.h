#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** Every picture of the editor fills its component whatever the aspect: stretched, opaque. */
inline void drawStretched (juce::Drawable& picture, juce::Graphics& g, const juce::Component& into)
{
    picture.drawWithin (g, juce::Rectangle<float> (0.0f, 0.0f, static_cast<float> (into.getWidth()), static_cast<float> (into.getHeight())), juce::RectanglePlacement::stretchToFit, 1.0f);
}

/** A piece of decoration: one compiled-in picture, stretched into its bounds. It takes no input
    and follows no parameter; the decorations differ only in the picture they are given. */
class StretchedPictureComponent : public juce::Component
{
public:
    StretchedPictureComponent (const char* pictureData, int pictureSize)
        : picture (juce::Drawable::createFromImageData (pictureData, static_cast<size_t> (pictureSize)))
    {
    }

    void paint (juce::Graphics& g) override { drawStretched (*picture, g, *this); }

private:
    std::unique_ptr<juce::Drawable> picture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StretchedPictureComponent)
};
