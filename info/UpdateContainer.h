#pragma once

#include "UpdateThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <memory>
#include <string>

/** The small notice under the info hotspot. It owns the editor's update check; once the check
    has found a version other than the running one, it shows "New version is available!" in a
    colour that fades from light grey to green over 110 ticks of 150 ms and starts over, and a
    click on it opens the product page. While the check runs, or when it finds nothing or fails,
    the notice stays empty and inert.

    The notice and its check share nothing but the check's atomic results, which the notice's
    timer reads: no lock, and no call from the check's thread into the notice. */
class UpdateContainer final : public juce::Component
    , private juce::Timer
{
public:
    /** Starts the check at once (or, when the plug-in has too many requests in flight, at the
        first tick that finds room). The plug-in always uses the maker's addresses; tests hand in
        their own. */
    explicit UpdateContainer (std::string versionFileAddress = WebAddresses::versionFile,
                              std::string productPageAddress = WebAddresses::productPage);

    /** Returns at once whatever the network does: a check still running is handed to
        UpdateThread::retire, which lets it end on its own. */
    ~UpdateContainer() override;

    void mouseEnter (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    /** One notice tick; the 150 ms timer calls it, tests may call it directly. */
    void timerCallback() override;

private:
    const std::string productPageUrl;
    int fadeCounter = 0;
    juce::Label noticeLabel;
    bool noticeActive = false;

public:
    // The editor reads the running version through it for the About text.
    std::unique_ptr<UpdateThread> updateThread;

private:
    std::uint8_t fadeRed = 220;
    std::uint8_t fadeGreen = 220;
    std::uint8_t fadeBlue = 220;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateContainer)
};
