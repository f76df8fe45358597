#include "editor/UpperKnobDataBar.h"
#include "support/EditorProbe.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
using echovane::testing::openEditor;

struct Picture
{
    std::string file;
    const char* data;
    int size;
    float width, height;
};

/** The picture table every tool reads: pixel sizes of the PNG pictures, view boxes of the SVG
    ones, each paired with its compiled-in data (null when the file is not compiled in). */
std::vector<Picture> listedPictures()
{
    std::vector<Picture> pictures;
    juce::StringArray lines;
    juce::File (ECHOVANE_PICTURE_SIZES_FILE).readLines (lines);

    for (const auto& line : lines)
    {
        auto fields = juce::StringArray::fromTokens (line.upToFirstOccurrenceOf ("#", false, false), false);
        fields.removeEmptyStrings(); // the columns are padded with runs of spaces

        if (fields.isEmpty())
            continue;

        int size = 0;
        const auto resourceName = fields[0].replaceCharacter ('.', '_');
        const auto* data = BinaryData::getNamedResource (resourceName.toRawUTF8(), size);
        pictures.push_back ({ fields[0].toStdString(), data, size, fields[1].getFloatValue(), fields[2].getFloatValue() });
    }

    return pictures;
}

const std::vector<Picture> pictures = listedPictures();

class CompiledInPicture : public ::testing::TestWithParam<Picture>
{
};

TEST_P (CompiledInPicture, DecodesToItsListedSize)
{
    const auto& picture = GetParam();
    ASSERT_NE (picture.data, nullptr) << "not compiled in";
    const auto drawable = juce::Drawable::createFromImageData (picture.data, static_cast<size_t> (picture.size));
    ASSERT_NE (drawable, nullptr);

    const auto isSvg = juce::String (picture.file).endsWith (".svg");
    ASSERT_GT (picture.width, 0.0f);
    ASSERT_GT (picture.height, 0.0f);

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

// Reading the table found nothing: the test above would then pass without a single case.
TEST (CompiledInResources, AreTheEighteenListedPicturesAndTheFont)
{
    EXPECT_EQ (BinaryData::namedResourceListSize, 19);
    ASSERT_EQ (pictures.size(), 18u);

    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const juce::String file (BinaryData::originalFilenames[i]);
        const auto listed = std::any_of (pictures.begin(), pictures.end(), [&file] (const auto& picture)
                                         { return file == picture.file.c_str(); });
        EXPECT_TRUE (listed || file == "Montserrat-SemiBold.ttf") << file;
    }

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
