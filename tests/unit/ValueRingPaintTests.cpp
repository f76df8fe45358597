#include "editor/KnobWrapper.h"
#include "editor/UpperKnob.h"
#include "engine/PluginProcessor.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr float pi = 3.1415927f;
constexpr int side = 200;

float radians (float degrees)
{
    return degrees / 180.0f * pi;
}

/** The ring's glowing cyan, drawn over its own dark underlay. */
bool isBand (juce::Colour c)
{
    return c.getAlpha() > 200 && c.getRed() < 40 && c.getGreen() > 140 && c.getBlue() > 140;
}

struct RingShape
{
    const char* name;
    bool small;
    bool showArc;
    float startDegrees, sweepDegrees;
};

const RingShape smallShape{ "FEED", true, true, 210.5f, 312.5f };
const RingShape balanceShape{ "BALANCE", true, true, 218.0f, 297.0f };
const RingShape bigShape{ "MIX", false, true, 180.0f, 360.0f };

/** One knob of `side` pixels at a value, and the picture of its ring alone. */
class Ring
{
public:
    Ring (const RingShape& shape, float value, int width = side, int height = side)
        : cap (juce::Drawable::createFromImageData (BinaryData::small_knob_cap_svg, BinaryData::small_knob_cap_svgSize))
    {
        auto* parameter = processor.floatParameters->at (ParameterIndex::feedback);
        parameter->setValueNotifyingHost (value);
        knob = std::make_unique<KnobWrapper> (shape.name, 0.0f, 100.0f, shape.small ? 0.795f : 1.7f, cap.get(), shape.showArc, shape.small, shape.small ? 0.77f : 0.9f, shape.startDegrees, shape.sweepDegrees, 0.0f, parameter);
        knob->setBounds (0, 0, width, height);

        // Exactly the value asked for, not the parameter's 0.01 step.
        knob->getUpperKnob().setAngle (value * knob->getUpperKnob().getSweep());

        const auto s = static_cast<float> (juce::jmin (width, height));
        thickness = 40.0f / ((shape.small ? 0.77f : 0.9f) * 665.0f) * s;
        outer = s / ((shape.small ? 0.795f : 1.7f) * 2.67f);

        if (width > 0 && height > 0)
            image = knob->getUpperKnob().createComponentSnapshot (knob->getUpperKnob().getLocalBounds());
    }

    /** The point at `angle` (clockwise from 12 o'clock) on the band's middle circle, or at
        `radius` if given. */
    juce::Point<int> at (float angle, float radius = -1.0f) const
    {
        const auto r = radius < 0.0f ? outer - thickness / 2.0f : radius;
        const auto centre = juce::Point<float> (static_cast<float> (image.getWidth()), static_cast<float> (image.getHeight())) * 0.5f;
        return juce::Point<float> (centre.x + r * std::sin (angle), centre.y - r * std::cos (angle)).roundToInt();
    }

    bool bandNear (juce::Point<int> p, int reach) const
    {
        for (int y = p.y - reach; y <= p.y + reach; ++y)
            for (int x = p.x - reach; x <= p.x + reach; ++x)
                if (image.getBounds().contains (x, y) && isBand (image.getPixelAt (x, y)))
                    return true;

        return false;
    }

    bool bandAt (float angle) const { return bandNear (at (angle), 1); }
    bool clearAt (float angle) const { return ! bandNear (at (angle), 3); }

    int bandPixels() const
    {
        int count = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                count += isBand (image.getPixelAt (x, y)) ? 1 : 0;

        return count;
    }

    bool isBlank() const
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() != 0)
                    return false;

        return true;
    }

    OvelanAudioProcessor processor;
    std::unique_ptr<juce::Drawable> cap;
    std::unique_ptr<KnobWrapper> knob;
    juce::Image image;
    float thickness = 0.0f, outer = 0.0f;
};

// The small knob's ring starts at 210 degrees and sweeps 312.
const float smallStart = radians (210.0f);
const float smallSweep = radians (312.0f);

class SmallRing : public ::testing::TestWithParam<float>
{
};

