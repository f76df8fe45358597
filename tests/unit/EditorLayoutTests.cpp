#include "editor/DownGLowBarComponent.h"
#include "editor/UpperGlowBarComponent.h"
#include "support/EditorProbe.h"
#include "support/ExpectedLayouts.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::findChild;
using echovane::testing::openEditor;
using echovane::testing::ParameterWatch;

using echovane::testing::ExpectedLayout;
using echovane::testing::expectedLayoutAt;

using Bounds = juce::Rectangle<int>;

// The size-changer plate is 140 x 80 pixels.
constexpr float plateAspect = 80.0f / 140.0f;

// The pixel results at the three size steps, where single against double precision and the
// point of truncation each show.
const ExpectedLayout stepLayouts[] = { expectedLayoutAt (1000, 480), expectedLayoutAt (800, 384), expectedLayoutAt (1500, 720) };

class EditorLayoutAtSteps : public ::testing::TestWithParam<ExpectedLayout>
{
};

TEST_P (EditorLayoutAtSteps, ComputesEveryChildsPlace)
{
    const auto& expected = GetParam();
    const auto layout = EditorLayout::forSize (expected.width, expected.height, plateAspect);

    EXPECT_EQ (layout.downGlowBar, expected.downGlowBar);
    EXPECT_EQ (layout.upperGlowBar, expected.upperGlowBar);
    EXPECT_EQ (layout.controlRow, expected.controlRow);
    EXPECT_EQ (layout.updateNotice, expected.updateNotice);
    EXPECT_EQ (layout.infoHotspot, expected.infoHotspot);
    EXPECT_EQ (layout.sizeChanger, expected.sizeChanger);
}

TEST_P (EditorLayoutAtSteps, PlacesTheChildrenItOwns)
{
    const auto& expected = GetParam();
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    editor->setSize (expected.width, expected.height);

    ASSERT_EQ (editor->getWidth(), expected.width);
    ASSERT_EQ (editor->getHeight(), expected.height);
    EXPECT_EQ (findChild<DownGLowBarComponent> (*editor)->getBounds(), expected.downGlowBar);
    EXPECT_EQ (findChild<UpperGlowBarComponent> (*editor)->getBounds(), expected.upperGlowBar);
    EXPECT_EQ (findChild<WindowSizeChangerComponent> (*editor)->getBounds(), expected.sizeChanger);
    EXPECT_EQ (findChild<UpdateContainer> (*editor)->getBounds(), expected.updateNotice);
    EXPECT_EQ (findChild<PopuppWindowComponent> (*editor)->getBounds(), expected.infoHotspot);

    // The row fills its holder, so the controls stand where the row's own layout puts them.
    const auto* rowWrapper = findChild<DelayRowWrapper> (*editor);
    EXPECT_EQ (rowWrapper->getBounds(), expected.controlRow);
    EXPECT_EQ (rowWrapper->getRow().getBounds(), expected.controlRow.withZeroOrigin());
}

INSTANTIATE_TEST_SUITE_P (Steps, EditorLayoutAtSteps, ::testing::ValuesIn (stepLayouts), [] (const auto& testCase)
                          { return std::to_string (testCase.param.width) + "x" + std::to_string (testCase.param.height); });

