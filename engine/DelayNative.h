#pragma once

#include "BiquadLimiterDsp.h"
#include "MetaParameter.h"
#include "ParameterIndex.h"

#include <juce_dsp/juce_dsp.h>

#include <array>

/** The whole signal state of the delay: a 40-second stereo line with its write position and
    feedback values, the smoothed controls, the two tone filters, the wet buffer and the dry/wet
    mixer. The processor prepares it and runs it once per block.
    Only the preparation (prepare, resize, reserveBlock) allocates, and it has every page it
    allocates mapped before it returns; process, clearLine and reset never allocate, lock, wait
    or take a page fault. */
class DelayProcess final
{
public:
    DelayProcess (std::vector<FloatParameter*>* floatParameterList, std::vector<BoolParameter*>* boolParameterList);
    ~DelayProcess();

    static constexpr int lineSeconds = 40;

    /** The engine's part of prepareToPlay: the filter design rate and block size, a re-sizing
        when the rate differs from the last one sized for (compared in double precision, so a
        fractional rate sizes once), and room for blocks of this length. */
    void prepare (double sampleRate, int blockSize);

    /** Sizes the line, the wet buffer and the mixer for a new rate, emptying the line. Allocates.
        Returns false, leaving the engine unprepared (audio passes through), when the rate is
        below 1 Hz or the memory cannot be had. */
    bool resize (double sampleRate, int blockSize);

    /** Makes room for blocks of this length without touching the line; false if that fails. */
    bool reserveBlock (int blockSize);

    bool isReady() const noexcept { return bufferLength > 0; }

    /** The bypass clearing: back to the start of an empty line. It costs the same whatever the
        line's length: the line counts as silent from a mark that the writes then move up. */
    void clearLine() noexcept;

    /** A host's reset: empties the line, the feedback values and the filter states as clearLine
        does; the smoothed controls and the mixer's ramps carry on. */
    void reset() noexcept;

    /** The engine's own Bypass, read once per block; a value that is not a number keeps the last
        one that was. */
    bool isBypassed() noexcept;

    /** Takes the tempo from the host's play head when it gives a usable one. */
    void readTempo (juce::AudioPlayHead* playHead) noexcept;

    /** One block, in place: the smoothing steps, the delay loop into the wet buffer, the tone
        filters and the mix with the input. Needs isReady() and a block no longer than the wet
        buffer's capacity (both assured by the preparation). */
    void process (float* channel0, float* channel1, int numSamples) noexcept;

    /** Feedback-path internals, read by the tests. */
    int getWriteIndex() const noexcept { return writeIndex; }
    int getBufferLength() const noexcept { return bufferLength; }
    int getSampleRateInt() const noexcept { return sampleRateInt; }
    int getWetCapacity() const noexcept { return wetCapacity; }
    /** What the line holds at this position for channel 0 or 1 (silence past the mark). */
    float lineSample (int channel, int index) const noexcept;
    const float* getFeedbackState() const noexcept { return feedbackState; }
    float getCurrentDrive() const noexcept { return currentDrive; }
    float getCurrentMix() const noexcept { return currentMix; }
    float getCurrentFeedback() const noexcept { return currentFeedback; }
    float getCurrentWidth() const noexcept { return currentWidth; }
    float getDelayTimeMs() const noexcept { return delayTimeMs; }
    double getTempo() const noexcept { return positionInfo.bpm; }
    const juce::dsp::ProcessSpec& getProcessSpec() const noexcept { return processSpec; }
    const BiquadLimiter& getLowpassFilter() const noexcept { return lowpassFilter; }
    const BiquadLimiter& getHighpassFilter() const noexcept { return highpassFilter; }

    /** The easing factor of the tone filters at the design rate: 0.3 per 44.1 kHz, kept below 1. */
    static float easingFactor (double designRate) noexcept;

private:
    /** The value the engine works with: the parameter's, or its last finite one when a host has
        handed it something that is not a number. */
    float readFloat (ParameterIndex::Float index) noexcept;
    bool readBool (ParameterIndex::Bool index) noexcept;

    void smoothControls() noexcept;
    void updateToneFilters() noexcept;

    template<bool withDrive, bool pastTheMark>
    void runDelayLoop (const float* in0, const float* in1, float* wet0, float* wet1, int numSamples, double beatSeconds) noexcept;

    /** Drive, width and balance over the repeats read in this block, in place. */
    template<bool withDrive>
    void shapeRepeats (float* wet0, float* wet1, int numSamples) const noexcept;

    void mix (float* channel0, float* channel1, int numSamples) noexcept;

    juce::AudioPlayHead::CurrentPositionInfo positionInfo;
    float currentBalance;
    float currentWidth;
    float currentDrive = 0.0f;
    float delayTimeMs = 0.0f;
    float currentFeedback;
    float currentMix;
    std::vector<FloatParameter*>* floatParameters;
    int sampleRateInt = 0;
    juce::HeapBlock<float> delayStorage;
    float* delayFrames = nullptr; // bufferLength frames of a left and a right sample
    float feedbackState[2] = { 0.0f, 0.0f };
    int writeIndex = 0;
    int bufferLength = 0;
    int silentFrom = 0; // the line reads as silence from here to its end until a lap completes
    float readPosition = 0.0f;
    std::vector<BoolParameter*>* boolParameters;
    BiquadLimiter::CoefficientSet identityCoefficients{ 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f };
    BiquadLimiter lowpassFilter;
    BiquadLimiter highpassFilter;
    juce::dsp::ProcessSpec processSpec{ 44100.0, 0, 2 };
    BiquadLimiter::CoefficientSet lowpassTarget{};
    BiquadLimiter::CoefficientSet highpassTarget{};
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> driveSmoother{ 0.0f };
    juce::HeapBlock<float> wetStorage;
    float* wetChannels[2] = { nullptr, nullptr };
    int wetCapacity = 0;
    float lastDriveParam = 0.0f;
    juce::dsp::DryWetMixer<float> mixer;
    int mixerChunk = 0;
    double sizedSampleRate = -1.0;
    float lastFiniteFloats[ParameterIndex::floatCount] = {};
    bool lastFiniteBools[ParameterIndex::boolCount] = {};
    float designedDark = -1.0f, designedBright = -1.0f;
    double designedRate = 0.0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DelayProcess)
};
