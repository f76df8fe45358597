#include "editor/DownGLowBarComponent.h"
#include "editor/UpperGlowBarComponent.h"
#include "support/EditorProbe.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

namespace
{
using echovane::testing::findChild;
using echovane::testing::openEditor;

std::unique_ptr<juce::Drawable> picture (const void* data, int size)
{
    return juce::Drawable::createFromImageData (data, static_cast<size_t> (size));
}

/** Draws a picture stretched over `area` the way a child component of that bounds draws it:
    from its own origin, clipped to itself. */
void drawInto (juce::Graphics& g, juce::Drawable& drawable, juce::Rectangle<int> area)
{
    juce::Graphics::ScopedSaveState state (g);
    g.setOrigin (area.getPosition());
    g.reduceClipRegion (area.withZeroOrigin());
    drawable.drawWithin (g, area.withZeroOrigin().toFloat(), juce::RectanglePlacement::stretchToFit, 1.0f);
}

/** The largest difference in any channel between two pictures of one size, and where. */
struct Difference
{
    int largest = 0;
    juce::Point<int> where;
};

Difference compare (const juce::Image& a, const juce::Image& b)
{
    Difference result;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y);
            const auto q = b.getPixelAt (x, y);
            const auto d = juce::jmax (std::abs (p.getRed() - q.getRed()), std::abs (p.getGreen() - q.getGreen()), std::abs (p.getBlue() - q.getBlue()), std::abs (p.getAlpha() - q.getAlpha()));

            if (d > result.largest)
                result = { d, { x, y } };
        }

    return result;
}

/** Whether the pictures differ noticeably anywhere inside `area`. */
bool differInside (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    return compare (a.getClippedImage (area), b.getClippedImage (area)).largest > 40;
}

// At the editor's 100 % step, inside bars of 960 x 50.
const juce::Rectangle<int> letteringInTopBar (115, 18, 169, 14);
const juce::Rectangle<int> logoInBottomBar (633, 1, 216, 57);

TEST (EditorPictures, TheTopBarShowsItsGlowWithTheMakerLetteringInItsGap)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    auto* bar = findChild<UpperGlowBarComponent> (*editor);
    ASSERT_NE (bar, nullptr);
    ASSERT_EQ (bar->getBounds(), juce::Rectangle<int> (20, 2, 960, 50));

    const auto shown = bar->createComponentSnapshot (bar->getLocalBounds());

    juce::Image glowOnly (juce::Image::ARGB, 960, 50, true);
    {
        juce::Graphics g (glowOnly);
        drawInto (g, *picture (BinaryData::glow_bar_top_png, BinaryData::glow_bar_top_pngSize), { 0, 0, 960, 50 });
    }

    auto expected = glowOnly.createCopy();
    {
        juce::Graphics g (expected);
        drawInto (g, *picture (BinaryData::maker_lettering_svg, BinaryData::maker_lettering_svgSize), letteringInTopBar);
    }

    const auto difference = compare (shown, expected);
    EXPECT_LE (difference.largest, 3) << "at " << difference.where.toString();

    // The lettering really shows: without it the gap looks different.
    EXPECT_TRUE (differInside (expected, glowOnly, letteringInTopBar));

    // And it is the top glow, not the bottom one, with its gap where the lettering goes.
    juce::Image otherGlow (juce::Image::ARGB, 960, 50, true);
    {
        juce::Graphics g (otherGlow);
        drawInto (g, *picture (BinaryData::glow_bar_bottom_png, BinaryData::glow_bar_bottom_pngSize), { 0, 0, 960, 50 });
    }
    EXPECT_TRUE (differInside (glowOnly, otherGlow, { 0, 0, 960, 50 }));
}