TEST (Editor, OpensAt1000By480WithItsChildrenBackToFront)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);

    EXPECT_EQ (editor->getWidth(), 1000);
    EXPECT_EQ (editor->getHeight(), 480);
    EXPECT_EQ (processor.getActiveEditor(), editor.get());
    EXPECT_TRUE (editor->isResizable());
    // The host's proposals pass JUCE's default constrainer untouched: no limits, no aspect.
    const auto* constrainer = editor->getConstrainer();
    ASSERT_NE (constrainer, nullptr);
    EXPECT_EQ (constrainer->getMinimumWidth(), 0);
    EXPECT_EQ (constrainer->getMinimumHeight(), 0);
    EXPECT_GE (constrainer->getMaximumWidth(), 1 << 20);
    EXPECT_GE (constrainer->getMaximumHeight(), 1 << 20);
    EXPECT_EQ (constrainer->getFixedAspectRatio(), 0.0);
    EXPECT_FALSE (editor->isOpaque());

    // The control row back-most, the glow bars over it, the size changer above them, the update
    // notice, then the info panels with the hotspot between the click-catcher and the menu.
    ASSERT_EQ (editor->getNumChildComponents(), 9);
    EXPECT_NE (dynamic_cast<DelayRowWrapper*> (editor->getChildComponent (0)), nullptr);
    EXPECT_NE (dynamic_cast<DownGLowBarComponent*> (editor->getChildComponent (1)), nullptr);
    EXPECT_NE (dynamic_cast<UpperGlowBarComponent*> (editor->getChildComponent (2)), nullptr);
    EXPECT_NE (dynamic_cast<WindowSizeChangerComponent*> (editor->getChildComponent (3)), nullptr);
    EXPECT_NE (dynamic_cast<UpdateContainer*> (editor->getChildComponent (4)), nullptr);
    EXPECT_NE (dynamic_cast<AboutProgramComponent*> (editor->getChildComponent (5)), nullptr);
    EXPECT_NE (dynamic_cast<FakeWindowComponent*> (editor->getChildComponent (6)), nullptr);
    EXPECT_NE (dynamic_cast<PopuppWindowComponent*> (editor->getChildComponent (7)), nullptr);
    EXPECT_NE (dynamic_cast<MenuComponent*> (editor->getChildComponent (8)), nullptr);

    // The info panels were added visible; the first layout hid them.
    for (int i = 0; i < editor->getNumChildComponents(); ++i)
        EXPECT_EQ (editor->getChildComponent (i)->isVisible(), i < 5 || i == 7) << "child " << i;
}

struct OddSize
{
    const char* name;
    int width, height;
};

const OddSize oddSizes[] = {
    { "flat", 2000, 60 },
    { "tall", 60, 2000 },
    { "onePixel", 1, 1 },
    { "empty", 0, 0 },
    { "wideAndShort", 1000, 20 },
    { "huge", 9000, 6000 },
};

class EditorAtOddSizes : public ::testing::TestWithParam<OddSize>
{
};

TEST_P (EditorAtOddSizes, GivesNoChildANegativeSizeAndStillDraws)
{
    const auto& size = GetParam();
    const auto expected = expectedLayoutAt (size.width, size.height);
    const auto layout = EditorLayout::forSize (size.width, size.height, plateAspect);

    EXPECT_EQ (layout.downGlowBar, expected.downGlowBar);
    EXPECT_EQ (layout.upperGlowBar, expected.upperGlowBar);
    EXPECT_EQ (layout.controlRow, expected.controlRow);
    EXPECT_EQ (layout.updateNotice, expected.updateNotice);
    EXPECT_EQ (layout.infoHotspot, expected.infoHotspot);
    EXPECT_EQ (layout.sizeChanger, expected.sizeChanger);

    for (const auto& bounds : { layout.downGlowBar, layout.upperGlowBar, layout.controlRow, layout.updateNotice, layout.infoHotspot, layout.sizeChanger })
    {
        EXPECT_GE (bounds.getWidth(), 0) << bounds.toString();
        EXPECT_GE (bounds.getHeight(), 0) << bounds.toString();
        EXPECT_GE (bounds.getX(), 0) << bounds.toString();
    }

    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    editor->setSize (size.width, size.height);

    EXPECT_EQ (editor->getWidth(), size.width);
    EXPECT_EQ (editor->getHeight(), size.height);
    EXPECT_EQ (findChild<DownGLowBarComponent> (*editor)->getBounds(), expected.downGlowBar);
    EXPECT_EQ (findChild<UpperGlowBarComponent> (*editor)->getBounds(), expected.upperGlowBar);
    EXPECT_EQ (findChild<WindowSizeChangerComponent> (*editor)->getBounds(), expected.sizeChanger);

    // Drawing at the size must not fault, whatever the aspect (huge sizes only in part).
    const auto area = editor->getLocalBounds().withSize (juce::jmin (size.width, 1200), juce::jmin (size.height, 900));

    if (! area.isEmpty())
    {
        EXPECT_TRUE (editor->createComponentSnapshot (area, true, 1.0f).isValid());
    }
}

