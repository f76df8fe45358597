#pragma once

#include "../engine/MetaParameter.h"
#include "KnobWrapper.h"
#include "TempoCompassComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <optional>
#include <string>

/** The caption of a big knob: one centred label filling it. */
class TimeButtonNameLabel final : public juce::Component
{
public:
    TimeButtonNameLabel();
    ~TimeButtonNameLabel() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    juce::Label captionLabel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TimeButtonNameLabel)
};

/** The core of a big knob. For MIX it is one knob on "Mix". For TIME it is two knobs stacked in
    one place, the note-value knob on "Sync" and the milliseconds knob on "MS", of which the
    layout shows the one the tempo lever's mode asks for; TIME also drives the time read-out:
    every 100 ms it writes the note value or the milliseconds into it and makes it editable in
    milliseconds mode only, and it turns a typed number of milliseconds into a new "MS". */
class TimeCompassWrapper final : public juce::Component
    , public juce::Timer
    , public juce::Label::Listener
{
public:
    TimeCompassWrapper (bool isBlue,
                        std::string name,
                        float minValue,
                        float maxValue,
                        float radiusFactor,
                        bool showArc,
                        bool showEndDot,
                        float thicknessFactor,
                        float startDegrees,
                        float sweepDegrees,
                        float spare,
                        FloatParameter* parameter,
                        TempoChangerButton* tempoButton,
                        FloatParameter* msParameter);
    ~TimeCompassWrapper() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;
    void labelTextChanged (juce::Label* labelThatHasChanged) override;

    /** The read-out's text in synced mode: the note value of "Sync" in whole notes, "1/64" to
        "4". */
    static std::string noteValueText (float syncValue);

    /** The read-out's text in milliseconds mode: "MS" as whole milliseconds, rounded. */
    static std::string millisecondsText (float msValue);

    /** What a rejected text puts back: "MS" as whole milliseconds, truncated. */
    static std::string putBackText (float msValue);

    /** The milliseconds a typed text stands for when it is accepted: a sign or digit first,
        then read as an optional sign and the digits after it (whatever follows is ignored),
        and 0 to 5000. Nothing for anything else; never throws. */
    static std::optional<int> acceptedMilliseconds (const std::string& typed);

    KnobWrapper* getKnob() const noexcept { return knob.get(); }
    KnobWrapper* getMsKnob() const noexcept { return msKnob.get(); }

private:
    bool isMillisecondsMode() const;
    TempoLabel& readOut() const;
    void showText (const std::string& text);

    bool isBlue = true;
    std::unique_ptr<juce::Drawable> capPicture;
    std::string name;
    std::unique_ptr<KnobWrapper> knob;
    std::unique_ptr<KnobWrapper> msKnob;
    TempoChangerButton* tempoButton = nullptr;
    FloatParameter* msParameter = nullptr;
    FloatParameter* parameter = nullptr;
    float lastShownMs = 0.0f;

    // TIME only: the read-out it listens to, for as long as the read-out lives.
    juce::Component::SafePointer<TempoLabel> readOutToRelease;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TimeCompassWrapper)
};

/** A big knob, TIME or MIX: the frame picture with the caption on top and the knob core below
    it. */
class TimeButtonWrapper final : public juce::Component
{
public:
    TimeButtonWrapper (bool isBlue,
                       std::string name,
                       float minValue,
                       float maxValue,
                       float radiusFactor,
                       bool showArc,
                       bool showEndDot,
                       float thicknessFactor,
                       float startDegrees,
                       float sweepDegrees,
                       float spare,
                       FloatParameter* parameter,
                       TempoChangerButton* tempoButton,
                       FloatParameter* msParameter);
    ~TimeButtonWrapper() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    TimeButtonNameLabel& getNameLabel() const noexcept { return *nameLabel; }
    TimeCompassWrapper& getCompass() const noexcept { return *compass; }

private:
    bool isBlue = true;
    std::unique_ptr<TimeButtonNameLabel> nameLabel;
    std::unique_ptr<TimeCompassWrapper> compass;
    std::unique_ptr<juce::Drawable> framePicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TimeButtonWrapper)
};
