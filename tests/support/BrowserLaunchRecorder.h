#pragma once

#include "MessagePump.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace echovane::testing
{
/** Puts a recording `xdg-open` first on the PATH of this process, so every browser launch JUCE
    makes (it runs `xdg-open <address>` on Linux) is written to a file instead of opening
    anything. The stand-in can also fail, as a missing browser does. PATH is restored when the
    recorder goes. */
class BrowserLaunchRecorder final
{
public:
    explicit BrowserLaunchRecorder (bool launchSucceeds = true)
    {
        folder.createDirectory();
        auto script = folder.getChildFile ("xdg-open");
        script.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record().getFullPathName() + "'\nexit "
                                    + juce::String (launchSucceeds ? 0 : 1) + "\n",
                                false, false, "\n");
        script.setExecutePermission (true);

        const auto* path = std::getenv ("PATH");
        previousPath = path != nullptr ? path : "";
        ::setenv ("PATH", (folder.getFullPathName().toStdString() + ":" + previousPath).c_str(), 1);
    }

    ~BrowserLaunchRecorder()
    {
        ::setenv ("PATH", previousPath.c_str(), 1);
        folder.deleteRecursively();
    }

    /** The addresses opened so far, in the order the launches wrote them. */
    std::vector<std::string> launches() const
    {
        std::vector<std::string> lines;

        for (const auto& line : juce::StringArray::fromLines (record().loadFileAsString()))
            if (line.isNotEmpty())
                lines.push_back (line.toStdString());

        return lines;
    }

    /** Waits (bounded) until at least `count` launches have been recorded. */
    std::vector<std::string> waitForLaunches (size_t count, int timeoutMs = 10000) const
    {
        pumpUntil ([&]
                   { return launches().size() >= count; },
                   timeoutMs);
        return launches();
    }

    /** Every launch made before this call: a marker is launched through the same road and
        waited for, and the launches recorded ahead of it are returned. */
    std::vector<std::string> launchesSoFar() const
    {
        const std::string marker = "https://marker.example/" + std::to_string (++markers);
        juce::URL (juce::String (marker)).launchInDefaultBrowser();
        pumpUntil ([&]
                   { return contains (launches(), marker); },
                   10000);
        // A launch started earlier may still be writing; give it the same chance.
        juce::Thread::sleep (100);

        std::vector<std::string> before;

        for (const auto& line : launches())
            if (line.rfind ("https://marker.example/", 0) != 0)
                before.push_back (line);

        return before;
    }

private:
    static bool contains (const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find (lines.begin(), lines.end(), line) != lines.end();
    }

    juce::File record() const { return folder.getChildFile ("launches.txt"); }

    const juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("echovane-browser", {}, false);
    std::string previousPath;
    mutable int markers = 0;
};
} // namespace echovane::testing
