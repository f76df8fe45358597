#include "support/EditorProbe.h"
#include "support/ExpectedLayouts.h"
#include "support/StateBlocks.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

namespace
{
using echovane::testing::clickSizeChanger;
using echovane::testing::expectedLayoutAt;
using echovane::testing::findChild;
using echovane::testing::openEditor;
using echovane::testing::ParameterWatch;
using echovane::testing::stateBlockWithElement;

juce::String shownText (const juce::Component& editor)
{
    return findChild<WindowSizeChangerComponent> (editor)->getShownText();
}

void restoreSizeStep (OvelanAudioProcessor& processor, const std::string& value)
{
    const auto block = stateBlockWithElement ("<Delay sizechanger=\"" + value + "\"/>");
    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}

/** Every child the editor owns sits where it belongs at the editor's current size. */
void expectLaidOutAtCurrentSize (const juce::Component& editor)
{
    const auto layout = expectedLayoutAt (editor.getWidth(), editor.getHeight());
    EXPECT_EQ (findChild<DownGLowBarComponent> (editor)->getBounds(), layout.downGlowBar);
    EXPECT_EQ (findChild<UpperGlowBarComponent> (editor)->getBounds(), layout.upperGlowBar);
    EXPECT_EQ (findChild<WindowSizeChangerComponent> (editor)->getBounds(), layout.sizeChanger);
}

/** The plate as it must look showing `text`: the plate picture stretched over the whole
    component, the text centred on it in the active colour at three tenths of its height. */
juce::Image expectedPlate (int width, int height, const juce::String& text)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    const auto plate = juce::Drawable::createFromImageData (BinaryData::size_changer_plate_png, BinaryData::size_changer_plate_pngSize);
    plate->drawWithin (g, { 0.0f, 0.0f, static_cast<float> (width), static_cast<float> (height) }, juce::RectanglePlacement::stretchToFit, 1.0f);
    g.setColour (juce::Colour (0xff00e0ed));
    g.setFont (static_cast<float> (0.3 * height));
    g.drawText (text, 0, 0, width, height, juce::Justification::centred, true);
    return image;
}

int differingPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return a.getWidth() * a.getHeight() + b.getWidth() * b.getHeight();

    int count = 0;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                ++count;

    return count;
}

struct Step
{
    int width, height;
    const char* text;
    float storedValue;
};

TEST (SizeChanger, ThreeClicksGoRoundTheSteps)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    editor->setTopLeftPosition (7, 11);
    ParameterWatch watch (processor);

    EXPECT_EQ (shownText (*editor), "100%");

    const Step cycle[] = { { 1500, 720, "150%", 2.0f }, { 800, 384, "80%", 0.0f }, { 1000, 480, "100%", 1.0f } };

    for (const auto& step : cycle)
    {
        SCOPED_TRACE (step.text);
        clickSizeChanger (*editor);

        EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (7, 11, step.width, step.height));
        EXPECT_EQ (shownText (*editor), step.text);
        EXPECT_EQ (processor.sizeChanger->get(), step.storedValue);
        expectLaidOutAtCurrentSize (*editor);
    }

    // A plain write: no listener hears it, no gesture reaches anyone.
    EXPECT_EQ (watch.valueChanges, 0);
    EXPECT_EQ (watch.gestures, 0);
}

TEST (SizeChanger, ThePlateDrawsTheStepEachClickReaches)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    const juce::String texts[] = { "100%", "150%", "80%" };

    for (int click = 0; click < 4; ++click)
    {
        if (click > 0)
            clickSizeChanger (*editor);

        const auto& text = texts[click % 3];
        SCOPED_TRACE (text);
        auto* plate = findChild<WindowSizeChangerComponent> (*editor);
        const auto drawn = plate->createComponentSnapshot (plate->getLocalBounds(), true, 1.0f);

        // What the user sees, not what the component says it shows.
        for (const auto& other : texts)
        {
            const auto differences = differingPixels (drawn, expectedPlate (plate->getWidth(), plate->getHeight(), other));

            if (other == text)
                EXPECT_EQ (differences, 0);
            else
                EXPECT_GT (differences, 0) << "looks like " << other;
        }
    }
}

TEST (SizeChanger, StepsOnReleaseNotOnPress)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    auto* plate = findChild<WindowSizeChangerComponent> (*editor);
    const auto middle = plate->getLocalBounds().getCentre().toFloat();
    const auto now = juce::Time::getCurrentTime();
    const auto event = [&] (juce::ModifierKeys modifiers)
    {
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), middle, modifiers, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, plate, plate, now, middle, now, 1, false);
    };

    // A press alone changes nothing: a user may still slide off before letting go.
    plate->mouseDown (event (juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier)));
    EXPECT_EQ (editor->getWidth(), 1000);
    EXPECT_EQ (shownText (*editor), "100%");
    EXPECT_EQ (processor.sizeChanger->get(), 1.0f);

    plate->mouseUp (event (juce::ModifierKeys()));
    EXPECT_EQ (editor->getWidth(), 1500);
    EXPECT_EQ (shownText (*editor), "150%");
    EXPECT_EQ (processor.sizeChanger->get(), 2.0f);
}

