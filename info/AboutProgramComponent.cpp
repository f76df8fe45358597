#include "AboutProgramComponent.h"

#include "../editor/EditorLook.h"
#include "../editor/UpperKnobDataBar.h"

#include <BinaryData.h>
#include <ProductFacts.h>

namespace
{
constexpr const char* platformName()
{
#if JUCE_MAC
    return "OS X";
#elif JUCE_WINDOWS
    return "Windows";
#else
    return "Linux";
#endif
}
} // namespace

AboutProgramComponent::AboutProgramComponent (const std::string& version)
    : aboutLabel ({}, {})
{
    logoPicture = juce::Drawable::createFromImageData (BinaryData::maker_logo_png, BinaryData::maker_logo_pngSize);
    closePicture = juce::Drawable::createFromImageData (BinaryData::close_mark_svg, BinaryData::close_mark_svgSize);

    // Clicks go through the text to whatever lies below.
    aboutLabel.setInterceptsMouseClicks (false, false);
    aboutLabel.setText (makeAboutText (version), juce::dontSendNotification);
    addAndMakeVisible (aboutLabel);
}

AboutProgramComponent::~AboutProgramComponent() = default;

juce::String AboutProgramComponent::makeAboutText (const std::string& version)
{
    const std::string lines[] = {
        ProductFacts::name,
        "version " + version + " " + platformName(),
        "",
        ProductFacts::supportEmail,
        ProductFacts::webDomain,
        "",
        "Licensed for your own music and audio.",
        "",
        "All rights reserved.",
        std::string ("\xc2\xa9 2023 ") + ProductFacts::vendor,
        ProductFacts::name,
        "",
        "VST Plugin Technology by Steinberg",
    };

    juce::StringArray text;

    for (const auto& line : lines)
        text.add (juce::String::fromUTF8 (line.c_str()));

    // One line feed after each line but the last.
    return text.joinIntoString ("\n");
}

juce::Rectangle<float> AboutProgramComponent::logoArea (int width, int height)
{
    const auto widthF = static_cast<float> (width);
    const auto logoWidth = 0.2f * widthF;
    const auto x = (0.41f * widthF + -0.2f * widthF) * 0.5f;
    const auto logoHeight = static_cast<double> (logoWidth) * 0.987;
    const auto y = static_cast<float> ((static_cast<double> (height) - logoHeight) * 0.5);
    return { x, y, logoWidth, static_cast<float> (logoHeight) };
}

juce::Rectangle<float> AboutProgramComponent::closeMarkArea (int width, int closePictureWidth, int closePictureHeight)
{
    const auto widthF = static_cast<float> (width);
    const auto side = 0.04f * widthF;
    const auto proportion = closePictureHeight > 0 ? closePictureWidth / closePictureHeight : 0;
    return { widthF - side, 0.0f, side, static_cast<float> (proportion) * side };
}

void AboutProgramComponent::paint (juce::Graphics& g)
{
    g.setColour (EditorLook::aboutPanel);
    g.fillRect (getLocalBounds());

    logoPicture->drawWithin (g, logoArea (getWidth(), getHeight()), juce::RectanglePlacement::stretchToFit, 1.0f);
    closePicture->drawWithin (g, closeMarkArea (getWidth(), closePicture->getWidth(), closePicture->getHeight()), juce::RectanglePlacement::stretchToFit, 1.0f);
}

void AboutProgramComponent::resized()
{
    const auto width = static_cast<float> (getWidth());
    const auto height = static_cast<float> (getHeight());

    auto font = UpperKnobDataBar::getFont();
    font.setHeight (height / 22.0f);
    aboutLabel.setFont (font);

    // Wider than the panel on purpose: the text starts at 41 % and the panel clips its right edge.
    aboutLabel.setBounds (static_cast<int> (width * 0.41f),
                          static_cast<int> ((height - height * 0.66f) * 0.5f),
                          static_cast<int> (width * 0.8f),
                          static_cast<int> (height * 0.66f));
}