INSTANTIATE_TEST_SUITE_P (Sizes, EditorAtOddSizes, ::testing::ValuesIn (oddSizes), [] (const auto& testCase)
                          { return std::string (testCase.param.name); });

TEST (Editor, AFlatEditorHasAnEmptyControlRow)
{
    // H - 1.8 x bar goes below zero once the bars are tall against the height.
    const auto layout = EditorLayout::forSize (2000, 60, plateAspect);
    EXPECT_EQ (layout.controlRow, Bounds (0, 100, 2000, 0));
}

TEST (Decoration, LogoAndLetteringSitInTheGlowsGaps)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);

    const auto* bottom = findChild<DownGLowBarComponent> (*editor);
    const auto* top = findChild<UpperGlowBarComponent> (*editor);

    // 57 pixels tall in a 50-pixel bar: the bar clips its lowest rows.
    EXPECT_EQ (bottom->getProductLogo().getBounds(), Bounds (633, 1, 216, 57));
    EXPECT_EQ (bottom->getNumChildComponents(), 1);

    EXPECT_EQ (top->getGlowBar().getBounds(), Bounds (0, 0, 960, 50));
    EXPECT_EQ (top->getMakerLettering().getBounds(), Bounds (115, 18, 169, 14));
    EXPECT_EQ (editor->getLocalArea (top, top->getMakerLettering().getBounds()), Bounds (135, 20, 169, 14));

    // The lettering lies above the glow.
    ASSERT_EQ (top->getNumChildComponents(), 2);
    EXPECT_EQ (top->getChildComponent (0), &top->getGlowBar());
    EXPECT_EQ (top->getChildComponent (1), &top->getMakerLettering());
}

TEST (Decoration, TheLogosHeightFollowsTheBarsWidthAlone)
{
    DownGLowBarComponent bar;
    bar.setSize (960, 50);
    const auto logoAtFifty = bar.getProductLogo().getBounds();

    bar.setSize (960, 200);
    const auto logoAtTwoHundred = bar.getProductLogo().getBounds();

    EXPECT_EQ (logoAtFifty.getHeight(), logoAtTwoHundred.getHeight());
    EXPECT_EQ (logoAtFifty.getWidth(), logoAtTwoHundred.getWidth());
    EXPECT_EQ (logoAtTwoHundred.getY(), 6);

    bar.setSize (0, 0);
    EXPECT_TRUE (bar.getProductLogo().getBounds().isEmpty());
}

TEST (Editor, NeverWritesAParameterOnItsOwn)
{
    OvelanAudioProcessor processor;
    std::vector<float> before;

    for (auto* parameter : processor.getParameters())
        before.push_back (parameter->getValue());

    {
        ParameterWatch watch (processor);

        for (int i = 0; i < 3; ++i)
        {
            auto editor = openEditor (processor);

            for (const auto& size : oddSizes)
                editor->setSize (size.width, size.height);

            editor->setSize (1000, 480);
            editor->createComponentSnapshot (editor->getLocalBounds());
        }

        EXPECT_EQ (watch.valueChanges, 0);
        EXPECT_EQ (watch.gestures, 0);
    }

    for (int i = 0; i < processor.getParameters().size(); ++i)
        EXPECT_EQ (processor.getParameters()[i]->getValue(), before[static_cast<size_t> (i)]);

    EXPECT_EQ (processor.sizeChanger->get(), 1.0f);
}

TEST (Editor, TwoHundredOpeningsLeaveNothingBehind)
{
    OvelanAudioProcessor processor;

    for (int i = 0; i < 200; ++i)
    {
        auto editor = openEditor (processor);
        ASSERT_NE (editor, nullptr);
        ASSERT_EQ (editor->getNumChildComponents(), 9);
        editor.reset();
        ASSERT_EQ (processor.getActiveEditor(), nullptr);
    }
}
} // namespace
