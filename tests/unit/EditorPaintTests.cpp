#include "support/EditorProbe.h"
#include "support/ExpectedLayouts.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

namespace
{
using echovane::testing::expectedLayoutAt;
using echovane::testing::findChild;
using echovane::testing::openEditor;

// The veil is black at alpha 0x5e: what shows through is 161/255 of the picture.
constexpr float veilPassThrough = 1.0f - static_cast<float> (0x5e) / 255.0f;

juce::Image snapshotOf (juce::Component& editor)
{
    return editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
}

/** The background picture's own pixel under editor point (x, y), the picture being stretched
    to the whole editor. */
juce::Colour backgroundPixel (const juce::Image& background, int x, int y, int editorWidth, int editorHeight)
{
    const auto px = static_cast<int> ((static_cast<float> (x) + 0.5f) * static_cast<float> (background.getWidth()) / static_cast<float> (editorWidth));
    const auto py = static_cast<int> ((static_cast<float> (y) + 0.5f) * static_cast<float> (background.getHeight()) / static_cast<float> (editorHeight));
    return background.getPixelAt (px, py);
}

bool isCyanGlow (juce::Colour c)
{
    return c.getGreen() > 150 && c.getBlue() > 150 && c.getRed() < 110 && c.getBlue() - c.getRed() > 100;
}

/** Whether any pixel of `area` is close to `target` in every channel. */
bool areaHolds (const juce::Image& image, juce::Rectangle<int> area, juce::Colour target, int tolerance)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);

            if (std::abs (c.getRed() - target.getRed()) <= tolerance && std::abs (c.getGreen() - target.getGreen()) <= tolerance
                && std::abs (c.getBlue() - target.getBlue()) <= tolerance)
                return true;
        }

    return false;
}

struct PaintCase
{
    int width, height;
};

class EditorPaint : public ::testing::TestWithParam<PaintCase>
{
};

TEST_P (EditorPaint, ShowsTheVeiledBackgroundTheGlowsAndTheStep)
{
    const auto size = GetParam();
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    editor->setSize (size.width, size.height);

    const auto image = snapshotOf (*editor);
    ASSERT_EQ (image.getWidth(), size.width);
    ASSERT_EQ (image.getHeight(), size.height);

    const auto background = juce::ImageFileFormat::loadFrom (BinaryData::editor_background_png, BinaryData::editor_background_pngSize);
    ASSERT_TRUE (background.isValid());

    // Between the bars only the picture and its veil are drawn.
    const auto layout = expectedLayoutAt (size.width, size.height);

    for (const auto& fraction : { juce::Point<float> (0.5f, 0.5f), juce::Point<float> (0.3f, 0.4f), juce::Point<float> (0.7f, 0.6f) })
    {
        const auto x = static_cast<int> (fraction.x * static_cast<float> (size.width));
        const auto y = static_cast<int> (fraction.y * static_cast<float> (size.height));
        ASSERT_TRUE (layout.controlRow.contains (x, y));

        const auto shown = image.getPixelAt (x, y);
        const auto source = backgroundPixel (background, x, y, size.width, size.height);
        SCOPED_TRACE ("at " + std::to_string (x) + "," + std::to_string (y) + " picture " + source.toString().toStdString() + " shown " + shown.toString().toStdString());

        EXPECT_NEAR (shown.getRed(), source.getRed() * veilPassThrough, 6.0);
        EXPECT_NEAR (shown.getGreen(), source.getGreen() * veilPassThrough, 6.0);
        EXPECT_NEAR (shown.getBlue(), source.getBlue() * veilPassThrough, 6.0);
    }

    // The glow strokes: the bottom bar's first runs over a third of its width, the top bar's
    // second over its middle. Each column crosses its stroke somewhere in the bar's height.
    const auto columnHasGlow = [&image] (juce::Rectangle<int> bar, float fractionOfWidth)
    {
        const auto x = bar.getX() + static_cast<int> (fractionOfWidth * static_cast<float> (bar.getWidth()));

        for (int y = bar.getY(); y < juce::jmin (bar.getBottom(), image.getHeight()); ++y)
            if (isCyanGlow (image.getPixelAt (x, y)))
                return true;

        return false;
    };

    EXPECT_TRUE (columnHasGlow (layout.downGlowBar, 0.3f));
    EXPECT_TRUE (columnHasGlow (layout.upperGlowBar, 0.55f));

    // The step is written in the active text colour on the plate.
    EXPECT_TRUE (areaHolds (image, layout.sizeChanger, juce::Colour (0xff00e0ed), 24));
}

const PaintCase paintCases[] = { { 1000, 480 }, { 800, 384 }, { 1500, 720 }, { 1300, 300 } };

INSTANTIATE_TEST_SUITE_P (Sizes, EditorPaint, ::testing::ValuesIn (paintCases), [] (const auto& testCase)
                          { return std::to_string (testCase.param.width) + "x" + std::to_string (testCase.param.height); });

TEST (EditorPaint, TheVeilDarkensTheWholeBackground)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    const auto image = snapshotOf (*editor);
    const auto background = juce::ImageFileFormat::loadFrom (BinaryData::editor_background_png, BinaryData::editor_background_pngSize);

    // Corners and edges too: nothing of the picture shows unveiled, whatever lies there.
    const juce::Point<int> points[] = { { 2, 240 }, { 997, 240 }, { 500, 65 }, { 10, 60 }, { 990, 420 } };

    for (const auto& point : points)
    {
        const auto shown = image.getPixelAt (point.x, point.y);
        const auto source = backgroundPixel (background, point.x, point.y, 1000, 480);
        SCOPED_TRACE (point.toString().toStdString());
        EXPECT_LE (shown.getBrightness(), source.getBrightness() * veilPassThrough + 0.03f);
        // The veil lies over the picture, so it is at least as opaque as either of them.
        EXPECT_GE (shown.getAlpha(), juce::jmax (source.getAlpha(), static_cast<juce::uint8> (0x5e)));
    }
}

TEST (EditorPaint, ThePlateShowsEachStep)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    auto* plate = findChild<WindowSizeChangerComponent> (*editor);

    // Different texts draw different pixels: the paint really follows the step.
    const auto hundred = plate->createComponentSnapshot (plate->getLocalBounds());
    echovane::testing::clickSizeChanger (*editor);
    const auto large = plate->createComponentSnapshot ({ 0, 0, hundred.getWidth(), hundred.getHeight() });

    int differing = 0;

    for (int y = 0; y < hundred.getHeight(); ++y)
        for (int x = 0; x < hundred.getWidth(); ++x)
            if (hundred.getPixelAt (x, y) != large.getPixelAt (x, y))
                ++differing;

    EXPECT_GT (differing, 0);
    EXPECT_EQ (plate->getShownText(), "150%");
}
} // namespace