TEST_P (SmallRing, ShowsTheBandFromTheStartUpToTheValueAndNowhereElse)
{
    const auto value = GetParam();
    const Ring ring (smallShape, value);
    const auto a = value * smallSweep;

    // Lit from just after the start up to the band's end, 0.2 rad short of the value where its
    // rounded end begins.
    for (auto t = 0.08f; t < a - 0.25f; t += 0.1f)
        EXPECT_TRUE (ring.bandAt (smallStart + t)) << "dark at " << t << " rad";

    // Dark beyond the value, and always in the gap at the bottom.
    for (auto t = a + 0.1f; t < smallSweep + 0.5f; t += 0.1f)
        EXPECT_TRUE (ring.clearAt (smallStart + t)) << "lit at " << t << " rad";

    EXPECT_TRUE (ring.clearAt (radians (186.0f))) << "the gap between the ends";

    // Nothing inside the ring or outside it.
    for (const auto angle : { 0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f })
    {
        EXPECT_TRUE (! ring.bandNear (ring.at (angle, ring.outer - ring.thickness - 6.0f), 2));
        EXPECT_TRUE (! ring.bandNear (ring.at (angle, ring.outer + 5.0f), 2));
    }
}

TEST_P (SmallRing, GlowsBrightestAlongItsMiddleOverADarkUnderlay)
{
    const auto value = GetParam();
    const Ring ring (smallShape, value);
    const auto angle = smallStart + 0.5f * (value * smallSweep - 0.2f);

    const auto middle = ring.image.getPixelAt (ring.at (angle).x, ring.at (angle).y);
    const auto nearEdge = ring.at (angle, ring.outer - 1.5f);
    const auto edge = ring.image.getPixelAt (nearEdge.x, nearEdge.y);

    // Opaque cyan 0x00f6fe in the middle; 70 % of it over black towards the edges.
    EXPECT_EQ (middle.getAlpha(), 255);
    EXPECT_GT (middle.getGreen(), 0xe0);
    EXPECT_GT (middle.getBlue(), 0xe8);
    EXPECT_EQ (edge.getAlpha(), 255);
    EXPECT_LT (edge.getGreen(), 0xd8);
    EXPECT_GT (edge.getGreen(), 0x90);
}

INSTANTIATE_TEST_SUITE_P (Values, SmallRing, ::testing::Values (0.1f, 0.2f, 0.5f, 1.0f), [] (const auto& testCase)
                          { return "value" + std::to_string (static_cast<int> (testCase.param * 100.0f)); });

TEST (SmallRingNearZero, IsNothingAtZeroThenADotThatGrows)
{
    EXPECT_TRUE (Ring (smallShape, 0.0f).isBlank());

    // Up to 0.2 rad only the dot: a disc at the start edge whose size grows with the value.
    int previous = 0;

    for (const auto angle : { 0.05f, 0.1f, 0.15f, 0.2f })
    {
        SCOPED_TRACE (angle);
        const Ring ring (smallShape, angle / smallSweep);
        const auto pixels = ring.bandPixels();
        EXPECT_GT (pixels, previous);
        previous = pixels;

        const auto startMiddle = ring.at (smallStart);

        for (int y = 0; y < ring.image.getHeight(); ++y)
            for (int x = 0; x < ring.image.getWidth(); ++x)
            {
                if (ring.image.getPixelAt (x, y).getAlpha() != 0)
                {
                    ASSERT_LE (startMiddle.getDistanceFrom ({ x, y }), ring.thickness) << x << "," << y;
                }
            }
    }

    // At 0.2 rad the dot is a disc as wide as the band.
    const Ring full (smallShape, 0.2f / smallSweep);
    EXPECT_NEAR (static_cast<float> (full.bandPixels()), pi * full.thickness * full.thickness / 4.0f, full.thickness * 3.0f);

    // Just past it the band appears, with both rounded ends.
    const Ring band (smallShape, 0.5f / smallSweep);
    EXPECT_TRUE (band.bandAt (smallStart + 0.15f));
    EXPECT_TRUE (band.clearAt (smallStart + 0.6f));
}

struct BalanceCase
{
    float value;
    int side; // -1 lit to the left of the top, +1 to the right, 0 dark
};

class BalanceRing : public ::testing::TestWithParam<BalanceCase>
{
};

TEST_P (BalanceRing, GrowsFromTheTopCentreTowardsTheValue)
{
    const auto& test = GetParam();
    const Ring ring (balanceShape, test.value);

    const auto sweep = radians (297.0f);
    const auto top = radians (218.0f) + 0.48f * sweep;
    const auto offset = (test.value - 0.5f) * sweep;

    if (test.side == 0)
    {
        EXPECT_TRUE (ring.isBlank());
        return;
    }

    const auto direction = static_cast<float> (test.side);

    for (auto t = 0.1f; t < std::abs (offset) - 0.1f; t += 0.1f)
        EXPECT_TRUE (ring.bandAt (top + direction * t)) << "dark at " << t;

    // Not on the other side of the top, and not past the value.
    for (auto t = 0.12f; t < 2.5f; t += 0.1f)
        EXPECT_TRUE (ring.clearAt (top - direction * t)) << "lit on the far side at " << t;

    for (auto t = std::abs (offset) + 0.3f; t < sweep / 2.0f; t += 0.1f)
        EXPECT_TRUE (ring.clearAt (top + direction * t)) << "lit past the value at " << t;
}

