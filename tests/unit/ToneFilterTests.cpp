#include "EngineFixture.h"

#include "engine/BiquadLimiterDsp.h"
#include "engine/LimiterDsp.h"

#include <juce_dsp/juce_dsp.h>

#include <random>

namespace
{
using echovane::testing::sineGain;

/** Eases a filter onto a target until nothing moves any more. */
void settleOn (BiquadLimiter& filter, const BiquadLimiter::CoefficientSet& target)
{
    for (int i = 0; i < 200; ++i)
        filter.updateCoefficients (target, 0.3f);
}

struct DesignCase
{
    double sampleRate;
    float frequency;
};

class DesignMatchesJuce : public ::testing::TestWithParam<DesignCase>
{
};

TEST_P (DesignMatchesJuce, LowAndHighPassToTheBit)
{
    const auto [rate, frequency] = GetParam();
    const auto low = juce::dsp::IIR::Coefficients<float>::makeLowPass (rate, frequency, 0.5f);
    const auto high = juce::dsp::IIR::Coefficients<float>::makeHighPass (rate, frequency, 0.5f);

    const auto check = [] (const BiquadLimiter::CoefficientSet& ours, const juce::dsp::IIR::Coefficients<float>& juces)
    {
        // JUCE holds b0, b1, b2, a1, a2, already divided by a0.
        const auto* c = juces.coefficients.begin();
        EXPECT_EQ (ours[0], 1.0f);
        EXPECT_EQ (ours[1], c[3]);
        EXPECT_EQ (ours[2], c[4]);
        EXPECT_EQ (ours[3], c[0]);
        EXPECT_EQ (ours[4], c[1]);
        EXPECT_EQ (ours[5], c[2]);
    };

    check (BiquadLimiter::designLowPass (rate, frequency), *low);
    check (BiquadLimiter::designHighPass (rate, frequency), *high);
}

INSTANTIATE_TEST_SUITE_P (CutOffs,
                          DesignMatchesJuce,
                          ::testing::Values (DesignCase{ 44100.0, 20200.0f },
                                             DesignCase{ 44100.0, 400.0f },
                                             DesignCase{ 48000.0, 20200.0f },
                                             DesignCase{ 48000.0, 20.0f },
                                             DesignCase{ 96000.0, 2520.0f },
                                             DesignCase{ 192000.0, 11111.1f },
                                             DesignCase{ 8000.0, 1234.5f },
                                             DesignCase{ 44100.5, 987.65f }));

struct ResponseCase
{
    const char* name;
    double sampleRate;
    bool lowPass;
    float cutOff;
};

class FilterResponse : public ::testing::TestWithParam<ResponseCase>
{
};

// Q 0.5 gives two coincident poles: the bilinear image of 1 / (1 + s)^2 (or s^2 / (1 + s)^2),
// warped so that the cut-off lands where asked, where the pair is 6 dB down.
TEST_P (FilterResponse, SixDbDownAtTheCutOffAndTheBilinearSecondOrderShapeAround)
{
    const auto& c = GetParam();
    const auto target = c.lowPass ? BiquadLimiter::designLowPass (c.sampleRate, c.cutOff) : BiquadLimiter::designHighPass (c.sampleRate, c.cutOff);

    const auto gainAt = [&] (double frequency)
    {
        BiquadLimiter filter ({ 1, 0, 0, 1, 0, 0 }, 2);
        settleOn (filter, target);
        filter.updateCoefficients (target, 0.3f); // previous == current: a steady filter

        const auto length = static_cast<int> (std::max (c.sampleRate, 40.0 * c.sampleRate / frequency));
        return sineGain (frequency, c.sampleRate, length, [&] (juce::AudioBuffer<float>& audio)
                         { filter.processChannel (audio.getWritePointer (0), audio.getNumSamples(), 0); });
    };

    EXPECT_NEAR (juce::Decibels::gainToDecibels (gainAt (c.cutOff)), -6.02, 0.05) << c.name;

    for (const auto ratio : { 0.25, 0.5, 2.0, 4.0 })
    {
        const auto frequency = c.cutOff * ratio;

        if (frequency > 0.45 * c.sampleRate || frequency < 5.0)
            continue;

        const auto warped = std::tan (juce::MathConstants<double>::pi * frequency / c.sampleRate) / std::tan (juce::MathConstants<double>::pi * c.cutOff / c.sampleRate);
        const auto r = c.lowPass ? warped : 1.0 / warped;
        // Single-precision coefficients shift a 20 Hz corner at 44.1 kHz by about a tenth of a dB.
        EXPECT_NEAR (juce::Decibels::gainToDecibels (gainAt (frequency)), -20.0 * std::log10 (1.0 + r * r), 0.15) << c.name << " at " << frequency;
    }
}

INSTANTIATE_TEST_SUITE_P (DarkAndBright,
                          FilterResponse,
                          ::testing::Values (ResponseCase{ "Dark 0", 44100.0, true, 20200.0f },
                                             ResponseCase{ "Dark 1", 44100.0, true, 400.0f },
                                             ResponseCase{ "Dark 1 at 96k", 96000.0, true, 400.0f },
                                             ResponseCase{ "Bright 0", 44100.0, false, 20.0f },
                                             ResponseCase{ "Bright 1", 44100.0, false, 2520.0f },
                                             ResponseCase{ "Bright 1 at 48k", 48000.0, false, 2520.0f }),
                          [] (const auto& testInfo)
                          {
                              auto name = std::string (testInfo.param.name);
                              std::replace_if (
                                  name.begin(), name.end(), [] (char ch)
                                  { return ! std::isalnum (static_cast<unsigned char> (ch)); },
                                  '_');
                              return name;
                          });

TEST (ToneFilter, DarkZeroStaysStableWhereTheCutOffWouldPassNyquist)
{
    for (const auto rate : { 8000.0, 22050.0, 32000.0, 40000.0 })
    {
        const auto c = BiquadLimiter::designLowPass (rate, 20200.0f);

        // Poles of 1 + a1 z^-1 + a2 z^-2 inside the unit circle (the stability triangle).
        EXPECT_LT (std::abs (c[2]), 1.0f) << rate;
        EXPECT_LT (std::abs (c[1]), 1.0f + c[2]) << rate;

        BiquadLimiter filter ({ 1, 0, 0, 1, 0, 0 }, 2);
        settleOn (filter, c);
        std::vector<float> noise (static_cast<size_t> (rate));
        std::mt19937 random (1);
        std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);

        for (auto& x : noise)
            x = uniform (random);

        filter.processChannel (noise.data(), static_cast<int> (noise.size()), 0);

        for (auto x : noise)
            ASSERT_LT (std::abs (x), 4.0f) << rate;
    }
}

