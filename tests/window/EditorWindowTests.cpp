#include "BundleFixture.h"
#include "EditorLayoutTwin.h"
#include "EditorWindow.h"
#include "OwnedEditor.h"
#include "RealInput.h"
#include "support/AllParametersListener.h"
#include "support/ConcurrencyTests.h"
#include "support/MessagePump.h"
#include "support/RequestStalls.h"
#include "support/StateBlocks.h"
#include "support/ThreadCensus.h"

#include <iostream>
#include <thread>

namespace
{
using echovane::host::EditorWindow;
using echovane::testing::EditorLayoutTwin;
using echovane::testing::pumpFor;
using echovane::testing::pumpUntil;
namespace realInput = echovane::testing::realInput;

/** The X id of a window of ours, as xdotool takes it. */
juce::String xIdOf (const EditorWindow& window)
{
    return juce::String (static_cast<juce::uint64> (reinterpret_cast<juce::pointer_sized_uint> (window.getWindowHandle())));
}

/** The bundle's editor as it is now laid out: a twin on the plug-in's current state at the
    editor's size. */
std::unique_ptr<EditorLayoutTwin> twinOf (juce::AudioPluginInstance& plugin, const juce::Component& editor)
{
    return std::make_unique<EditorLayoutTwin> (echovane::host::readComponentState (plugin), juce::Point<int> (editor.getWidth(), editor.getHeight()));
}

/** Counts what the plug-in tells the host about its parameters. */
class HostSideWatch final : private echovane::testing::AllParametersListener
{
public:
    explicit HostSideWatch (juce::AudioPluginInstance& pluginToWatch)
        : AllParametersListener (pluginToWatch)
    {
    }

    int notifications = 0;

private:
    void parameterValueChanged (int, float) override { ++notifications; }
    void parameterGestureChanged (int, bool) override { ++notifications; }
};

/** One parameter's notifications as the host receives them: 'B' for a gesture's begin, 'E' for
    its end, and each value. */
class HostSideGestures final : private juce::AudioProcessorParameter::Listener
{
public:
    explicit HostSideGestures (juce::AudioProcessorParameter& parameterToWatch)
        : parameter (parameterToWatch)
    {
        parameter.addListener (this);
    }

    ~HostSideGestures() override { parameter.removeListener (this); }

    std::string shape;
    std::vector<float> values;

private:
    void parameterValueChanged (int, float value) override
    {
        shape += 'v';
        values.push_back (value);
    }

    void parameterGestureChanged (int, bool starting) override { shape += starting ? 'B' : 'E'; }

    juce::AudioProcessorParameter& parameter;
};

class EditorWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            GTEST_FAIL() << "these tests need a display: run them under xvfb-run (CTest does)";

        plugin = echovane::testing::loadBuiltBundle();
    }

    /** Waits until the editor stands at its 100 % size, then a little longer for the window's
        first events to pass, so that real input lands where the twin says. */
    static bool settledAt100 (const juce::Component& editor)
    {
        const auto sized = pumpUntil ([&editor]
                                      { return editor.getWidth() == 1000 && editor.getHeight() == 480; });
        pumpFor (300);
        return sized;
    }

    std::unique_ptr<juce::AudioPluginInstance> plugin;
};

TEST_F (EditorWindowTest, OpensAt1000By480AndTwoHundredCyclesLeaveNothingBehind)
{
    HostSideWatch watch (*plugin);

    for (int cycle = 0; cycle < 200; ++cycle)
    {
        echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);

        {
            EditorWindow window (plugin->getName(), *editor);
            ASSERT_TRUE (window.isOnDesktop());

            // The view answers with the plug-in's own editor size once it is attached.
            if (cycle % 50 == 0)
            {
                ASSERT_TRUE (pumpUntil ([&editor]
                                        { return editor->getWidth() == 1000 && editor->getHeight() == 480; }))
                    << "editor is " << editor->getWidth() << "x" << editor->getHeight();
            }
            else
            {
                ASSERT_EQ (editor->getWidth(), 1000);
                ASSERT_EQ (editor->getHeight(), 480);
            }
        }

        editor.reset();
        ASSERT_EQ (plugin->getActiveEditor(), nullptr);
    }

    EXPECT_EQ (watch.notifications, 0);
}

