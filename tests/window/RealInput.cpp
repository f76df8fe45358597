#include "RealInput.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <optional>

namespace echovane::testing::realInput
{
namespace
{
/** Runs a tool to its end with the message loop running; its output, or nothing when it could
    not run, failed or took longer than a minute. */
std::optional<juce::String> run (const juce::StringArray& command)
{
    juce::ChildProcess process;

    if (! process.start (command, juce::ChildProcess::wantStdOut))
    {
        ADD_FAILURE() << command[0] << " is needed; scripts/setup.sh installs it";
        return std::nullopt;
    }

    // Every tool here says little, well within a pipe's buffer: it is read once it has ended.
    if (! pumpUntil ([&process]
                     { return ! process.isRunning(); },
                     60000))
    {
        process.kill();
        return std::nullopt;
    }

    const auto output = process.readAllProcessOutput();

    if (process.getExitCode() != 0)
        return std::nullopt;

    return output;
}

juce::String text (juce::Point<int> point, int axis)
{
    return juce::String (axis == 0 ? point.x : point.y);
}
} // namespace

bool xdotool (const juce::StringArray& arguments)
{
    juce::StringArray command{ "xdotool" };
    command.addArray (arguments);
    return run (command).has_value();
}

bool click (const juce::String& window, juce::Point<int> point)
{
    return xdotool ({ "mousemove", "--window", window, text (point, 0), text (point, 1), "click", "1" });
}

bool dragUp (const juce::String& window, juce::Point<int> from, int pixelsUp)
{
    juce::StringArray arguments{ "mousemove", "--window", window, text (from, 0), text (from, 1), "mousedown", "1" };

    for (int step = 1; step <= pixelsUp; ++step)
        arguments.addArray ({ "mousemove", "--window", window, text (from, 0), juce::String (from.y - step) });

    arguments.addArray ({ "mouseup", "1" });
    return xdotool (arguments);
}

bool type (const juce::String& textToType)
{
    return xdotool ({ "type", "--delay", "50", textToType });
}

bool key (const juce::String& keyName)
{
    return xdotool ({ "key", keyName });
}

void pause (int milliseconds)
{
    pumpUntil ([until = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (milliseconds)]
               { return juce::Time::getMillisecondCounter() > until; });
}

juce::String findWindow (const juce::String& title)
{
    const auto found = run ({ "timeout", "60", "xdotool", "search", "--sync", "--onlyvisible", "--name", "^" + title + "$" });
    return found.has_value() ? juce::StringArray::fromLines (found->trim())[0] : juce::String();
}

juce::Point<int> windowSize (const juce::String& window)
{
    const auto shell = run ({ "xdotool", "getwindowgeometry", "--shell", window });

    if (! shell.has_value())
        return {};

    juce::Point<int> size;

    for (const auto& line : juce::StringArray::fromLines (*shell))
    {
        if (line.startsWith ("WIDTH="))
            size.x = line.fromFirstOccurrenceOf ("=", false, false).getIntValue();
        else if (line.startsWith ("HEIGHT="))
            size.y = line.fromFirstOccurrenceOf ("=", false, false).getIntValue();
    }

    return size;
}

juce::Array<juce::Point<int>> embeddedWindowSizes (const juce::String& window)
{
    // xwininfo's tree lists each child as: 0x... "name": ("class" "class")  WxH+X+Y  +X+Y
    const auto tree = run ({ "xwininfo", "-tree", "-id", window });
    juce::Array<juce::Point<int>> sizes;

    if (! tree.has_value())
        return sizes;

    for (const auto& line : juce::StringArray::fromLines (*tree))
    {
        if (! line.trimStart().startsWith ("0x"))
            continue;

        for (const auto& word : juce::StringArray::fromTokens (line, " ", "\""))
        {
            if (! word.containsChar ('x') || ! word.containsChar ('+') || word.startsWith ("0x"))
                continue;

            const auto size = word.upToFirstOccurrenceOf ("+", false, false);
            const juce::Point<int> parsed (size.upToFirstOccurrenceOf ("x", false, false).getIntValue(),
                                           size.fromFirstOccurrenceOf ("x", false, false).getIntValue());

            if (parsed != juce::Point<int> (1, 1))
                sizes.add (parsed);

            break;
        }
    }

    return sizes;
}

juce::Image capture (const juce::String& window)
{
    const auto file = juce::File::createTempFile (".png");

    if (! run ({ "import", "-silent", "-window", window, file.getFullPathName() }).has_value())
        return {};

    auto image = juce::ImageFileFormat::loadFrom (file);
    file.deleteFile();
    return image;
}
} // namespace echovane::testing::realInput