// Dark from 1/2.1 to 1/1.9 about the middle.
INSTANTIATE_TEST_SUITE_P (Values, BalanceRing, ::testing::Values (BalanceCase{ 0.3f, -1 }, BalanceCase{ 0.5f, 0 }, BalanceCase{ 0.7f, 1 }, BalanceCase{ 0.0f, -1 }, BalanceCase{ 1.0f, 1 }, BalanceCase{ 0.48f, 0 }, BalanceCase{ 0.52f, 0 }), [] (const auto& testCase)
                          { return "value" + std::to_string (static_cast<int> (testCase.param.value * 100.0f)); });

TEST (BalanceRingName, OnlyTheExactNameDrawsTheCentredBand)
{
    // At 0.5 the BALANCE ring is dark; any other name draws the ordinary band half way round.
    EXPECT_TRUE (Ring (balanceShape, 0.5f).isBlank());

    for (const auto* name : { "Balance", "BALANCE ", "BAL" })
    {
        SCOPED_TRACE (name);
        const Ring ring ({ name, true, true, 218.0f, 297.0f }, 0.5f);
        EXPECT_FALSE (ring.isBlank());
        EXPECT_TRUE (ring.bandAt (radians (218.0f) + 0.3f));
    }

    // BALANCE draws its band even when told to draw no arc.
    const Ring hidden ({ "BALANCE", true, false, 218.0f, 297.0f }, 0.8f);
    EXPECT_FALSE (hidden.isBlank());
}

TEST (BigRing, IsAPlainBandFromTheBottomRoundToTheValue)
{
    const Ring half (bigShape, 0.5f);
    EXPECT_TRUE (half.bandAt (radians (200.0f)));
    EXPECT_TRUE (half.bandAt (radians (270.0f)));
    EXPECT_TRUE (half.bandAt (radians (350.0f)));
    EXPECT_TRUE (half.clearAt (radians (30.0f)));
    EXPECT_TRUE (half.clearAt (radians (90.0f)));
    EXPECT_TRUE (half.clearAt (radians (160.0f)));

    const Ring full (bigShape, 1.0f);

    for (auto angle = 0.1f; angle < 6.2f; angle += 0.3f)
        EXPECT_TRUE (full.bandAt (angle)) << angle;

    EXPECT_TRUE (Ring (bigShape, 0.0f).isBlank());
    EXPECT_TRUE (Ring ({ "TIME", false, false, 180.0f, 360.0f }, 0.7f).isBlank()) << "no arc asked for";
}

TEST (RingAtOddSizes, DrawsNothingOutsideTheKnobAndNothingAtZeroSize)
{
    struct Case
    {
        int width, height;
    };

    const Case cases[] = { { 0, 0 }, { 0, 50 }, { 50, 0 }, { 1, 1 }, { 2, 1 }, { 1, 40 }, { 300, 40 } };

    for (const auto& test : cases)
    {
        for (const auto& shape : { smallShape, balanceShape, bigShape })
        {
            for (const auto value : { 0.0f, 0.03f, 0.3f, 1.0f })
            {
                SCOPED_TRACE (std::to_string (test.width) + "x" + std::to_string (test.height) + " " + shape.name + " " + std::to_string (value));
                const Ring ring (shape, value, test.width, test.height);

                // Painted straight into a larger picture, without the clip a parent would give.
                juce::Image canvas (juce::Image::ARGB, 320, 320, true);
                {
                    juce::Graphics g (canvas);
                    g.setOrigin ({ 10, 10 });
                    ring.knob->getUpperKnob().paint (g);
                }

                const auto knobArea = juce::Rectangle<int> (10, 10, test.width, test.height);

                for (int y = 0; y < canvas.getHeight(); ++y)
                    for (int x = 0; x < canvas.getWidth(); ++x)
                    {
                        if (! knobArea.contains (x, y))
                        {
                            ASSERT_EQ (canvas.getPixelAt (x, y).getAlpha(), 0) << "drawn at " << x << "," << y;
                        }
                    }
            }
        }
    }
}
} // namespace
