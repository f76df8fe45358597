#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <string>

/** The small read-out above the tempo lever: a backdrop picture with one centred text on it.
    It is passive: the TIME knob writes every text into it, switches the label between editable
    and read-only and listens to the label for typed milliseconds. */
class TempoLabel final : public juce::Component
{
public:
    TempoLabel();
    ~TempoLabel() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Shows `text` (UTF-8) centred in the read-out's colour, without telling the label's
        listeners: they hear only what the user types. */
    void setTextProperties (std::string text);

    // Open to the TIME knob, which listens to it and decides when it can be edited.
    juce::Label textLabel;

private:
    static void styleEditor (juce::Label& label);

    std::unique_ptr<juce::Drawable> backdropPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TempoLabel)
};
