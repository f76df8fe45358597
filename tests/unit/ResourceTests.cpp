#include "editor/UpperKnobDataBar.h"
#include "support/EditorProbe.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

namespace
{
using echovane::testing::openEditor;

struct Picture
{
    const char* file;
    const char* data;
    int size;
    float width, height;
};

// Pixel sizes of the PNG pictures, view boxes of the SVG ones.
const Picture pictures[] = {
    { "product_logo.png", BinaryData::product_logo_png, BinaryData::product_logo_pngSize, 212.0f, 85.0f },
    { "editor_background.png", BinaryData::editor_background_png, BinaryData::editor_background_pngSize, 1012.0f, 482.0f },
    { "glow_bar_bottom.png", BinaryData::glow_bar_bottom_png, BinaryData::glow_bar_bottom_pngSize, 996.0f, 70.0f },
    { "glow_bar_top.png", BinaryData::glow_bar_top_png, BinaryData::glow_bar_top_pngSize, 996.0f, 70.0f },
    { "maker_logo.png", BinaryData::maker_logo_png, BinaryData::maker_logo_pngSize, 600.0f, 606.0f },
    { "size_changer_plate.png", BinaryData::size_changer_plate_png, BinaryData::size_changer_plate_pngSize, 140.0f, 80.0f },
    { "button_frame.svg", BinaryData::button_frame_svg, BinaryData::button_frame_svgSize, 174.0f, 71.0f },
    { "small_knob_cap.svg", BinaryData::small_knob_cap_svg, BinaryData::small_knob_cap_svgSize, 110.0f, 110.0f },
    { "small_knob_ring.svg", BinaryData::small_knob_ring_svg, BinaryData::small_knob_ring_svgSize, 110.0f, 110.0f },
    { "small_knob_ring_green.svg", BinaryData::small_knob_ring_green_svg, BinaryData::small_knob_ring_green_svgSize, 110.0f, 110.0f },
    { "big_knob_cap.svg", BinaryData::big_knob_cap_svg, BinaryData::big_knob_cap_svgSize, 94.25659f, 94.25659f },
    { "big_knob_cap_green.svg", BinaryData::big_knob_cap_green_svg, BinaryData::big_knob_cap_green_svgSize, 94.25659f, 94.25659f },
    { "close_mark.svg", BinaryData::close_mark_svg, BinaryData::close_mark_svgSize, 16.84f, 15.76f },
    { "maker_lettering.svg", BinaryData::maker_lettering_svg, BinaryData::maker_lettering_svgSize, 217.14545f, 18.04744f },
    { "tempo_lever.svg", BinaryData::tempo_lever_svg, BinaryData::tempo_lever_svgSize, 48.0f, 48.0f },
    { "time_readout_backdrop.svg", BinaryData::time_readout_backdrop_svg, BinaryData::time_readout_backdrop_svgSize, 50.71268f, 27.48673f },
    { "big_knob_frame.svg", BinaryData::big_knob_frame_svg, BinaryData::big_knob_frame_svgSize, 320.16f, 285.36f },
    { "big_knob_frame_green.svg", BinaryData::big_knob_frame_green_svg, BinaryData::big_knob_frame_green_svgSize, 320.16f, 285.84f },
};

class CompiledInPicture : public ::testing::TestWithParam<Picture>
{
};

TEST_P (CompiledInPicture, DecodesToItsListedSize)
{
    const auto& picture = GetParam();
    const auto drawable = juce::Drawable::createFromImageData (picture.data, static_cast<size_t> (picture.size));
    ASSERT_NE (drawable, nullptr);

    const auto isSvg = juce::String (picture.file).endsWith (".svg");

    if (isSvg)
    {
        const auto* composite = dynamic_cast<juce::DrawableComposite*> (drawable.get());
        ASSERT_NE (composite, nullptr);
        const auto viewBox = composite->getContentArea();
        EXPECT_FLOAT_EQ (viewBox.getWidth(), picture.width);
        EXPECT_FLOAT_EQ (viewBox.getHeight(), picture.height);
        EXPECT_FALSE (composite->getDrawableBounds().isEmpty()) << "draws nothing";
    }
    else
    {
        const auto* image = dynamic_cast<juce::DrawableImage*> (drawable.get());
        ASSERT_NE (image, nullptr);
        EXPECT_EQ (image->getImage().getWidth(), static_cast<int> (picture.width));
        EXPECT_EQ (image->getImage().getHeight(), static_cast<int> (picture.height));
        // The editor reads a picture's proportions from the drawable's own size.
        EXPECT_EQ (drawable->getWidth(), static_cast<int> (picture.width));
        EXPECT_EQ (drawable->getHeight(), static_cast<int> (picture.height));
    }
}

INSTANTIATE_TEST_SUITE_P (Resources, CompiledInPicture, ::testing::ValuesIn (pictures), [] (const auto& testCase)
                          { return juce::String (testCase.param.file).replaceCharacter ('.', '_').toStdString(); });

TEST (CompiledInResources, AreTheEighteenPicturesAndTheFont)
{
    EXPECT_EQ (BinaryData::namedResourceListSize, 19);
    EXPECT_EQ (std::size (pictures), 18u);

    int dataSize = 0;
    EXPECT_NE (BinaryData::getNamedResource ("MontserratSemiBold_ttf", dataSize), nullptr);
    EXPECT_EQ (dataSize, BinaryData::MontserratSemiBold_ttfSize);
}

TEST (SharedFont, IsMontserratSemiBold)
{
    const auto& font = UpperKnobDataBar::getFont();
    const auto typeface = font.getTypefacePtr();
    ASSERT_NE (typeface, nullptr);

    EXPECT_EQ (typeface->getName(), "Montserrat");
    EXPECT_EQ (typeface->getStyle(), "SemiBold");
    EXPECT_EQ (font.getHeight(), juce::Font().getHeight());

    // The glyphs really come from the compiled-in file: a capital has an outline.
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    typeface->getGlyphPositions ("K", glyphs, offsets);
    ASSERT_EQ (glyphs.size(), 1);

    juce::Path outline;
    EXPECT_TRUE (typeface->getOutlineForGlyph (glyphs[0], outline));
    EXPECT_FALSE (outline.isEmpty());
}

/** A string of the font's own name table (platform 3, Windows, UTF-16 big-endian), or "". */
std::string nameTableString (const char* font, int size, int nameId)
{
    const auto* bytes = reinterpret_cast<const juce::uint8*> (font);
    const auto word = [bytes] (int at)
    { return static_cast<int> ((bytes[at] << 8) | bytes[at + 1]); };
    const auto longWord = [&word] (int at)
    { return (word (at) << 16) | word (at + 2); };

    for (int table = 0; table < word (4); ++table)
    {
        const auto record = 12 + 16 * table;

        if (std::string (font + record, 4) != "name")
            continue;

        const auto start = longWord (record + 8);
        const auto strings = start + word (start + 4);

        for (int i = 0; i < word (start + 2); ++i)
        {
            const auto entry = start + 6 + 12 * i;

            if (word (entry) != 3 || word (entry + 6) != nameId)
                continue;

            std::string text;
            const auto offset = strings + word (entry + 10);

            for (int at = offset; at + 1 < offset + word (entry + 8) && at + 1 < size; at += 2)
                text += static_cast<char> (word (at));

            return text;
        }
    }

    return {};
}

TEST (SharedFont, IsMontserratSemiBoldVersion7200)
{
    // The captions' placement depends on this very file's metrics: the release of Montserrat
    // SemiBold 7.200 (npm @expo-google-fonts/montserrat 0.2.0), not a later one.
    EXPECT_EQ (BinaryData::MontserratSemiBold_ttfSize, 243816);
    EXPECT_EQ (nameTableString (BinaryData::MontserratSemiBold_ttf, BinaryData::MontserratSemiBold_ttfSize, 5), "Version 7.200");
    EXPECT_EQ (nameTableString (BinaryData::MontserratSemiBold_ttf, BinaryData::MontserratSemiBold_ttfSize, 4), "Montserrat SemiBold");
    EXPECT_EQ (nameTableString (BinaryData::MontserratSemiBold_ttf, BinaryData::MontserratSemiBold_ttfSize, 17), "SemiBold");
}

TEST (SharedFont, IsMadeOnceAcrossEditors)
{
    OvelanAudioProcessor processor;
    const juce::Font* first = nullptr;
    const juce::Typeface* firstTypeface = nullptr;

    {
        auto editor = openEditor (processor);
        first = &UpperKnobDataBar::getFont();
        firstTypeface = first->getTypefacePtr().get();
    }

    // Closing the editor leaves it; the next editor gets the very same font and typeface.
    auto editor = openEditor (processor);
    EXPECT_EQ (&UpperKnobDataBar::getFont(), first);
    EXPECT_EQ (UpperKnobDataBar::getFont().getTypefacePtr().get(), firstTypeface);
    EXPECT_EQ (firstTypeface->getName(), "Montserrat");
}

TEST (SharedFont, ACallersCopyChangesOnlyItself)
{
    const auto sharedHeight = UpperKnobDataBar::getFont().getHeight();

    auto notice = UpperKnobDataBar::getFont();
    notice.setHeight (12.0f);
    auto row = UpperKnobDataBar::getFont();
    row.setHeight (31.5f);

    EXPECT_EQ (notice.getHeight(), 12.0f);
    EXPECT_EQ (row.getHeight(), 31.5f);
    EXPECT_EQ (UpperKnobDataBar::getFont().getHeight(), sharedHeight);
    EXPECT_EQ (notice.getTypefacePtr(), UpperKnobDataBar::getFont().getTypefacePtr());
}
} // namespace