TEST (EditorPictures, TheBottomBarShowsItsGlowWithTheProductLogoInItsGap)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    auto* bar = findChild<DownGLowBarComponent> (*editor);
    ASSERT_NE (bar, nullptr);
    ASSERT_EQ (bar->getBounds(), juce::Rectangle<int> (20, 429, 960, 50));

    const auto shown = bar->createComponentSnapshot (bar->getLocalBounds());

    juce::Image glowOnly (juce::Image::ARGB, 960, 50, true);
    {
        juce::Graphics g (glowOnly);
        drawInto (g, *picture (BinaryData::glow_bar_bottom_png, BinaryData::glow_bar_bottom_pngSize), { 0, 0, 960, 50 });
    }

    auto expected = glowOnly.createCopy();
    {
        juce::Graphics g (expected);
        drawInto (g, *picture (BinaryData::product_logo_png, BinaryData::product_logo_pngSize), logoInBottomBar);
    }

    const auto difference = compare (shown, expected);
    EXPECT_LE (difference.largest, 3) << "at " << difference.where.toString();
    EXPECT_TRUE (differInside (expected, glowOnly, logoInBottomBar.getIntersection ({ 0, 0, 960, 50 })));
}

TEST (EditorPictures, TheBarsLieOverTheBackgroundInTheWholeEditor)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    const auto whole = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);

    // The lettering and the logo are each part of what the editor shows, where the bars put them.
    auto* top = findChild<UpperGlowBarComponent> (*editor);
    auto* bottom = findChild<DownGLowBarComponent> (*editor);
    const auto topShown = top->createComponentSnapshot (top->getLocalBounds());
    const auto bottomShown = bottom->createComponentSnapshot (bottom->getLocalBounds());

    const auto cyanPixels = [] (const juce::Image& image, juce::Rectangle<int> area)
    {
        int count = 0;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
            {
                const auto c = image.getPixelAt (x, y);
                count += (c.getGreen() > 170 && c.getBlue() > 170 && c.getRed() < 120) ? 1 : 0;
            }

        return count;
    };

    EXPECT_GT (cyanPixels (whole, letteringInTopBar + top->getPosition()), 60);
    EXPECT_GT (cyanPixels (whole, logoInBottomBar.getIntersection (bottom->getLocalBounds()) + bottom->getPosition()), 300);
    EXPECT_GT (cyanPixels (topShown, letteringInTopBar), 60);
    EXPECT_GT (cyanPixels (bottomShown, logoInBottomBar.getIntersection (bottom->getLocalBounds())), 300);
}

struct PlateCase
{
    int editorWidth, editorHeight;
};

class SizeChangerPlatePicture : public ::testing::TestWithParam<PlateCase>
{
};

TEST_P (SizeChangerPlatePicture, WritesTheStepInTheActiveTextColourAtAThirdOfItsHeight)
{
    const auto& size = GetParam();
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    editor->setSize (size.editorWidth, size.editorHeight);
    auto* plate = findChild<WindowSizeChangerComponent> (*editor);
    const auto w = plate->getWidth();
    const auto h = plate->getHeight();

    const auto shown = plate->createComponentSnapshot (plate->getLocalBounds());
    juce::Image plain (juce::Image::ARGB, w, h, true);
    {
        juce::Graphics g (plain);
        drawInto (g, *picture (BinaryData::size_changer_plate_png, BinaryData::size_changer_plate_pngSize), { 0, 0, w, h });
    }

    // The text is whatever differs from the bare plate.
    juce::Rectangle<int> ink;
    int inkPixels = 0, closeToTextColour = 0;
    const juce::Colour textColour (0xff00e0ed);

    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const auto s = shown.getPixelAt (x, y);
            const auto p = plain.getPixelAt (x, y);

            if (s == p)
                continue;

            ++inkPixels;
            ink = ink.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : ink.getUnion ({ x, y, 1, 1 });

            // Text without red only ever takes red away from the plate under it.
            EXPECT_LE (s.getRed(), p.getRed() + 2) << "at " << x << "," << y << ": " << s.toDisplayString (true);

            if (std::abs (s.getGreen() - textColour.getGreen()) < 20 && std::abs (s.getBlue() - textColour.getBlue()) < 20 && s.getRed() < 30)
                ++closeToTextColour;
        }

    ASSERT_GT (inkPixels, 20);
    EXPECT_GT (closeToTextColour, 5) << "the text's solid parts are 0xff00e0ed";

    // Its ink is as tall as the digits of a font 0.3 of the plate's height.
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (juce::Font (static_cast<float> (0.3 * h)), "100%", 0.0f, 0.0f);
    juce::Path outlines;
    glyphs.createPath (outlines);
    const auto expectedInk = outlines.getBounds();

    EXPECT_NEAR (static_cast<float> (ink.getHeight()), expectedInk.getHeight(), 2.5f) << "ink " << ink.toString();
    EXPECT_NEAR (static_cast<float> (ink.getWidth()), expectedInk.getWidth(), 3.5f) << "ink " << ink.toString();
    EXPECT_NEAR (static_cast<float> (ink.getCentreY()), static_cast<float> (h) * 0.5f, 2.5f) << "centred";
    EXPECT_NEAR (static_cast<float> (ink.getCentreX()), static_cast<float> (w) * 0.5f, 2.5f) << "centred";
}

