#include "BiquadLimiterDsp.h"

#include "Sse2.h"

#include <juce_core/juce_core.h>

#include <cmath>

namespace
{
constexpr int stateSize = 4; // x1, x2, y1, y2 per channel

/** One filter's coefficient run across a block: starts at the previous set and takes one step
    per sample, accumulated exactly as processChannel does. */
struct CoefficientRun
{
    CoefficientRun (const BiquadLimiter& filter, int numSamples) noexcept
    {
        const auto length = static_cast<float> (numSamples);
        moving = false;

        for (size_t k = 0; k < 6; ++k)
        {
            step[k] = static_cast<double> ((filter.coefficients[k] - filter.previousCoefficients[k]) / length);
            moving = moving || step[k] != 0.0;

            // Adding a zero step only ever turns a -0 into +0, so a still set needs it once.
            run[k] = static_cast<double> (filter.previousCoefficients[k]) + 0.0;
        }
    }

    void advance() noexcept
    {
        for (size_t k = 0; k < 6; ++k)
            run[k] += step[k];
    }

    double step[6];
    double run[6];
    bool moving;
};

/** A channel's x1, x2, y1, y2. They are floats; holding them widened to double is exact and
    saves converting each of them again on every sample. */
struct ChannelState
{
    explicit ChannelState (const float* state) noexcept
        : x1 (state[0])
        , x2 (state[1])
        , y1 (state[2])
        , y2 (state[3])
    {
    }

    void store (float* state) const noexcept
    {
        state[0] = static_cast<float> (x1);
        state[1] = static_cast<float> (x2);
        state[2] = static_cast<float> (y1);
        state[3] = static_cast<float> (y2);
    }

    // With a0 exactly 1 all block long the division by it is an identity and is skipped.
    // Takes and returns the sample as a float widened to double.
    template<bool divideByA0>
    double tick (const double* c, double x) noexcept
    {
        auto y = c[3] * x + c[4] * x1 + c[5] * x2 - c[1] * y1 - c[2] * y2;

        if constexpr (divideByA0)
            y = y / c[0];

        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = static_cast<double> (static_cast<float> (y));
        return y1;
    }

    double x1, x2, y1, y2;
};

bool keepsUnitA0 (const BiquadLimiter& filter) noexcept
{
    return filter.coefficients[0] == 1.0f && filter.previousCoefficients[0] == 1.0f;
}

template<bool divideFirst, bool divideSecond, bool moving>
void runCascadeLoop (CoefficientRun& firstRun, CoefficientRun& secondRun, ChannelState* states, float* channel0, float* channel1, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
    {
        if constexpr (moving)
        {
            firstRun.advance();
            secondRun.advance();
        }

        const auto low0 = states[0].tick<divideFirst> (firstRun.run, static_cast<double> (channel0[i]));
        const auto low1 = states[1].tick<divideFirst> (firstRun.run, static_cast<double> (channel1[i]));
        channel0[i] = static_cast<float> (states[2].tick<divideSecond> (secondRun.run, low0));
        channel1[i] = static_cast<float> (states[3].tick<divideSecond> (secondRun.run, low1));
    }
}

#if ECHOVANE_SSE2

/** The two channels of one filter side by side, one in each half of a register. They share the
    coefficients, and each half goes through the same double-precision operations in the same
    order as ChannelState::tick, so the samples are the same to the bit. */
struct StereoState
{
    StereoState (const float* left, const float* right) noexcept
        : x1 (_mm_set_pd (right[0], left[0]))
        , x2 (_mm_set_pd (right[1], left[1]))
        , y1 (_mm_set_pd (right[2], left[2]))
        , y2 (_mm_set_pd (right[3], left[3]))
    {
    }

    void store (float* left, float* right) const noexcept
    {
        const __m128d values[] = { x1, x2, y1, y2 };

        for (size_t k = 0; k < 4; ++k)
        {
            left[k] = static_cast<float> (_mm_cvtsd_f64 (values[k]));
            right[k] = static_cast<float> (_mm_cvtsd_f64 (_mm_unpackhi_pd (values[k], values[k])));
        }
    }

