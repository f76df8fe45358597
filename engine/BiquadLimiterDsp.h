#pragma once

#include "LimiterDsp.h"

#include <array>
#include <vector>

/** A second-order filter whose coefficients ease from block to block and are interpolated
    sample by sample inside a block, so that a moving control never clicks.
    Coefficient order everywhere: a0, a1, a2, b0, b1, b2. */
class BiquadLimiter final
{
public:
    using CoefficientSet = std::array<float, 6>;

    BiquadLimiter (CoefficientSet initialCoefficients, int channels);

    /** The once-per-block step: the current set becomes the previous one and moves the fraction
        (1 - factor) of the way to the target. */
    void updateCoefficients (const CoefficientSet& target, float factor) noexcept;

    /** Filters one channel in place, interpolating from the previous set to the current one. */
    void processChannel (float* samples, int numSamples, int channel) noexcept;

    /** Runs `first` and then `second` over both channels in one pass. Every channel's arithmetic
        is that of processChannel on `first` for channel 0 and 1, then on `second`, so the result
        is the same to the bit; interleaving the four recursions only hides their latency. */
    static void processStereoCascade (BiquadLimiter& first, BiquadLimiter& second, float* channel0, float* channel1, int numSamples) noexcept;

    /** The low-pass and high-pass designs of juce::dsp::IIR::Coefficients<float>::makeLowPass and
        makeHighPass (fs, frequency, 0.5f), in the same single-precision operations and order, as
        the set {1, a1, a2, b0, b1, b2} that the Coefficients object holds after its division by
        a0; computed here because the Coefficients objects allocate. The cut-off is kept below
        0.49 fs, past which the bilinear design turns unstable. */
    static CoefficientSet designLowPass (double sampleRate, float frequency) noexcept;
    static CoefficientSet designHighPass (double sampleRate, float frequency) noexcept;

    int numChannels;
    float coefficients[6];
    float previousCoefficients[6];
    std::vector<float> filterState;
    // Kept with their settings, as the filter is designed, though no limiting stage calls them.
    LimiterDsp limiterA;
    LimiterDsp limiterB;
};
