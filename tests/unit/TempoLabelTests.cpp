#include "editor/TempoLabel.h"

#include <gtest/gtest.h>

namespace
{
juce::Image drawn (TempoLabel& readOut)
{
    return readOut.createComponentSnapshot (readOut.getLocalBounds(), true, 1.0f);
}

bool isPainted (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getAlpha() > 0;
}

TEST (TempoLabel, StartsShowingOneCentredAndReadOnly)
{
    TempoLabel readOut;

    EXPECT_EQ (readOut.textLabel.getText(), "1.0");
    EXPECT_EQ (readOut.textLabel.getParentComponent(), &readOut);
    EXPECT_TRUE (readOut.textLabel.isVisible());
    EXPECT_EQ (readOut.textLabel.getJustificationType(), juce::Justification (juce::Justification::centred));
    EXPECT_EQ (readOut.textLabel.findColour (juce::Label::textColourId), juce::Colour (0xff00b6c3));
    EXPECT_FALSE (readOut.textLabel.isEditableOnSingleClick());
    EXPECT_FALSE (readOut.textLabel.isEditableOnDoubleClick());
}

TEST (TempoLabel, TheBackdropFillsTheHeightKeepsItsProportionsAndIsCentred)
{
    TempoLabel readOut;
    readOut.setTextProperties ("");

    // 50 x 24: the backdrop spans 2.86 to 47.14, the whole height.
    readOut.setBounds (0, 0, 50, 24);
    EXPECT_EQ (readOut.textLabel.getBounds(), juce::Rectangle<int> (0, 0, 50, 24));
    EXPECT_FLOAT_EQ (readOut.textLabel.getFont().getHeight(), 16.8f);

    auto image = drawn (readOut);
    EXPECT_FALSE (isPainted (image, 1, 12)) << "left of the backdrop";
    EXPECT_FALSE (isPainted (image, 48, 12)) << "right of the backdrop";
    EXPECT_TRUE (isPainted (image, 25, 12));
    EXPECT_TRUE (isPainted (image, 25, 1));

    // Narrower than the backdrop's proportions: it keeps them and is cut off at both sides.
    readOut.setBounds (0, 0, 30, 24);
    image = drawn (readOut);
    EXPECT_TRUE (isPainted (image, 0, 12));
    EXPECT_TRUE (isPainted (image, 29, 12));
}

TEST (TempoLabel, TheTypingEditorHasNoOutlineNoShadedSelectionAndCentredText)
{
    TempoLabel readOut;
    readOut.setBounds (0, 0, 50, 24);
    readOut.setVisible (true);
    readOut.textLabel.setEditable (true, false, false);

    // Each opening makes a new editor; each one gets the same look.
    for (int opening = 0; opening < 2; ++opening)
    {
        readOut.textLabel.showEditor();
        auto* editor = readOut.textLabel.getCurrentTextEditor();
        ASSERT_NE (editor, nullptr);
        EXPECT_EQ (editor->findColour (juce::TextEditor::focusedOutlineColourId), juce::Colour (0x00000000));
        EXPECT_EQ (editor->findColour (juce::TextEditor::highlightColourId), juce::Colour (0x00000000));
        EXPECT_EQ (editor->getJustificationType(), juce::Justification (juce::Justification::centred));
        readOut.textLabel.hideEditor (true);
    }
}

TEST (TempoLabel, WritingATextClosesAnOpenEditorAndDiscardsTheTyping)
{
    TempoLabel readOut;
    readOut.setBounds (0, 0, 50, 24);
    readOut.setVisible (true);
    readOut.textLabel.setEditable (true, false, false);
    readOut.setTextProperties ("500");

    readOut.textLabel.showEditor();
    readOut.textLabel.getCurrentTextEditor()->setText ("12");
    readOut.setTextProperties ("500");

    EXPECT_EQ (readOut.textLabel.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (readOut.textLabel.getText(), "500");
}
} // namespace