TEST_F (EditorWindowTest, OpensAtTheStoredStepAndTheWindowFollows)
{
    const auto block = echovane::testing::stateBlockWithElement ("<Delay sizechanger=\"2\"/>");
    echovane::host::writeComponentState (*plugin, block);

    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EditorWindow window (plugin->getName(), *editor);

    EXPECT_TRUE (pumpUntil ([&]
                            { return window.getWidth() == 1500 && window.getHeight() == 720; }))
        << "window is " << window.getWidth() << "x" << window.getHeight();
    EXPECT_EQ (editor->getWidth(), 1500);
    EXPECT_EQ (editor->getHeight(), 720);
}

TEST_F (EditorWindowTest, TheViewTakesAnySizeTheHostProposes)
{
    HostSideWatch watch (*plugin);
    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EditorWindow window (plugin->getName(), *editor);

    // The plug-in's editor is resizable without limits: each proposal passes its constraint
    // check unchanged, flat, tall and tiny alike.
    const juce::Point<int> proposals[] = { { 1234, 567 }, { 1600, 90 }, { 120, 900 }, { 10, 10 }, { 1000, 480 } };

    for (const auto& size : proposals)
    {
        SCOPED_TRACE (size.toString().toStdString());
        window.setSize (size.x, size.y);

        EXPECT_TRUE (pumpUntil ([&]
                                { return editor->getWidth() == size.x && editor->getHeight() == size.y; }))
            << "editor is " << editor->getWidth() << "x" << editor->getHeight();
        EXPECT_EQ (window.getWidth(), size.x);
        EXPECT_EQ (window.getHeight(), size.y);
    }

    // Nothing of this reaches the host's parameters, and the stored step stays at 100 %.
    EXPECT_EQ (watch.notifications, 0);
    const auto element = echovane::testing::savedElement (*plugin);
    ASSERT_NE (element, nullptr);
    EXPECT_EQ (element->getDoubleAttribute ("sizechanger"), 1.0);
}
TEST_F (EditorWindowTest, DraggingAKnobGivesTheHostBeginItsValuesAndEndInOrder)
{
    auto* feedback = plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::feedback)];
    ASSERT_EQ (feedback->getName (64), "Feedback");
    const auto before = feedback->getValue();

    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EditorWindow window (plugin->getName(), *editor);
    ASSERT_TRUE (settledAt100 (*editor));

    HostSideGestures gestures (*feedback);

    // A real pointer presses FEED's middle, moves 30 pixels up in single steps and lets go.
    const auto feed = twinOf (*plugin, *editor)->smallKnob ("FEED");
    ASSERT_TRUE (realInput::dragUp (xIdOf (window), feed, 30));
    ASSERT_TRUE (pumpUntil ([&]
                            { return gestures.shape.find ('E') != std::string::npos; }))
        << "the host heard " << gestures.shape;

    // Begin first, end last, and only values in between, each at least the one before.
    ASSERT_GE (gestures.shape.size(), 3u);
    EXPECT_EQ (gestures.shape.front(), 'B');
    EXPECT_EQ (gestures.shape.back(), 'E');
    EXPECT_EQ (gestures.shape.substr (1, gestures.shape.size() - 2).find_first_not_of ('v'), std::string::npos) << gestures.shape;

    for (size_t i = 1; i < gestures.values.size(); ++i)
        EXPECT_GE (gestures.values[i], gestures.values[i - 1] - 1.0e-6f);

    // 30 pixels of 0.03 rad over the 312-degree sweep: 0.165 more than before.
    const auto expected = before + 0.9f / (312.0f / 180.0f * 3.1415927f);
    EXPECT_NEAR (gestures.values.back(), expected, 0.006f);
    EXPECT_NEAR (feedback->getValue(), expected, 0.006f);
}