TEST (SizeChanger, AReopenedEditorComesBackAtTheLastStep)
{
    OvelanAudioProcessor processor;

    {
        auto editor = openEditor (processor);
        clickSizeChanger (*editor);
        clickSizeChanger (*editor);
        ASSERT_EQ (editor->getWidth(), 800);
    }

    auto editor = openEditor (processor);
    EXPECT_EQ (editor->getWidth(), 800);
    EXPECT_EQ (editor->getHeight(), 384);
    EXPECT_EQ (shownText (*editor), "80%");
    EXPECT_EQ (processor.sizeChanger->get(), 0.0f);
    expectLaidOutAtCurrentSize (*editor);

    // And carries on round the cycle from there.
    clickSizeChanger (*editor);
    EXPECT_EQ (editor->getWidth(), 1000);
    EXPECT_EQ (shownText (*editor), "100%");
}

struct StoredStep
{
    const char* stored;
    int width, height;
    const char* text;
    bool clicksChangeIt;
};

class SizeChangerRestore : public ::testing::TestWithParam<StoredStep>
{
};

TEST_P (SizeChangerRestore, OpensAtTheStoredStep)
{
    const auto& expected = GetParam();
    OvelanAudioProcessor processor;
    restoreSizeStep (processor, expected.stored);
    const auto storedValue = processor.sizeChanger->get();
    ParameterWatch watch (processor);

    auto editor = openEditor (processor);
    EXPECT_EQ (editor->getWidth(), expected.width);
    EXPECT_EQ (editor->getHeight(), expected.height);
    EXPECT_EQ (shownText (*editor), expected.text);
    EXPECT_EQ (processor.sizeChanger->get(), storedValue);
    expectLaidOutAtCurrentSize (*editor);

    if (! expected.clicksChangeIt)
    {
        // A value that names no step: clicks only lay the editor out again.
        for (int i = 0; i < 3; ++i)
        {
            clickSizeChanger (*editor);
            EXPECT_EQ (editor->getWidth(), expected.width);
            EXPECT_EQ (editor->getHeight(), expected.height);
            EXPECT_EQ (shownText (*editor), expected.text);
            EXPECT_EQ (processor.sizeChanger->get(), storedValue);
        }
    }

    EXPECT_EQ (watch.valueChanges, 0);
    EXPECT_EQ (watch.gestures, 0);
}

const StoredStep storedSteps[] = {
    { "0", 800, 384, "80%", true },
    { "1", 1000, 480, "100%", true },
    { "2", 1500, 720, "150%", true },
    { "1.37", 1000, 480, "100%", false },
    { "0.5", 1000, 480, "100%", false },
    { "1.99", 1000, 480, "100%", false },
};

INSTANTIATE_TEST_SUITE_P (Stored, SizeChangerRestore, ::testing::ValuesIn (storedSteps), [] (const auto& testCase)
                          { return "value" + juce::String (testCase.param.stored).replaceCharacter ('.', '_').toStdString(); });

TEST (SizeChanger, HostResizingLeavesTheStepAlone)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);

    editor->setSize (1234, 567);
    EXPECT_EQ (shownText (*editor), "100%");
    EXPECT_EQ (processor.sizeChanger->get(), 1.0f);
    expectLaidOutAtCurrentSize (*editor);

    // The next click steps from the stored value to that step's fixed size.
    clickSizeChanger (*editor);
    EXPECT_EQ (editor->getWidth(), 1500);
    EXPECT_EQ (editor->getHeight(), 720);

    editor->setSize (333, 999);
    EXPECT_EQ (shownText (*editor), "150%");
    EXPECT_EQ (processor.sizeChanger->get(), 2.0f);

    clickSizeChanger (*editor);
    EXPECT_EQ (editor->getWidth(), 800);
    EXPECT_EQ (editor->getHeight(), 384);
}

TEST (SizeChanger, RestoresOnlyAtTheFirstLayout)
{
    OvelanAudioProcessor processor;
    restoreSizeStep (processor, "2");
    auto editor = openEditor (processor);
    ASSERT_EQ (editor->getWidth(), 1500);

    // Later layouts leave the host's size as it is, even though the stored step says 150 %.
    editor->setSize (640, 300);
    editor->setSize (900, 400);
    EXPECT_EQ (editor->getWidth(), 900);
    EXPECT_EQ (editor->getHeight(), 400);
}

TEST (SizeChanger, ManyClicksAcrossManyEditorsKeepToTheCycle)
{
    OvelanAudioProcessor processor;
    const int widths[] = { 1000, 1500, 800 };
    int clicks = 0;

    for (int opening = 0; opening < 20; ++opening)
    {
        auto editor = openEditor (processor);
        EXPECT_EQ (editor->getWidth(), widths[clicks % 3]);

        for (int i = 0; i < opening % 4; ++i)
        {
            clickSizeChanger (*editor);
            ++clicks;
            EXPECT_EQ (editor->getWidth(), widths[clicks % 3]);
        }
    }
}
} // namespace