    template<bool divideByA0>
    __m128d tick (const __m128d* c, __m128d x) noexcept
    {
        auto y = _mm_sub_pd (_mm_sub_pd (_mm_add_pd (_mm_add_pd (_mm_mul_pd (c[3], x), _mm_mul_pd (c[4], x1)), _mm_mul_pd (c[5], x2)),
                                         _mm_mul_pd (c[1], y1)),
                             _mm_mul_pd (c[2], y2));

        if constexpr (divideByA0)
            y = _mm_div_pd (y, c[0]);

        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = _mm_cvtps_pd (_mm_cvtpd_ps (y));
        return y1;
    }

    __m128d x1, x2, y1, y2;
};

/** A CoefficientRun with each coefficient in both halves of a register. */
struct StereoRun
{
    explicit StereoRun (const CoefficientRun& run) noexcept
    {
        for (size_t k = 0; k < 6; ++k)
        {
            step[k] = _mm_set1_pd (run.step[k]);
            value[k] = _mm_set1_pd (run.run[k]);
        }
    }

    void advance() noexcept
    {
        for (size_t k = 0; k < 6; ++k)
            value[k] = _mm_add_pd (value[k], step[k]);
    }

    __m128d step[6];
    __m128d value[6];
};

template<bool divideFirst, bool divideSecond, bool moving>
void runStereoCascadeLoop (StereoRun& firstRun, StereoRun& secondRun, StereoState& first, StereoState& second, float* channel0, float* channel1, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
    {
        if constexpr (moving)
        {
            firstRun.advance();
            secondRun.advance();
        }

        const auto x = _mm_cvtps_pd (_mm_unpacklo_ps (_mm_load_ss (channel0 + i), _mm_load_ss (channel1 + i)));
        const auto out = _mm_cvtpd_ps (second.tick<divideSecond> (secondRun.value, first.tick<divideFirst> (firstRun.value, x)));
        _mm_store_ss (channel0 + i, out);
        _mm_store_ss (channel1 + i, _mm_shuffle_ps (out, out, 1));
    }
}

template<bool divideFirst, bool divideSecond>
void runCascade (BiquadLimiter& first, BiquadLimiter& second, float* channel0, float* channel1, int numSamples) noexcept
{
    const CoefficientRun firstScalarRun (first, numSamples);
    const CoefficientRun secondScalarRun (second, numSamples);
    StereoRun firstRun (firstScalarRun), secondRun (secondScalarRun);

    auto* firstState = first.filterState.data();
    auto* secondState = second.filterState.data();
    StereoState firstStereo (firstState, firstState + stateSize);
    StereoState secondStereo (secondState, secondState + stateSize);

    // Settled coefficients take no step: the run stays where it starts.
    if (firstScalarRun.moving || secondScalarRun.moving)
        runStereoCascadeLoop<divideFirst, divideSecond, true> (firstRun, secondRun, firstStereo, secondStereo, channel0, channel1, numSamples);
    else
        runStereoCascadeLoop<divideFirst, divideSecond, false> (firstRun, secondRun, firstStereo, secondStereo, channel0, channel1, numSamples);

    firstStereo.store (firstState, firstState + stateSize);
    secondStereo.store (secondState, secondState + stateSize);
}

#else

template<bool divideFirst, bool divideSecond>
void runCascade (BiquadLimiter& first, BiquadLimiter& second, float* channel0, float* channel1, int numSamples) noexcept
{
    CoefficientRun firstRun (first, numSamples);
    CoefficientRun secondRun (second, numSamples);

    ChannelState states[] = { ChannelState (first.filterState.data()),
                              ChannelState (first.filterState.data() + stateSize),
                              ChannelState (second.filterState.data()),
                              ChannelState (second.filterState.data() + stateSize) };

    // Settled coefficients take no step: the run stays where it starts.
    if (firstRun.moving || secondRun.moving)
        runCascadeLoop<divideFirst, divideSecond, true> (firstRun, secondRun, states, channel0, channel1, numSamples);
    else
        runCascadeLoop<divideFirst, divideSecond, false> (firstRun, secondRun, states, channel0, channel1, numSamples);

    states[0].store (first.filterState.data());
    states[1].store (first.filterState.data() + stateSize);
    states[2].store (second.filterState.data());
    states[3].store (second.filterState.data() + stateSize);
}

#endif

float stableCutoff (double sampleRate, float frequency) noexcept
{
    return juce::jmin (frequency, static_cast<float> (sampleRate) * 0.49f);
}
} // namespace

