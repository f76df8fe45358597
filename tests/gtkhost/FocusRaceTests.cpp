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

#include <string>
#include <sys/wait.h>

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

Window plugWindowIn (const std::string& answer)
{
    const std::string prefix = "opened ";
    return answer.rfind (prefix, 0) == 0 ? static_cast<Window> (std::stoul (answer.substr (prefix.size()))) : None;
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
    constexpr int focusOutsPerOpening = 10;
    // Deep enough that the walk up from the focused window is still under way when the frames go.
    constexpr int frameDepth = 32;

    ConnectionRecorder recorder (display);
    HostProcess host ({ ECHOVANE_GTK2_HOST_PATH, ECHOVANE_VST3_BINARY_FILE });
    ASSERT_EQ (host.readLine (answerTimeoutMs), "ready") << host.describe();

    for (int opening = 0; opening < openings; ++opening)
    {
        const auto opened = host.ask ("open", answerTimeoutMs);
        ASSERT_TRUE (opened) << "opening " << opening << ": " << host.describe();
        const auto plugWindow = plugWindowIn (*opened);
        ASSERT_NE (plugWindow, None) << "opening " << opening << ": " << *opened;
        recorder.watchClientOf (plugWindow);

        for (int focusOut = 0; focusOut < focusOutsPerOpening; ++focusOut)
        {
            SCOPED_TRACE ("opening " + std::to_string (opening) + ", focus message " + std::to_string (focusOut));
            VanishingFrames frames (display, frameDepth);
            const auto badWindowsBefore = recorder.queryTreeBadWindowCount();

            // The moment of the race, forced: the plug-in has just learnt which window has the
            // focus and is about to walk up from it when the frames around that window vanish.
            recorder.forgetFocusAnswer();
            sendXEmbedFocusOut (display, plugWindow);
            ASSERT_TRUE (recorder.waitUntil ([&]
                                             { return recorder.lastFocusAnswer() == frames.focusedWindow(); },
                                             answerTimeoutMs))
                << "the plug-in never asked for the focus after the XEmbed focus message; " << host.describe();
            frames.vanish();

            EXPECT_TRUE (recorder.waitUntil ([&]
                                             { return recorder.queryTreeBadWindowCount() > badWindowsBefore; },
                                             2000))
                << "the plug-in's walk up from the focused window was over before its frames vanished";
            ASSERT_EQ (host.ask ("ping", answerTimeoutMs), "pong") << host.describe();
        }

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
