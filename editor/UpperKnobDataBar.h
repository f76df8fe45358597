#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The home of the compiled-in typeface. No component is given this look-and-feel: everything
    draws with JUCE's default LookAndFeel_V4, and only the texts that want Montserrat ask for it. */
class UpperKnobDataBar final : public juce::LookAndFeel_V4
{
public:
    ~UpperKnobDataBar() override;

    /** The compiled-in Montserrat SemiBold at JUCE's default height, parsed on the first call and
        kept until JUCE shuts down with the plug-in. Callers copy it before changing its height, so the
        shared font never changes. */
    static const juce::Font& getFont();
};
