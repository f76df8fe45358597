#include "UpperKnobDataBar.h"

#include <BinaryData.h>

namespace
{
/** Holds the shared font from its first use until JUCE shuts down with the plug-in, which
    releases it before static destruction, where JUCE's leak detectors count what is left. */
class SharedFontHolder final : private juce::DeletedAtShutdown
{
public:
    SharedFontHolder()
        : font (juce::Typeface::createSystemTypefaceFor (BinaryData::MontserratSemiBold_ttf, static_cast<size_t> (BinaryData::MontserratSemiBold_ttfSize)))
    {
    }

    ~SharedFontHolder() override { clearSingletonInstance(); }

    // A quarter of a megabyte of font data: parsed once per loaded plug-in, not per editor.
    const juce::Font font;

    JUCE_DECLARE_SINGLETON (SharedFontHolder, false)
};

JUCE_IMPLEMENT_SINGLETON (SharedFontHolder)
} // namespace

UpperKnobDataBar::~UpperKnobDataBar() = default;

const juce::Font& UpperKnobDataBar::getFont()
{
    return SharedFontHolder::getInstance()->font;
}
