#include "UpdateContainer.h"

#include "../editor/UpperKnobDataBar.h"

namespace
{
constexpr int tickIntervalMs = 150;
constexpr int fadeStep = 2;
// The counter runs 0, 2, 4, ...; on reaching 218 the colour starts over, so a cycle is 110
// ticks: 109 steps darker and one tick holding the darkest green.
constexpr int fadeRestartThreshold = 217;
constexpr std::uint8_t fadeBrightest = 220;
} // namespace

UpdateContainer::UpdateContainer (std::string versionFileAddress, std::string productPageAddress)
    : productPageUrl (std::move (productPageAddress))
{
    updateThread = std::make_unique<UpdateThread> (std::move (versionFileAddress));

    noticeLabel.setText ({}, juce::dontSendNotification);
    // Every pointer event over the text reaches the container.
    noticeLabel.setInterceptsMouseClicks (false, false);
    noticeLabel.setJustificationType (juce::Justification::centred);
    noticeLabel.addMouseListener (this, true);
    addAndMakeVisible (noticeLabel);

    startTimer (tickIntervalMs);
    updateThread->startIfThereIsRoom();
}

UpdateContainer::~UpdateContainer()
{
    stopTimer();
    UpdateThread::retire (std::move (updateThread));
    noticeLabel.removeMouseListener (this);
}

void UpdateContainer::mouseEnter (const juce::MouseEvent&)
{
    // The cursor is never set back: once a notice, always a notice.
    if (noticeActive)
        setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

void UpdateContainer::mouseUp (const juce::MouseEvent&)
{
    // Whether a browser opened is not looked at; a failed launch changes nothing.
    if (noticeActive)
        juce::URL (juce::String (productPageUrl)).launchInDefaultBrowser();
}

void UpdateContainer::paint (juce::Graphics&)
{
}

void UpdateContainer::resized()
{
    noticeLabel.setBounds (getLocalBounds());

    auto font = UpperKnobDataBar::getFont();
    font.setHeight (static_cast<float> (getHeight()));
    noticeLabel.setFont (font);
}

void UpdateContainer::timerCallback()
{
    // A check that found no room at construction starts as soon as another has ended.
    if (! updateThread->startIfThereIsRoom() || ! updateThread->hasFinished())
        return;

    if (! updateThread->updateAvailable.load())
    {
        noticeLabel.setText ({}, juce::dontSendNotification);
        return;
    }

    const auto counterBefore = fadeCounter;
    fadeCounter += fadeStep;

    if (counterBefore >= fadeRestartThreshold)
    {
        // The label keeps the darkest green for this tick.
        fadeRed = fadeBrightest;
        fadeGreen = fadeBrightest;
        fadeBlue = fadeBrightest;
        fadeCounter = 0;
    }
    else
    {
        --fadeRed;
        fadeGreen = fadeBrightest;
        --fadeBlue;
        noticeLabel.setText ("New version is available!", juce::dontSendNotification);
        noticeLabel.setColour (juce::Label::textColourId, juce::Colour (fadeRed, fadeGreen, fadeBlue));
    }

    noticeActive = true;
}
