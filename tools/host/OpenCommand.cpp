#include "Commands.h"
#include "EditorWindow.h"
#include "OwnedEditor.h"
#include "PluginLoader.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <csignal>
#include <iostream>

namespace echovane::host
{
namespace
{
volatile std::sig_atomic_t closeRequested = 0;

extern "C" void requestClose (int)
{
    closeRequested = 1;
}

/** Ends the dispatch loop when the user closes the window, when the process is asked to stop,
    or when the given time is up. */
class CloseWatch final : private juce::Timer
{
public:
    explicit CloseWatch (double secondsToStayOpen)
        : closeAt (secondsToStayOpen > 0.0 ? juce::Time::getMillisecondCounterHiRes() + secondsToStayOpen * 1000.0 : 0.0)
    {
        startTimer (20);
    }

    ~CloseWatch() override
    {
        stopTimer();
    }

    void close()
    {
        stopTimer();
        juce::MessageManager::getInstance()->stopDispatchLoop();
    }

private:
    void timerCallback() override
    {
        if (closeRequested != 0 || (closeAt > 0.0 && juce::Time::getMillisecondCounterHiRes() >= closeAt))
            close();
    }

    double closeAt;
};
} // namespace

int runOpen (const std::vector<std::string>& args)
{
    const CommandArguments arguments (args, { "--seconds" });
    arguments.expectPositionals (1, "echovane-host open BUNDLE [--seconds S]");
    const auto bundle = bundleArgument (arguments.positional (0, "BUNDLE"));
    const auto seconds = arguments.number ("--seconds", 0.0, 0.0, 86400.0);

    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        throw CommandFailure ("open needs a display (set DISPLAY, or run it under xvfb-run)");

    auto plugin = loadBundle (bundle);
    OwnedEditor editor (plugin->createEditorIfNeeded());

    if (editor == nullptr)
        throw CommandFailure ("the plug-in offers no editor");

    std::signal (SIGTERM, requestClose);
    std::signal (SIGINT, requestClose);

    {
        CloseWatch watch (seconds);
        EditorWindow window (plugin->getName(), *editor);
        window.onCloseRequested = [&watch]
        { watch.close(); };
        std::cout << "opened " << editor->getWidth() << "x" << editor->getHeight() << std::endl;
        juce::MessageManager::getInstance()->runDispatchLoop();
        std::cout << "closed at " << editor->getWidth() << "x" << editor->getHeight() << std::endl;

        // What the editor left the host holding: whatever was clicked, dragged or typed.
        std::cout << describeParameters (*plugin) << std::flush;
    }

    // What the user left the parameters at, as the host sees them.
    for (auto* parameter : plugin->getParameters())
        std::cout << "parameter " << parameter->getName (64) << " " << juce::String (parameter->getValue(), 4) << std::endl;

    std::signal (SIGTERM, SIG_DFL);
    std::signal (SIGINT, SIG_DFL);
    editor.reset();
    return 0;
}
} // namespace echovane::host