// The host restores a state while the window is open (a preset loaded, an undo in the host): the
// knobs and the lever take it on, so that a press works from what the user sees. A knob pressed
// without moving writes the value its ring shows; the lever flips the mode it shows.
TEST_F (EditorWindowTest, AnOpenEditorTakesOnARestoredState)
{
    auto* feedback = plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::feedback)];
    auto* tempoChanger = plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::tempoChanger)];
    ASSERT_EQ (feedback->getName (64), "Feedback");
    ASSERT_EQ (tempoChanger->getName (64), "TempoChanger");

    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EditorWindow window (plugin->getName(), *editor);
    ASSERT_TRUE (settledAt100 (*editor));

    // What the host hears of the restore: the values it refreshes, and from the editor nothing,
    // so exactly what it hears from an instance without one.
    const auto block = echovane::testing::stateBlockWithElement ("<Delay Feedback=\"0.8\" TempoChanger=\"1\" sizechanger=\"1\"/>");
    const auto restoreAndCount = [&block] (juce::AudioPluginInstance& instance)
    {
        HostSideWatch watch (instance);
        echovane::host::writeComponentState (instance, block);
        pumpFor (300);
        return watch.notifications;
    };

    auto withoutEditor = echovane::testing::loadBuiltBundle();
    EXPECT_EQ (restoreAndCount (*plugin), restoreAndCount (*withoutEditor));
    ASSERT_EQ (tempoChanger->getValue(), 1.0f);

    const auto twin = twinOf (*plugin, *editor);
    const auto click = [&window] (juce::Point<int> point)
    { return realInput::click (xIdOf (window), point); };

    HostSideGestures feedbackGestures (*feedback);
    ASSERT_TRUE (click (twin->smallKnob ("FEED")));
    ASSERT_TRUE (pumpUntil ([&]
                            { return feedbackGestures.shape.find ('E') != std::string::npos; }))
        << feedbackGestures.shape;
    ASSERT_FALSE (feedbackGestures.values.empty());
    EXPECT_NEAR (feedbackGestures.values.front(), 0.8f, 1.0e-4f);
    EXPECT_NEAR (feedback->getValue(), 0.8f, 1.0e-4f);

    // The lever's middle as it is tilted now: it shows milliseconds mode, so a press takes it
    // back to synced.
    HostSideGestures leverGestures (*tempoChanger);
    ASSERT_TRUE (click (twin->tempoLever()));
    ASSERT_TRUE (pumpUntil ([&]
                            { return leverGestures.shape.find ('E') != std::string::npos; }))
        << leverGestures.shape;
    ASSERT_EQ (leverGestures.values.size(), 1u);
    EXPECT_EQ (leverGestures.values.front(), 0.0f);
    EXPECT_EQ (tempoChanger->getValue(), 0.0f);
}
} // namespace

/** Everything the host hears of its plug-in's parameters, in order, as "Name(", "Name=value"
    and "Name)". */
class HostSideLog final : private echovane::testing::AllParametersListener
{
public:
    explicit HostSideLog (juce::AudioPluginInstance& pluginToWatch)
        : AllParametersListener (pluginToWatch)
    {
    }

    std::vector<std::string> entries;

    /** Where `entry` first stands, or -1. */
    int find (const std::string& entry) const
    {
        const auto found = std::find (entries.begin(), entries.end(), entry);
        return found == entries.end() ? -1 : static_cast<int> (found - entries.begin());
    }

    int count (const std::string& entry) const { return static_cast<int> (std::count (entries.begin(), entries.end(), entry)); }

private:
    void parameterValueChanged (int index, float value) override { entries.push_back (nameOf (index) + "=" + juce::String (value).toStdString()); }
    void parameterGestureChanged (int index, bool starting) override { entries.push_back (nameOf (index) + (starting ? "(" : ")")); }
};

TEST_F (EditorWindowTest, ClickingTheLeverGivesTheHostOneGestureHoldingOneWithTheVariantsClearedInside)
{
    plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::triplet)]->setValueNotifyingHost (1.0f);
    ASSERT_EQ (plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::triplet)]->getName (64), "Triplet");

    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EditorWindow window (plugin->getName(), *editor);
    ASSERT_TRUE (settledAt100 (*editor));

    HostSideLog log (*plugin);

    // The lever's middle, tilted towards "TEMPO".
    ASSERT_TRUE (realInput::click (xIdOf (window), twinOf (*plugin, *editor)->tempoLever()));
    ASSERT_TRUE (pumpUntil ([&]
                            { return log.find ("TempoChanger)") >= 0; }));

    // One gesture on "TempoChanger" holding the single value 1; the variants are written to 0
    // without gestures of their own, inside it.
    const auto begin = log.find ("TempoChanger(");
    const auto end = log.find ("TempoChanger)");
    ASSERT_GE (begin, 0);
    EXPECT_EQ (log.count ("TempoChanger("), 1);
    EXPECT_EQ (log.count ("TempoChanger)"), 1);
    EXPECT_EQ (log.count ("TempoChanger=1"), 1);
    EXPECT_EQ (log.count ("TempoChanger=0"), 0);

    for (const auto* inside : { "TempoChanger=1", "Triplet=0", "Dotted=0" })
    {
        const auto at = log.find (inside);
        EXPECT_GT (at, begin) << inside;
        EXPECT_LT (at, end) << inside;
    }

    EXPECT_EQ (log.find ("Triplet("), -1);
    EXPECT_EQ (log.find ("Dotted("), -1);
    EXPECT_EQ (plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::tempoChanger)]->getValue(), 1.0f);
    EXPECT_EQ (plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::triplet)]->getValue(), 0.0f);
}