TEST (ToneFilter, EasingClosesTheDistanceByOneMinusTheFactorPerBlock)
{
    const auto target = BiquadLimiter::designLowPass (44100.0, 400.0f);
    BiquadLimiter filter ({ 1, 0, 0, 1, 0, 0 }, 2);
    const BiquadLimiter::CoefficientSet start{ 1, 0, 0, 1, 0, 0 };

    const auto factor = DelayProcess::easingFactor (44100.0);
    EXPECT_FLOAT_EQ (factor, 0.3f);

    const double expectedClosure[] = { 0.7, 0.91, 0.973 };

    for (const auto closure : expectedClosure)
    {
        filter.updateCoefficients (target, factor);

        for (size_t k = 1; k < 6; ++k)
            EXPECT_NEAR ((filter.coefficients[k] - start[k]) / (target[k] - start[k]), closure, 1e-5) << k;
    }
}

TEST (ToneFilter, EasingFactorFollowsTheRateAndStaysBelowOne)
{
    struct Case
    {
        double rate;
        float factor;
    };

    for (const auto& c : { Case{ 44100.0, 0.3f }, Case{ 48000.0, 0.3265306f }, Case{ 96000.0, 0.6530612f }, Case{ 132300.0, 0.9f }, Case{ 176400.0, 0.9f }, Case{ 192000.0, 0.9f }, Case{ 22050.0, 0.15f } })
        EXPECT_NEAR (DelayProcess::easingFactor (c.rate), c.factor, 1e-6) << c.rate;
}

/** The interpolation as written out: previous set plus one step per sample, in double, with the
    division by a0, one channel at a time. */
void referenceFilter (const BiquadLimiter& filter, std::vector<float> state, float* samples, int n)
{
    double step[6], run[6];

    for (size_t k = 0; k < 6; ++k)
    {
        step[k] = static_cast<double> ((filter.coefficients[k] - filter.previousCoefficients[k]) / static_cast<float> (n));
        run[k] = filter.previousCoefficients[k];
    }

    for (int i = 0; i < n; ++i)
    {
        for (size_t k = 0; k < 6; ++k)
            run[k] += step[k];

        const double x = samples[i];
        const double y = (run[3] * x + run[4] * state[0] + run[5] * state[1] - run[1] * state[2] - run[2] * state[3]) / run[0];
        state[1] = state[0];
        state[0] = static_cast<float> (x);
        state[3] = state[2];
        state[2] = static_cast<float> (y);
        samples[i] = static_cast<float> (y);
    }
}

