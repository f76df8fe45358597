#include "BundleFixture.h"
#include "EditorWindow.h"
#include "OwnedEditor.h"
#include "support/MessagePump.h"
#include "support/StateBlocks.h"

namespace
{
using echovane::host::EditorWindow;
using echovane::testing::pumpUntil;

/** Counts what the plug-in tells the host about its parameters. */
class HostSideWatch final : private juce::AudioProcessorParameter::Listener
{
public:
    explicit HostSideWatch (juce::AudioPluginInstance& pluginToWatch)
        : plugin (pluginToWatch)
    {
        for (auto* parameter : plugin.getParameters())
            parameter->addListener (this);
    }

    ~HostSideWatch() override
    {
        for (auto* parameter : plugin.getParameters())
            parameter->removeListener (this);
    }

    int notifications = 0;

private:
    void parameterValueChanged (int, float) override { ++notifications; }
    void parameterGestureChanged (int, bool) override { ++notifications; }

    juce::AudioPluginInstance& plugin;
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
} // namespace
