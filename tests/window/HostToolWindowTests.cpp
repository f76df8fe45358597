#include "EditorLayoutTwin.h"
#include "HostToolWindow.h"
#include "RealInput.h"
#include "info/WebAddresses.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::EditorLayoutTwin;
using echovane::testing::HostToolWindow;
namespace realInput = echovane::testing::realInput;

// The editor's size at its 100 % step, and the two others a click on the size changer goes to.
const juce::Point<int> sizeAt100 (1000, 480);
const juce::Point<int> sizeAt150 (1500, 720);
const juce::Point<int> sizeAt80 (800, 384);

juce::String text (juce::Point<int> size)
{
    return juce::String (size.x) + "x" + juce::String (size.y);
}

/** `echovane-host open` with its window found and shown at the 100 % step, the way a person
    starts it from a shell, and a twin of its editor for the places of the controls. */
class HostToolWindowTest : public ::testing::Test
{
protected:
    void open (const std::map<juce::String, juce::String>& environment = {})
    {
        host = std::make_unique<HostToolWindow> (environment);
        ASSERT_TRUE (host->isStarted()) << "could not start " << ECHOVANE_HOST_PATH;

        window = realInput::findWindow (twin.pluginName());
        ASSERT_TRUE (window.isNotEmpty()) << "no editor window appeared; the host said:\n"
                                          << host->log();

        // The host reports the editor's size as soon as the window shows it.
        ASSERT_TRUE (waitFor ([this]
                              { return host->lineStartingWith ("opened ") == "opened " + text (sizeAt100) && realInput::windowSize (window) == sizeAt100; }))
            << "window is " << text (realInput::windowSize (window)) << "; the host said:\n"
            << host->log();
        realInput::pause (500);
    }

    /** Closes the window as a desktop does; the host must then end cleanly. */
    void close()
    {
        ASSERT_TRUE (host->close()) << "echovane-host open did not close cleanly; it said:\n"
                                    << host->log();
    }

    void click (juce::Point<int> point)
    {
        ASSERT_TRUE (realInput::click (window, point));
        realInput::pause (300);
    }

    void expectClosingValue (const char* parameter, double expected, const char* after)
    {
        const auto value = host->closingValueOf (parameter);
        ASSERT_TRUE (value.has_value()) << "the host reported no value for " << parameter << ":\n"
                                        << host->log();
        EXPECT_NEAR (*value, expected, 1.0e-6) << parameter << " " << after;
    }

    /** Checks `condition` until it holds, within a bound against hangs only. */
    static bool waitFor (const std::function<bool()>& condition)
    {
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            if (condition())
                return true;

            realInput::pause (100);
        }

        return condition();
    }

    EditorLayoutTwin twin{ {}, sizeAt100 };
    std::unique_ptr<HostToolWindow> host;
    juce::String window;
};

// A knob turned by a person: the host ends with Feedback at its default 0.22 plus 40 x 0.03 rad
// over the knob's 312-degree sweep (0.44); the other knobs stay where they were.
TEST_F (HostToolWindowTest, DraggingFeedFortyPixelsUpLeavesFeedbackAtPointFourFour)
{
    open();
    ASSERT_TRUE (realInput::dragUp (window, twin.smallKnob ("FEED"), 40));
    realInput::pause (500);
    close();

    // 0.22 + 40 x 0.03 / 5.4454 = 0.4404; the parameter keeps 0.01 steps.
    const auto feedback = host->closingValueOf ("Feedback");
    ASSERT_TRUE (feedback.has_value()) << host->log();
    EXPECT_NEAR (*feedback, 0.44, 0.005);

    for (const auto* knob : { "Width", "Drive", "Dark", "Bright" })
        EXPECT_TRUE (host->closingValueOf (knob).has_value()) << "no value for " << knob;

    expectClosingValue ("Balance", 0.5, "after a drag on FEED");
}

