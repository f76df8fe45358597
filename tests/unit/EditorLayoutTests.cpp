#include "editor/DownGLowBarComponent.h"
#include "editor/UpperGlowBarComponent.h"
#include "support/EditorProbe.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::findChild;
using echovane::testing::openEditor;
using echovane::testing::ParameterWatch;

using Bounds = juce::Rectangle<int>;

// The size-changer plate is 140 x 80 pixels.
constexpr float plateAspect = 80.0f / 140.0f;

struct LayoutCase
{
    int width, height;
    Bounds downGlowBar, upperGlowBar, controlRow, updateNotice, infoHotspot, sizeChanger;
};

// The pixel results at the three size steps, where single against double precision and the
// point of truncation each show.
const LayoutCase stepLayouts[] = {
    { 1000, 480, { 20, 429, 960, 50 }, { 20, 2, 960, 50 }, { 0, 50, 1000, 389 }, { 170, 38, 100, 12 }, { 135, 19, 170, 16 }, { 793, 2, 90, 51 } },
    { 800, 384, { 16, 343, 768, 40 }, { 16, 1, 768, 40 }, { 0, 40, 800, 311 }, { 136, 30, 80, 9 }, { 108, 15, 136, 13 }, { 634, 1, 72, 41 } },
    { 1500, 720, { 30, 644, 1440, 75 }, { 30, 3, 1440, 75 }, { 0, 75, 1500, 583 }, { 255, 57, 150, 18 }, { 202, 28, 255, 24 }, { 1190, 3, 135, 77 } },
};

class EditorLayoutAtSteps : public ::testing::TestWithParam<LayoutCase>
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

    // The six small knobs at the back, the glow bars, then the size changer above them.
    ASSERT_EQ (editor->getNumChildComponents(), 9);
    const char* captions[] = { "FEED", "BALANCE", "WIDTH", "DRIVE", "BRIGHT", "DARK" };

    for (int i = 0; i < 6; ++i)
    {
        const auto* knob = dynamic_cast<BasicButtonWrapper*> (editor->getChildComponent (i));
        ASSERT_NE (knob, nullptr);
        EXPECT_EQ (knob->getCaption().getLabel().getText(), captions[i]);
    }

    EXPECT_NE (dynamic_cast<DownGLowBarComponent*> (editor->getChildComponent (6)), nullptr);
    EXPECT_NE (dynamic_cast<UpperGlowBarComponent*> (editor->getChildComponent (7)), nullptr);
    EXPECT_NE (dynamic_cast<WindowSizeChangerComponent*> (editor->getChildComponent (8)), nullptr);

    for (auto* child : editor->getChildren())
        EXPECT_TRUE (child->isVisible());
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
    const auto layout = EditorLayout::forSize (size.width, size.height, plateAspect);

    for (const auto& bounds : { layout.downGlowBar, layout.upperGlowBar, layout.controlRow, layout.updateNotice, layout.infoHotspot, layout.sizeChanger })
    {
        EXPECT_GE (bounds.getWidth(), 0) << bounds.toString();
        EXPECT_GE (bounds.getHeight(), 0) << bounds.toString();
        EXPECT_GE (bounds.getX(), 0) << bounds.toString();
    }

    // The row is the editor's full width whatever its height leaves over.
    EXPECT_EQ (layout.controlRow.getWidth(), size.width);

    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    editor->setSize (size.width, size.height);

    EXPECT_EQ (editor->getWidth(), size.width);
    EXPECT_EQ (editor->getHeight(), size.height);
    EXPECT_EQ (findChild<DownGLowBarComponent> (*editor)->getBounds(), layout.downGlowBar);
    EXPECT_EQ (findChild<UpperGlowBarComponent> (*editor)->getBounds(), layout.upperGlowBar);
    EXPECT_EQ (findChild<WindowSizeChangerComponent> (*editor)->getBounds(), layout.sizeChanger);

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
    EXPECT_EQ (layout.controlRow.getHeight(), 0);
    EXPECT_EQ (layout.controlRow.getY(), layout.upperGlowBar.getHeight());
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