TEST (ToneFilter, PerSampleInterpolationAndTheStereoCascadeMatchTheWrittenOutLoop)
{
    std::mt19937 random (7);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::uniform_real_distribution<float> dark (0.0f, 1.0f);

    for (const auto n : { 1, 2, 7, 64, 511 })
    {
        BiquadLimiter low ({ 1, 0, 0, 1, 0, 0 }, 2), high ({ 1, 0, 0, 1, 0, 0 }, 2);
        BiquadLimiter lowAlone ({ 1, 0, 0, 1, 0, 0 }, 2), highAlone ({ 1, 0, 0, 1, 0, 0 }, 2);

        for (int block = 0; block < 4; ++block)
        {
            const auto lowTarget = BiquadLimiter::designLowPass (48000.0, (1.0f - dark (random)) * 19800.0f + 400.0f);
            const auto highTarget = BiquadLimiter::designHighPass (48000.0, dark (random) * 2500.0f + 20.0f);

            for (auto* f : { &low, &lowAlone })
                f->updateCoefficients (lowTarget, 0.3265306f);

            for (auto* f : { &high, &highAlone })
                f->updateCoefficients (highTarget, 0.3265306f);

            std::vector<float> left (static_cast<size_t> (n)), right (static_cast<size_t> (n));

            for (size_t i = 0; i < left.size(); ++i)
            {
                left[i] = uniform (random);
                right[i] = uniform (random);
            }

            auto expectedLeft = left, expectedRight = right;
            referenceFilter (lowAlone, { lowAlone.filterState.begin(), lowAlone.filterState.begin() + 4 }, expectedLeft.data(), n);
            referenceFilter (lowAlone, { lowAlone.filterState.begin() + 4, lowAlone.filterState.end() }, expectedRight.data(), n);
            referenceFilter (highAlone, { highAlone.filterState.begin(), highAlone.filterState.begin() + 4 }, expectedLeft.data(), n);
            referenceFilter (highAlone, { highAlone.filterState.begin() + 4, highAlone.filterState.end() }, expectedRight.data(), n);

            auto aloneLeft = left, aloneRight = right;
            lowAlone.processChannel (aloneLeft.data(), n, 0);
            lowAlone.processChannel (aloneRight.data(), n, 1);
            highAlone.processChannel (aloneLeft.data(), n, 0);
            highAlone.processChannel (aloneRight.data(), n, 1);

            BiquadLimiter::processStereoCascade (low, high, left.data(), right.data(), n);

            for (size_t i = 0; i < left.size(); ++i)
            {
                ASSERT_EQ (aloneLeft[i], expectedLeft[i]) << n << " " << i;
                ASSERT_EQ (aloneRight[i], expectedRight[i]) << n << " " << i;
                ASSERT_EQ (left[i], expectedLeft[i]) << n << " " << i;
                ASSERT_EQ (right[i], expectedRight[i]) << n << " " << i;
            }

            EXPECT_EQ (low.filterState, lowAlone.filterState);
            EXPECT_EQ (high.filterState, highAlone.filterState);
        }
    }
}

TEST (ToneFilter, AChannelBeyondTheFilterIsLeftAlone)
{
    BiquadLimiter filter ({ 1, 0, 0, 0.5f, 0, 0 }, 2);
    float samples[] = { 1.0f, 1.0f };
    filter.processChannel (samples, 2, 2);
    EXPECT_EQ (samples[0], 1.0f);
    filter.processChannel (samples, 2, 1);
    EXPECT_EQ (samples[1], 0.5f);
}

TEST (Limiter, SettledReductionFollowsTheStaticCurve)
{
    BiquadLimiter filter ({ 1, 0, 0, 1, 0, 0 }, 2);
    auto& a = filter.limiterA;
    EXPECT_EQ (a.thresholdDb, 3.0f);
    EXPECT_EQ (a.kneeDb, 6.0f);
    EXPECT_EQ (filter.limiterB.kneeDb, 3.0f);
    EXPECT_EQ (filter.limiterB.attackSeconds, 0.0f);

    // 10 dB above the threshold, well past the knee: the output sits at the threshold.
    const auto detector = juce::Decibels::decibelsToGain (13.0f);
    float out = 0.0f;

    for (int i = 0; i < 48000; ++i)
        out = a.DoProcessOneSample (1.0f, 48000.0, 1, detector);

    EXPECT_NEAR (juce::Decibels::gainToDecibels (out), -10.0f, 1e-3f);
    EXPECT_EQ (a.gainState[0], 0.0f); // the other channel is untouched

    // Back below the knee, the release brings the gain back to 0 dB.
    const auto quiet = juce::Decibels::decibelsToGain (-10.0f);

    for (int i = 0; i < 48000 * 4; ++i)
        out = a.DoProcessOneSample (1.0f, 48000.0, 1, quiet);

    EXPECT_NEAR (out, 1.0f, 1e-5f);
}

TEST (Limiter, WithoutAttackTheReductionIsImmediateAndSilenceIsNoReduction)
{
    LimiterDsp limiter (3.0f, 3.0f, 0.0f, 0.2f, 2, false);

    // Inside the knee the curve gives level - (level - T + W/2)^2 / 2W: at 4 dB, 2.5^2 / 6 of reduction.
    const auto out = limiter.DoProcessOneSample (1.0f, 44100.0, 0, juce::Decibels::decibelsToGain (4.0f));
    EXPECT_NEAR (juce::Decibels::gainToDecibels (out), -2.5f * 2.5f / 6.0f, 1e-4f);

    LimiterDsp fresh (3.0f, 3.0f, 0.0f, 0.2f, 2, true);
    EXPECT_EQ (fresh.DoProcessOneSample (0.5f, 44100.0, 1, 0.0f), 0.5f);
    EXPECT_EQ (fresh.gainState[0], 0.0f);
}
} // namespace