BiquadLimiter::BiquadLimiter (CoefficientSet initialCoefficients, int)
    : numChannels (2)
    , filterState (static_cast<size_t> (stateSize * 2), 0.0f)
    , limiterA (3.0f, 6.0f, 0.002f, 0.2f, 2, false)
    , limiterB (3.0f, 3.0f, 0.0f, 0.2f, 2, false)
{
    for (size_t k = 0; k < 6; ++k)
    {
        coefficients[k] = initialCoefficients[k];
        previousCoefficients[k] = initialCoefficients[k];
    }
}

void BiquadLimiter::updateCoefficients (const CoefficientSet& target, float factor) noexcept
{
    for (size_t k = 0; k < 6; ++k)
        previousCoefficients[k] = coefficients[k];

    for (size_t k = 0; k < 6; ++k)
        coefficients[k] = coefficients[k] * factor + target[k] * (1.0f - factor);
}

void BiquadLimiter::processChannel (float* samples, int numSamples, int channel) noexcept
{
    if (channel < 0 || channel >= numChannels || numSamples <= 0)
        return;

    CoefficientRun run (*this, numSamples);
    auto* state = filterState.data() + stateSize * channel;
    ChannelState channelState (state);

    for (int i = 0; i < numSamples; ++i)
    {
        run.advance();
        samples[i] = static_cast<float> (channelState.tick<true> (run.run, static_cast<double> (samples[i])));
    }

    channelState.store (state);
}

void BiquadLimiter::processStereoCascade (BiquadLimiter& first, BiquadLimiter& second, float* channel0, float* channel1, int numSamples) noexcept
{
    if (numSamples <= 0 || first.numChannels < 2 || second.numChannels < 2)
        return;

    const auto divideFirst = ! keepsUnitA0 (first);
    const auto divideSecond = ! keepsUnitA0 (second);

    if (divideFirst && divideSecond)
        runCascade<true, true> (first, second, channel0, channel1, numSamples);
    else if (divideFirst)
        runCascade<true, false> (first, second, channel0, channel1, numSamples);
    else if (divideSecond)
        runCascade<false, true> (first, second, channel0, channel1, numSamples);
    else
        runCascade<false, false> (first, second, channel0, channel1, numSamples);
}

BiquadLimiter::CoefficientSet BiquadLimiter::designLowPass (double sampleRate, float frequency) noexcept
{
    const auto fc = stableCutoff (sampleRate, frequency);
    const auto n = 1 / std::tan (juce::MathConstants<float>::pi * fc / static_cast<float> (sampleRate));
    const auto nSquared = n * n;
    const auto invQ = 1 / 0.5f;
    const auto c1 = 1 / (1 + invQ * n + nSquared);

    return { 1.0f, c1 * 2 * (1 - nSquared), c1 * (1 - invQ * n + nSquared), c1, c1 * 2, c1 };
}

BiquadLimiter::CoefficientSet BiquadLimiter::designHighPass (double sampleRate, float frequency) noexcept
{
    const auto fc = stableCutoff (sampleRate, frequency);
    const auto n = std::tan (juce::MathConstants<float>::pi * fc / static_cast<float> (sampleRate));
    const auto nSquared = n * n;
    const auto invQ = 1 / 0.5f;
    const auto c1 = 1 / (1 + invQ * n + nSquared);

    return { 1.0f, c1 * 2 * (nSquared - 1), c1 * (1 - invQ * n + nSquared), c1, c1 * -2, c1 };
}