INSTANTIATE_TEST_SUITE_P (Steps, SizeChangerPlatePicture, ::testing::Values (PlateCase{ 1000, 480 }, PlateCase{ 1500, 720 }, PlateCase{ 800, 384 }), [] (const auto& testCase)
                          { return std::to_string (testCase.param.editorWidth) + "x" + std::to_string (testCase.param.editorHeight); });
struct BackgroundCase
{
    int width, height;
    float scale;
};

class EditorBackground : public ::testing::TestWithParam<BackgroundCase>
{
};

TEST_P (EditorBackground, IsThePictureStretchedAndVeiledExactlyAsIfDrawnAfresh)
{
    const auto& test = GetParam();
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);

    // Another size first, so the kept picture must really follow the size it is shown at.
    editor->setSize (640, 480);
    editor->createComponentSnapshot (editor->getLocalBounds(), true, test.scale);
    editor->setSize (test.width, test.height);

    const auto shown = editor->createComponentSnapshot (editor->getLocalBounds(), true, test.scale);
    const auto shownAgain = editor->createComponentSnapshot (editor->getLocalBounds(), true, test.scale);

    juce::Image expected (juce::Image::ARGB, shown.getWidth(), shown.getHeight(), true);
    {
        juce::Graphics g (expected);
        g.addTransform (juce::AffineTransform::scale (test.scale));
        picture (BinaryData::editor_background_png, BinaryData::editor_background_pngSize)
            ->drawWithin (g, juce::Rectangle<float> (0.0f, 0.0f, static_cast<float> (test.width), static_cast<float> (test.height)), juce::RectanglePlacement::stretchToFit, 1.0f);
        g.fillAll (juce::Colour (0x5e000000));
    }

    // Everywhere no child draws: the editor's own paint alone.
    juce::RectangleList<int> free (editor->getLocalBounds());

    for (auto* child : editor->getChildren())
    {
        if (! child->isVisible())
            continue;

        // The control row's holder draws nothing itself: only its controls cover the picture.
        if (auto* row = dynamic_cast<DelayRowWrapper*> (child))
        {
            for (auto* control : row->getRow().getChildren())
                free.subtract (editor->getLocalArea (control, control->getLocalBounds()));

            continue;
        }

        free.subtract (child->getBounds());
    }

    ASSERT_FALSE (free.isEmpty());
    int compared = 0;

    for (const auto& area : free)
    {
        const auto pixels = (area.toFloat() * test.scale).getSmallestIntegerContainer().reduced (1);

        if (pixels.isEmpty())
            continue;

        const auto difference = compare (shown.getClippedImage (pixels), expected.getClippedImage (pixels));
        EXPECT_LE (difference.largest, 1) << "in " << pixels.toString() << " at " << (difference.where + pixels.getPosition()).toString();
        compared += pixels.getWidth() * pixels.getHeight();
    }

    // The controls cover most of a flat editor: at 1300 x 300 about a fifth stays free.
    EXPECT_GT (compared, test.width * test.height / 6);
    EXPECT_EQ (compare (shown, shownAgain).largest, 0);
}

INSTANTIATE_TEST_SUITE_P (Sizes, EditorBackground, ::testing::Values (BackgroundCase{ 1000, 480, 1.0f }, BackgroundCase{ 1500, 720, 1.0f }, BackgroundCase{ 800, 384, 1.0f }, BackgroundCase{ 1300, 300, 1.0f }, BackgroundCase{ 1000, 480, 2.0f }, BackgroundCase{ 700, 500, 1.5f }, BackgroundCase{ 6000, 3000, 1.0f }), [] (const auto& testCase)
                          { return std::to_string (testCase.param.width) + "x" + std::to_string (testCase.param.height) + "at" + std::to_string (static_cast<int> (testCase.param.scale * 10.0f)); });
} // namespace
