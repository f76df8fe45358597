// The editor in a GTK 2 host, the kind of host Ardour is: GDK's X error handler is in force in
// the whole process and ends it on any X error, the plug-in's own connection included. JUCE walks
// up the ancestry of the focused window whenever an XEmbed focus message comes; a window of that
// ancestry that vanishes during the walk (a window manager's frame, destroyed as its window
// closes) must not take the host down.

// GoogleTest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "ConnectionRecorder.h"
#include "HostProcess.h"
#include "VanishingFrames.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>

namespace
{
using echovane::gtkhost::ConnectionRecorder;
using echovane::gtkhost::HostProcess;
using echovane::gtkhost::VanishingFrames;

constexpr int answerTimeoutMs = 20000;

/** This test's own X errors are its faults: they are counted, not fatal. */
int ownXErrors = 0;

int countOwnXError (Display*, XErrorEvent*)
{
    ++ownXErrors;
    return 0;
}

/** What GtkSocket sends the plug-in's window when the plug-in loses the keyboard focus. */
void sendXEmbedFocusOut (Display* display, Window plugWindow)
{
    constexpr long xembedFocusOut = 5;

    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = plugWindow;
    message.xclient.message_type = XInternAtom (display, "_XEMBED", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = CurrentTime;
    message.xclient.data.l[1] = xembedFocusOut;
    XSendEvent (display, plugWindow, False, NoEventMask, &message);
    XFlush (display);
}

/** The two windows of the host's "opened <plug-in's window> <top-level window>". */
struct OpenedWindows
{
    Window plug = None;
    Window topLevel = None;
};

OpenedWindows openedWindowsIn (const std::string& answer)
{
    OpenedWindows windows;
    unsigned long plug = 0;
    unsigned long topLevel = 0;

    if (std::sscanf (answer.c_str(), "opened %lu %lu", &plug, &topLevel) == 2)
        windows = { plug, topLevel };

    return windows;
}

/** True when the focused window is `window` or lies inside it. */
bool focusIsWithin (Display* display, Window window)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus (display, &focus, &revert);

    while (focus != None && focus != PointerRoot && focus != window)
    {
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int childCount = 0;

        if (XQueryTree (display, focus, &root, &parent, &children, &childCount) == 0)
            return false;

        if (children != nullptr)
            XFree (children);

        focus = parent == root ? None : parent;
    }

    return focus == window;
}

/** Runs until `condition` holds; false after `timeoutMs`. */
bool waitFor (const std::function<bool()>& condition, int timeoutMs)
{
    for (int waited = 0; ! condition(); waited += 10)
    {
        if (waited >= timeoutMs)
            return false;

        std::this_thread::sleep_for (std::chrono::milliseconds (10));
    }

    return true;
}

class Gtk2HostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        display = XOpenDisplay (nullptr);
        ASSERT_NE (display, nullptr) << "this test needs a display: run it under xvfb-run (CTest does)";
        XSetErrorHandler (countOwnXError);
    }

    void TearDown() override
    {
        if (display != nullptr)
            XCloseDisplay (display);
    }

    Display* display = nullptr;
};

TEST_F (Gtk2HostTest, SurvivesFocusMessagesWhileTheFocusedWindowsFramesVanish)
{
    constexpr int openings = 5;
    // Each opening goes on until this many focus messages met frames vanishing under the walk...
    constexpr int vanishingsPerOpening = 6;
    // ...which a loaded machine may take a few tries to arrange.
    constexpr int focusMessagesPerOpening = 30;
    // Deep enough that the walk up from the focused window is still under way when the frames go.
    constexpr int frameDepth = 64;

    ConnectionRecorder recorder (display);
    const VanishingFrames::Desk desk (display);
    HostProcess host ({ ECHOVANE_GTK2_HOST_PATH, ECHOVANE_VST3_BINARY_FILE });
    ASSERT_EQ (host.readLine (answerTimeoutMs), "ready") << host.describe();

    for (int opening = 0; opening < openings; ++opening)
    {
        const auto opened = host.ask ("open", answerTimeoutMs);
        ASSERT_TRUE (opened) << "opening " << opening << ": " << host.describe();
        const auto windows = openedWindowsIn (*opened);
        ASSERT_NE (windows.plug, None) << "opening " << opening << ": " << *opened;
        recorder.watchClientOf (windows.plug);

        // The window manager gives a new window the focus; once it has, it leaves the focus alone.
        ASSERT_TRUE (waitFor ([&]
                              { return focusIsWithin (display, windows.topLevel); },
                              answerTimeoutMs))
            << "opening " << opening << ": the window manager never focused the editor's window";

        int vanishings = 0;

        for (int focusMessage = 0; focusMessage < focusMessagesPerOpening && vanishings < vanishingsPerOpening; ++focusMessage)
        {
            SCOPED_TRACE ("opening " + std::to_string (opening) + ", focus message " + std::to_string (focusMessage));
            VanishingFrames frames (display, desk, frameDepth);
            const auto badWindowsBefore = recorder.queryTreeBadWindowCount();

            // The moment of the race, forced: the plug-in has just learnt which window has the
            // focus and is about to walk up from it when the frames around that window vanish.
            recorder.forgetFocusAnswer();
            sendXEmbedFocusOut (display, windows.plug);
            ASSERT_TRUE (recorder.waitUntil ([&]
                                             { return recorder.lastFocusAnswer() == frames.focusedWindow(); },
                                             answerTimeoutMs))
                << "the plug-in never learnt that the frames' window has the focus; " << host.describe();
            frames.vanish();

            if (recorder.waitUntil ([&]
                                    { return recorder.queryTreeBadWindowCount() > badWindowsBefore; },
                                    1000))
                ++vanishings;

            ASSERT_EQ (host.ask ("ping", answerTimeoutMs), "pong") << host.describe();
        }

        EXPECT_EQ (vanishings, vanishingsPerOpening)
            << "opening " << opening << ": the plug-in's walks up from the focused window were over before its frames vanished";
        ASSERT_EQ (host.ask ("close", answerTimeoutMs), "closed") << host.describe();
    }

    ASSERT_TRUE (host.send ("quit"));
    const auto ended = host.waitForExit (answerTimeoutMs);
    ASSERT_TRUE (ended && WIFEXITED (*ended) && WEXITSTATUS (*ended) == 0) << host.describe();
    EXPECT_EQ (ownXErrors, 0);

    // The host's stderr reaches the test's output, where a JUCE assertion fails the test.
    std::fprintf (stderr, "%s\n", host.describe().c_str());
}
} // namespace
