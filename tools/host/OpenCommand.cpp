#include "Commands.h"
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

/** A desktop window around the hosted editor, as a DAW shows a plug-in: the window follows the
    editor's size (the plug-in resizing its view), and the editor follows the window's (the user
    or a window manager resizing it). */
class EditorWindow final : public juce::DocumentWindow
    , private juce::Timer
{
public:
    EditorWindow (const juce::String& title, juce::Component& editor, double secondsToStayOpen)
        : juce::DocumentWindow (title, juce::Colours::black, juce::DocumentWindow::closeButton)
        , closeAt (secondsToStayOpen > 0.0 ? juce::Time::getMillisecondCounterHiRes() + secondsToStayOpen * 1000.0 : 0.0)
    {
        setUsingNativeTitleBar (true);
        setContentNonOwned (&editor, true);
        setResizable (true, false);
        setTopLeftPosition (0, 0);
        setVisible (true);
        startTimer (20);
    }

    ~EditorWindow() override
    {
        clearContentComponent();
    }

    void closeButtonPressed() override
    {
        close();
    }

private:
    void timerCallback() override
    {
        if (closeRequested != 0 || (closeAt > 0.0 && juce::Time::getMillisecondCounterHiRes() >= closeAt))
            close();
    }

    void close()
    {
        stopTimer();
        juce::MessageManager::getInstance()->stopDispatchLoop();
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
    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());

    if (editor == nullptr)
        throw CommandFailure ("the plug-in offers no editor");

    std::signal (SIGTERM, requestClose);
    std::signal (SIGINT, requestClose);

    {
        EditorWindow window (plugin->getName(), *editor, seconds);
        std::cout << "opened " << editor->getWidth() << "x" << editor->getHeight() << std::endl;
        juce::MessageManager::getInstance()->runDispatchLoop();
        std::cout << "closed at " << editor->getWidth() << "x" << editor->getHeight() << std::endl;
    }

    std::signal (SIGTERM, SIG_DFL);
    std::signal (SIGINT, SIG_DFL);
    editor.reset();
    return 0;
}
} // namespace echovane::host
