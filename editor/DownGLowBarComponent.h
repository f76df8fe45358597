#pragma once

#include "StretchedPicture.h"

#include <memory>

/** The product logo, stretched into whatever bounds the bottom bar gives it. */
class DelayLogoComponent final : public StretchedPictureComponent
{
public:
    DelayLogoComponent();
};

/** The glow along the bottom edge of the editor, with the product logo in the gap between its
    two strokes. */
class DownGLowBarComponent final : public juce::Component
{
public:
    DownGLowBarComponent();
    ~DownGLowBarComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    const juce::Component& getProductLogo() const { return *productLogo; }

private:
    std::unique_ptr<juce::Drawable> glowPicture;
    // Never drawn: only its proportions size the logo.
    std::unique_ptr<juce::Drawable> logoShapePicture;
    std::unique_ptr<DelayLogoComponent> productLogo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownGLowBarComponent)
};
