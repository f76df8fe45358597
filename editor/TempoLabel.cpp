#include "TempoLabel.h"

#include "EditorLook.h"

#include <BinaryData.h>

namespace
{
// The backdrop's own proportions, 50.71268 : 27.48673: it always fills the full height.
constexpr float backdropAspect = 1.8449878f;
constexpr float textHeightFactor = 0.7f;
} // namespace

TempoLabel::TempoLabel()
    : textLabel (juce::String(), juce::String())
{
    backdropPicture = juce::Drawable::createFromImageData (BinaryData::time_readout_backdrop_svg, BinaryData::time_readout_backdrop_svgSize);
    setTextProperties ("1.0");

    // The label builds a new text editor each time typing starts; each one gets the look.
    textLabel.onEditorShow = [this]
    { styleEditor (textLabel); };
}

TempoLabel::~TempoLabel()
{
    backdropPicture.reset();
}

void TempoLabel::styleEditor (juce::Label& label)
{
    if (auto* editor = label.getCurrentTextEditor())
    {
        // Neither a focus outline nor a shaded selection: the typed text stays the only mark.
        editor->setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0x00000000));
        editor->setColour (juce::TextEditor::highlightColourId, juce::Colour (0x00000000));
        editor->setJustification (juce::Justification::centred);
    }
}

void TempoLabel::setTextProperties (std::string text)
{
    textLabel.setJustificationType (juce::Justification::centred);
    textLabel.setColour (juce::Label::textColourId, EditorLook::captionText);
    textLabel.setText (juce::String::fromUTF8 (text.data(), static_cast<int> (text.size())), juce::dontSendNotification);
    textLabel.setVisible (true);
    addChildComponent (textLabel);
}

void TempoLabel::paint (juce::Graphics& g)
{
    const auto width = static_cast<float> (getWidth());
    const auto height = static_cast<float> (getHeight());
    const auto backdropWidth = backdropAspect * height;
    const auto x = (width - backdropWidth) * 0.5f;

    backdropPicture->drawWithin (g, juce::Rectangle<float> (x, 0.0f, backdropWidth, height), juce::RectanglePlacement::stretchToFit, 1.0f);
}

void TempoLabel::resized()
{
    auto font = textLabel.getFont();
    font.setHeight (static_cast<float> (getHeight()) * textHeightFactor);
    textLabel.setFont (font);
    textLabel.setBounds (0, 0, getWidth(), getHeight());
}
