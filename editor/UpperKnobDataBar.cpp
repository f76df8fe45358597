#include "UpperKnobDataBar.h"

#include <BinaryData.h>

UpperKnobDataBar::~UpperKnobDataBar() = default;

const juce::Font& UpperKnobDataBar::getFont()
{
    // A quarter of a megabyte of font data: parse it once per loaded plug-in, not per editor.
    static const juce::Font font (juce::Typeface::createSystemTypefaceFor (BinaryData::MontserratSemiBold_ttf,
                                                                           static_cast<size_t> (BinaryData::MontserratSemiBold_ttfSize)));
    return font;
}