// The size changer clicked by a person grows the window to the 150 % step; a window resize
// reaches the plug-in's own view; the next click steps on from the stored step, to 80 %,
// whatever size the window was given meanwhile.
TEST_F (HostToolWindowTest, TheSizeChangerAndAWindowResizeReachTheWindowAndThePluginsView)
{
    open();

    // The window and every X window embedded in it (JUCE's embedding window and the plug-in's
    // own view) at one size.
    const auto expectSize = [this] (juce::Point<int> size)
    {
        const auto allAt = [this, size]
        {
            const auto embedded = realInput::embeddedWindowSizes (window);
            auto allSame = embedded.size() >= 2;

            for (const auto& each : embedded)
                allSame = allSame && each == size;

            return realInput::windowSize (window) == size && allSame;
        };

        EXPECT_TRUE (waitFor (allAt)) << "expected " << text (size) << ", window is " << text (realInput::windowSize (window));
    };

    expectSize (sizeAt100);

    click (twin.sizeChanger());
    expectSize (sizeAt150);

    ASSERT_TRUE (realInput::xdotool ({ "windowsize", window, "1200", "600" }));
    expectSize ({ 1200, 600 });

    twin.setSize ({ 1200, 600 });
    click (twin.sizeChanger());
    expectSize (sizeAt80);

    close();
    EXPECT_EQ (host->lineStartingWith ("opened "), "opened " + text (sizeAt100));
    EXPECT_EQ (host->lineStartingWith ("closed at "), "closed at " + text (sizeAt80));
}

// The info menu as a person meets it: a click on the maker lettering opens the menu there; its
// rows open the home and support pages in the browser (a recording xdg-open stands in for it)
// and show the About panel, which the next click closes. What is on screen is read back from
// the window's pixels.
TEST_F (HostToolWindowTest, TheInfoMenuOpensPagesAndShowsAndClosesTheAboutPanel)
{
    // The stand-in browser: records each address it is asked to open.
    const juce::TemporaryFile browserFolder;
    const auto bin = browserFolder.getFile();
    ASSERT_TRUE (bin.createDirectory());
    const auto opened = bin.getChildFile ("opened.txt");
    const auto xdgOpen = bin.getChildFile ("xdg-open");
    ASSERT_TRUE (xdgOpen.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + opened.getFullPathName() + "'\n", false, false, "\n"));
    ASSERT_TRUE (xdgOpen.setExecutePermission (true));

    open ({ { "PATH", bin.getFullPathName() + ":" + juce::SystemStats::getEnvironmentVariable ("PATH", {}) } });

    // The hotspot opens the menu where it was clicked. The pointer stays over the first row,
    // which darkens, so the fourth row (away from its caption) shows the menu's own colour.
    const auto hotspot = twin.infoHotspot();
    twin.openInfoMenuAt (hotspot);
    const auto fourthRow = twin.infoMenuRow (3);
    const juce::Point<int> menuProbe (fourthRow.getX() + fourthRow.getWidth() / 10, fourthRow.getCentreY());
    const auto menuFill = twin.infoMenuFill();

    const auto pixelIs = [this] (juce::Point<int> point, const std::function<bool (juce::Colour)>& test)
    {
        return waitFor ([&]
                        {
                            const auto shot = realInput::capture (window);
                            return shot.isValid() && test (shot.getPixelAt (point.x, point.y)); });
    };
    const auto isMenuFill = [menuFill] (juce::Colour colour)
    { return colour.withAlpha (1.0f) == menuFill.withAlpha (1.0f); };
    const auto browserAskedFor = [&opened, this] (const juce::StringArray& addresses)
    {
        const auto asked = [&]
        { return juce::StringArray::fromLines (opened.loadFileAsString().trim()) == addresses; };
        return waitFor (asked);
    };

    EXPECT_TRUE (pixelIs (menuProbe, [&] (juce::Colour c)
                          { return ! isMenuFill (c); }))
        << "a menu before the click";

    // "Website", the first row, where the menu lies over the hotspot: the menu is in front, so
    // the row takes the click, the page opens and the menu closes.
    click (hotspot);
    EXPECT_TRUE (pixelIs (menuProbe, isMenuFill)) << "no menu at the click point";
    click (twin.infoMenuRow (0).getCentre());
    EXPECT_TRUE (browserAskedFor ({ WebAddresses::homePage })) << opened.loadFileAsString();
    EXPECT_TRUE (pixelIs (menuProbe, [&] (juce::Colour c)
                          { return ! isMenuFill (c); }))
        << "the menu stayed after the link";

    // "Support", the second row.
    click (hotspot);
    EXPECT_TRUE (pixelIs (menuProbe, isMenuFill)) << "no menu the second time";
    click (twin.infoMenuRow (1).getCentre());
    EXPECT_TRUE (browserAskedFor ({ WebAddresses::homePage, WebAddresses::supportPage })) << opened.loadFileAsString();
    EXPECT_TRUE (pixelIs (menuProbe, [&] (juce::Colour c)
                          { return ! isMenuFill (c); }))
        << "the menu stayed after the link";

    // "About", the fourth row: the card in the middle of the editor, teal at alpha 0xCC over
    // the dark editor, seen above its text; any click closes it.
    click (hotspot);
    EXPECT_TRUE (pixelIs (menuProbe, isMenuFill)) << "no menu the third time";
    const auto aboutRow = twin.infoMenuRow (3).getCentre();
    twin.clickAboutRow();
    const juce::Point<int> cardProbe (twin.aboutPanel().getCentreX(), (twin.aboutPanel().getY() + twin.aboutText().getY()) / 2);
    const auto isCard = [] (juce::Colour c)
    { return c.getRed() < 40 && c.getGreen() > 85 && c.getBlue() > 100; };

    click (aboutRow);
    EXPECT_TRUE (pixelIs (cardProbe, isCard)) << "no About panel";
    click (twin.middle());
    EXPECT_TRUE (pixelIs (cardProbe, [&] (juce::Colour c)
                          { return ! isCard (c); }))
        << "the About panel stayed after the next click";

    close();
    EXPECT_EQ (opened.loadFileAsString().trim(), juce::StringArray ({ WebAddresses::homePage, WebAddresses::supportPage }).joinIntoString ("\n"))
        << "unexpected browser launches";
    host->log();
}

