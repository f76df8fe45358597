#pragma once

#include "UpdateThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

/** The small notice under the info hotspot. It owns the editor's update check; once the check
    has found a version other than the running one, it shows "New version is available!" in a
    colour that fades from light grey to green over 110 ticks of 150 ms and starts over, and a
    click on it opens the product page. While the check runs, or when it finds nothing or fails,
    the notice stays empty and inert. */
class UpdateContainer final : public juce::Component
    , private juce::Timer
    , public juce::Thread::Listener
{
public:
    /** Starts the check at once. The plug-in always uses the maker's addresses; tests hand in
        their own. */
    explicit UpdateContainer (std::string versionFileAddress = WebAddresses::versionFile,
                              std::string productPageAddress = WebAddresses::productPage);

    /** Stops the check first (see UpdateThread), so no exit signal reaches a half-destroyed
        notice. */
    ~UpdateContainer() override;

    void mouseEnter (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    /** One notice tick; the 150 ms timer calls it, tests may call it directly. */
    void timerCallback() override;

    /** Called on the worker when the check ends, or on the message thread when a running check
        is stopped; only records that the result is final. */
    void exitSignalSent() override;

private:
    const std::string productPageUrl;
    int fadeCounter = 0;
    juce::Label noticeLabel;
    bool noticeActive = false;

public:
    // The editor reads the running version through it for the About text.
    std::unique_ptr<UpdateThread> updateThread;

private:
    std::atomic<bool> checkFinished{ false };
    std::uint8_t fadeRed = 220;
    std::uint8_t fadeGreen = 220;
    std::uint8_t fadeBlue = 220;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateContainer)
};