CONCURRENCY_TEST_F (EditorWindowTest, TripletAutomatedOnTheAudioThreadClearsDottedOnTheMessageThread)
{
    auto* triplet = plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::triplet)];
    auto* dotted = plugin->getParameters()[ParameterIndex::hostIndex (ParameterIndex::dotted)];
    ASSERT_EQ (triplet->getName (64), "Triplet");
    ASSERT_EQ (dotted->getName (64), "Dotted");

    plugin->enableAllBuses();
    plugin->prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> block (2, 512);
    juce::MidiBuffer midi;

    const auto processSomeBlocks = [&]
    {
        for (int i = 0; i < 8; ++i)
        {
            block.clear();
            plugin->processBlock (block, midi);
        }
    };

    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EditorWindow window (plugin->getName(), *editor);
    ASSERT_TRUE (pumpUntil ([&editor]
                            { return editor->getWidth() == 1000 && editor->getHeight() == 480; }));

    // The host turns DOTTED on, then automates TRIPLET on from its audio thread, as a DAW's
    // automation lane does: the value reaches the plug-in inside processing.
    dotted->setValue (1.0f);
    processSomeBlocks();
    pumpFor (200);
    ASSERT_EQ (dotted->getValue(), 1.0f);

    std::thread audioThread ([&]
                             {
                                 triplet->setValue (1.0f);
                                 processSomeBlocks(); });
    audioThread.join();

    // TRIPLET's toggle clears DOTTED on the message thread, and the host hears of it.
    EXPECT_TRUE (pumpUntil ([dotted]
                            { return dotted->getValue() == 0.0f; },
                            5000))
        << "Dotted is still " << dotted->getValue();
    EXPECT_EQ (triplet->getValue(), 1.0f);

    plugin->releaseResources();
}

namespace
{
using echovane::testing::StallStage;

class ClosingTheWindow : public EditorWindowTest
    , public ::testing::WithParamInterface<StallStage>
{
};

// The plug-in's own update request hangs (led into a stall on loopback); the host closes the
// plug-in's window on its message thread, as when the user closes it, and gets that thread back
// at once. The request ends inside the bundle when the stall does.
CONCURRENCY_TEST_P (ClosingTheWindow, WhileTheUpdateCheckHangsGivesTheHostItsThreadBackAtOnce)
{
    echovane::testing::RequestStall stall (GetParam());
    ASSERT_TRUE (stall.isReady());
    const echovane::testing::MakersHostRule refusedAgainAfterwards;
    stall.capture (echovane::testing::TestResolver::makersHost());

    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    auto window = std::make_unique<EditorWindow> (plugin->getName(), *editor);
    ASSERT_TRUE (pumpUntil ([&editor]
                            { return editor->getWidth() == 1000 && editor->getHeight() == 480; }));
    ASSERT_TRUE (pumpUntil ([&stall]
                            { return stall.holdsARequest(); },
                            10000));
    pumpFor (300);

    const auto started = juce::Time::getMillisecondCounterHiRes();
    window.reset();
    editor.reset();
    const auto tookMs = juce::Time::getMillisecondCounterHiRes() - started;

    std::cout << "[ info ] closing the window while the " << nameOf (GetParam()) << " hangs took " << tookMs << " ms\n";
    EXPECT_LT (tookMs, echovane::testing::closingBoundMs);

    // The message loop runs on while the request still hangs.
    int delivered = 0;
    juce::MessageManager::callAsync ([&delivered]
                                     { ++delivered; });
    EXPECT_TRUE (pumpUntil ([&delivered]
                            { return delivered == 1; },
                            1000));

    // Still there, inside the bundle, until the stall ends; then it goes by itself.
    pumpFor (300);
    const auto threadsAfterClosing = echovane::testing::threadsInProcess();
    stall.release();
    EXPECT_TRUE (pumpUntil ([threadsAfterClosing]
                            { return echovane::testing::threadsInProcess() < threadsAfterClosing; },
                            10000));
}

INSTANTIATE_TEST_SUITE_P (Stages,
                          ClosingTheWindow,
                          ::testing::Values (StallStage::nameLookup, StallStage::connection, StallStage::tlsHandshake),
                          [] (const auto& testInfo)
                          { return std::string (nameOf (testInfo.param)); });
} // namespace