// The control row as a person plays it, with a real pointer and real key presses.
TEST_F (HostToolWindowTest, TheTogglesTakeClicksDottedWinningOverTriplet)
{
    open();
    click (twin.tripletToggle());
    click (twin.dottedToggle());
    click (twin.bypassToggle());
    close();

    expectClosingValue ("Triplet", 0.0, "after TRIPLET then DOTTED");
    expectClosingValue ("Dotted", 1.0, "after TRIPLET then DOTTED");
    expectClosingValue ("Bypass", 1.0, "after a click on BYPASS");
}

// The lever flipped to milliseconds mode clears DOTTED, TRIPLET is inert there, the read-out
// takes a typed 300 ("MS" 300 / 5000) and refuses "abc", changing nothing.
TEST_F (HostToolWindowTest, TheLeverAndTheReadOutTakeClicksAndTyping)
{
    open();
    click (twin.dottedToggle());
    click (twin.tempoLever());
    twin.clickTempoLever();
    click (twin.tripletToggle());

    // The read-out turns editable on the TIME knob's next 100 ms tick; it selects its whole text
    // when it opens, so typing replaces it.
    realInput::pause (300);
    click (twin.timeReadOut());
    ASSERT_TRUE (realInput::type ("300"));
    ASSERT_TRUE (realInput::key ("Return"));
    realInput::pause (500);

    click (twin.timeReadOut());
    ASSERT_TRUE (realInput::type ("abc"));
    ASSERT_TRUE (realInput::key ("Return"));
    realInput::pause (500);
    close();

    expectClosingValue ("TempoChanger", 1.0, "after the lever click");
    expectClosingValue ("Dotted", 0.0, "after the change of mode");
    expectClosingValue ("Triplet", 0.0, "after a click on TRIPLET in milliseconds mode");
    expectClosingValue ("MS", 0.06, "after typing 300, then abc");
}
} // namespace
