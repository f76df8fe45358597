#include "DelayNative.h"

#include "ParameterMeaning.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
// Mixer chunks are at least this long whatever block size the rate was first prepared with.
constexpr int minimumMixerChunk = 1024;

/** |trunc (position)| mod length for a read position of any magnitude. The plain integer form
    serves every delay a host can ask for; the rest keeps absurd tempi (far below one beat a
    day) from overflowing: a float that large is an integer m * 2^e. */
int remainderOfLongDelay (float magnitude, int length) noexcept
{
    if (! (magnitude <= std::numeric_limits<float>::max()))
        return 0;

    if (magnitude < 9.0e18f)
        return static_cast<int> (static_cast<std::int64_t> (magnitude) % length);

    std::uint32_t bits;
    std::memcpy (&bits, &magnitude, sizeof (bits));
    const auto exponent = static_cast<int> ((bits >> 23) & 0xffu) - 127 - 23;
    const auto mantissa = static_cast<std::uint64_t> ((bits & 0x7fffffu) | 0x800000u);
    const auto modulus = static_cast<std::uint64_t> (length);

    auto remainder = mantissa % modulus;

    for (int i = 0; i < exponent; ++i)
        remainder = (remainder * 2) % modulus;

    return static_cast<int> (remainder);
}

bool isFiniteSample (float value) noexcept
{
    return std::abs (value) <= std::numeric_limits<float>::max();
}

/** Replaces every infinity and NaN by silence; written so that it vectorises. */
void silenceNonFinite (float* samples, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
        samples[i] = isFiniteSample (samples[i]) ? samples[i] : 0.0f;
}

/** True when any sample is an infinity or NaN: all exponent bits set. */
bool holdsNonFinite (const float* samples, int numSamples) noexcept
{
    std::uint32_t found = 0;

    for (int i = 0; i < numSamples; ++i)
    {
        std::uint32_t bits;
        std::memcpy (&bits, samples + i, sizeof (bits));
        found |= (bits & 0x7f800000u) == 0x7f800000u ? 1u : 0u;
    }

    return found != 0;
}

/** A filter whose state holds an infinity or NaN would repeat it for ever: it starts again
    from silence. */
void restartIfNotFinite (BiquadLimiter& filter) noexcept
{
    for (auto value : filter.filterState)
    {
        if (! isFiniteSample (value))
        {
            std::fill (filter.filterState.begin(), filter.filterState.end(), 0.0f);
            return;
        }
    }
}

/** Zeroed storage for `count` floats with every page already mapped. A fresh allocation's pages
    are mapped only when first written, and zeroing it does not help: the compiler turns an
    allocation followed by a zeroing into calloc, which skips writing pages the system hands over
    zeroed. A volatile write to each page is one it cannot drop, so the mapping happens here
    rather than on the audio thread when the write position first reaches the page. */
bool allocateMapped (juce::HeapBlock<float>& block, size_t count)
{
    block.calloc (count);

    if (block == nullptr)
        return false;

    const auto floatsPerPage = juce::jmax (size_t (1), static_cast<size_t> (juce::SystemStats::getPageSize()) / sizeof (float));
    auto* const samples = static_cast<volatile float*> (block.get());

    for (size_t i = 0; i < count; i += floatsPerPage)
        samples[i] = 0.0f;

    // The storage need not start on a page boundary, so its last page may lie past the stride.
    if (count > 0)
        samples[count - 1] = 0.0f;

    return true;
}

bool isUsableTempo (double bpm) noexcept
{
    // The beat length is formed in single precision; a tempo that is zero there is not usable.
    return std::isfinite (bpm) && bpm > 0.0 && static_cast<float> (bpm) > 0.0f
        && std::isfinite (60.0f / static_cast<float> (bpm));
}
} // namespace

DelayProcess::DelayProcess (std::vector<FloatParameter*>* floatParameterList, std::vector<BoolParameter*>* boolParameterList)
    : currentBalance (floatParameterList->at (ParameterIndex::balance)->get())
    , currentWidth (2.0f * floatParameterList->at (ParameterIndex::width)->get())
    , currentFeedback (floatParameterList->at (ParameterIndex::feedback)->get())
    , currentMix (floatParameterList->at (ParameterIndex::mix)->get())
    , floatParameters (floatParameterList)
    , boolParameters (boolParameterList)
    , lowpassFilter (identityCoefficients, 2)
    , highpassFilter (identityCoefficients, 2)
{
    positionInfo.resetToDefault();

    for (size_t i = 0; i < ParameterIndex::floatCount; ++i)
    {
        const auto value = floatParameters->at (i)->get();
        lastFiniteFloats[i] = std::isfinite (value) ? value : ParameterIndex::floatSpecs[i].defaultValue;
    }

    for (size_t i = 0; i < ParameterIndex::boolCount; ++i)
        lastFiniteBools[i] = boolParameters->at (i)->get();
}

DelayProcess::~DelayProcess() = default;

void DelayProcess::prepare (double sampleRate, int blockSize)
{
    blockSize = juce::jmax (0, blockSize);

    // Only the tone-filter design works from the clamped rate.
    const auto designRate = (sampleRate < 1000.0 || sampleRate > 10000000.0 || ! std::isfinite (sampleRate)) ? 44100.0 : sampleRate;
    processSpec = { designRate, static_cast<juce::uint32> (blockSize), 2 };

    if (sampleRate != sizedSampleRate || ! isReady())
        resize (sampleRate, blockSize);
    else
        reserveBlock (blockSize);
}

bool DelayProcess::resize (double sampleRate, int blockSize)
{
    sizedSampleRate = sampleRate;
    sampleRateInt = 0;
    bufferLength = 0;
    writeIndex = 0;
    feedbackState[0] = feedbackState[1] = 0.0f;
    delayFrames = nullptr;
    delayStorage.free();

    // Below 1 Hz there is no line at all; far above any real rate it would not fit an int.
    if (! (sampleRate >= 1.0) || sampleRate > 50.0e6)
        return false;

    const auto rateInt = static_cast<int> (static_cast<float> (sampleRate));
    const auto length = lineSeconds * rateInt;

    if (! allocateMapped (delayStorage, static_cast<size_t> (length) * 2))
        return false;

    try
    {
        driveSmoother.reset (0);
        const auto drive = readFloat (ParameterIndex::drive);
        driveSmoother.setCurrentAndTargetValue (drive);
        lastDriveParam = drive;

        wetStorage.free();
        wetChannels[0] = wetChannels[1] = nullptr;
        wetCapacity = 0;

        if (! reserveBlock (juce::jmax (static_cast<int> (sampleRate), blockSize)))
        {
            delayStorage.free();
            return false;
        }

        // The mixer's FIFO holds one prepared block; longer blocks are mixed in chunks of it.
        mixerChunk = juce::jmax (blockSize, minimumMixerChunk);
        mixer.reset();
        mixer.prepare ({ sampleRate, static_cast<juce::uint32> (mixerChunk), 2 });
        mixer.setWetLatency (0.0f);
        mixer.setMixingRule (juce::dsp::DryWetMixingRule::linear);
    }
    catch (...)
    {
        delayStorage.free();
        return false;
    }

    delayFrames = delayStorage.get();
    sampleRateInt = rateInt;
    bufferLength = length;
    silentFrom = length;
    return true;
}

bool DelayProcess::reserveBlock (int blockSize)
{
    if (blockSize <= wetCapacity)
        return true;

    juce::HeapBlock<float> grown;

    if (! allocateMapped (grown, static_cast<size_t> (blockSize) * 2))
        return false;

    // The wet buffer holds only the current block, so nothing needs carrying over.
    wetStorage.swapWith (grown);
    wetChannels[0] = wetStorage.get();
    wetChannels[1] = wetStorage.get() + blockSize;
    wetCapacity = blockSize;
    return true;
}

void DelayProcess::clearLine() noexcept
{
    writeIndex = 0;
    bufferLength = lineSeconds * sampleRateInt;
    feedbackState[0] = feedbackState[1] = 0.0f;

    // Writing zeros over 2 x 40 s would cost milliseconds at high rates. The writes restart at
    // 0 and move the mark up behind them; whatever lies past it reads as silence.
    silentFrom = 0;
}

void DelayProcess::reset() noexcept
{
    clearLine();

    for (auto* filter : { &lowpassFilter, &highpassFilter })
        std::fill (filter->filterState.begin(), filter->filterState.end(), 0.0f);
}

float DelayProcess::lineSample (int channel, int index) const noexcept
{
    if (! isReady() || index < 0 || index >= silentFrom)
        return 0.0f;

    return delayFrames[2 * index + (channel & 1)];
}

float DelayProcess::readFloat (ParameterIndex::Float index) noexcept
{
    const auto value = floatParameters->at (index)->get();

    if (std::isfinite (value))
        lastFiniteFloats[index] = value;

    return lastFiniteFloats[index];
}

bool DelayProcess::readBool (ParameterIndex::Bool index) noexcept
{
    // The bool parameter's own reading counts NaN as off; its raw value tells NaN apart.
    const juce::AudioProcessorParameter& parameter = *boolParameters->at (index);
    const auto value = parameter.getValue();

    if (std::isfinite (value))
        lastFiniteBools[index] = ParameterMeaning::isOn (value);

    return lastFiniteBools[index];
}

bool DelayProcess::isBypassed() noexcept
{
    return readBool (ParameterIndex::bypass);
}

void DelayProcess::readTempo (juce::AudioPlayHead* playHead) noexcept
{
    if (playHead == nullptr)
        return;

    if (const auto position = playHead->getPosition())
        if (const auto bpm = position->getBpm())
            if (isUsableTempo (*bpm))
                positionInfo.bpm = *bpm;
}

float DelayProcess::easingFactor (double designRate) noexcept
{
    return juce::jmin (0.3f * static_cast<float> (designRate / 44100.0), 0.9f);
}

void DelayProcess::smoothControls() noexcept
{
    currentBalance += (readFloat (ParameterIndex::balance) - currentBalance) * 0.01f;

    // The value for this block is taken before the target moves: Drive acts one block late.
    currentDrive = driveSmoother.getNextValue();
    const auto drive = readFloat (ParameterIndex::drive);

    if (drive != lastDriveParam)
    {
        lastDriveParam = drive;
        driveSmoother.setTargetValue (drive);
    }

    currentWidth += (2.0f * readFloat (ParameterIndex::width) - currentWidth) * 0.01f;
    currentFeedback += (readFloat (ParameterIndex::feedback) - currentFeedback) * 0.01f;
    currentMix += (readFloat (ParameterIndex::mix) - currentMix) * 0.1f;
}

void DelayProcess::updateToneFilters() noexcept
{
    const auto designRate = processSpec.sampleRate;
    const auto dark = readFloat (ParameterIndex::dark);
    const auto bright = readFloat (ParameterIndex::bright);

    // The designs depend on nothing else, so an unchanged control keeps its target.
    if (dark != designedDark || designRate != designedRate)
        lowpassTarget = BiquadLimiter::designLowPass (designRate, (1.0f - dark) * 19800.0f + 400.0f);

    if (bright != designedBright || designRate != designedRate)
        highpassTarget = BiquadLimiter::designHighPass (designRate, bright * 2500.0f + 20.0f);

    designedDark = dark;
    designedBright = bright;
    designedRate = designRate;

    const auto factor = easingFactor (designRate);
    lowpassFilter.updateCoefficients (lowpassTarget, factor);
    highpassFilter.updateCoefficients (highpassTarget, factor);
}

template<bool withDrive, bool pastTheMark>
void DelayProcess::runDelayLoop (const float* in0, const float* in1, float* wet0, float* wet1, int numSamples, double beatSeconds) noexcept
{
    const auto& floats = *floatParameters;
    const auto& bools = *boolParameters;
    const auto& syncParameter = *floats.at (ParameterIndex::sync);
    const auto& msParameter = *floats.at (ParameterIndex::ms);
    const auto& tripletParameter = *bools.at (ParameterIndex::triplet);
    const auto& tempoChangerParameter = *bools.at (ParameterIndex::tempoChanger);
    const auto& dottedParameter = *bools.at (ParameterIndex::dotted);

    // The toggles are read for every sample; only when one of them is not a number at the
    // block's start does the block go on with the last states that were.
    const auto tempoChangerWas = readBool (ParameterIndex::tempoChanger);
    const auto tripletWas = readBool (ParameterIndex::triplet);
    const auto dottedWas = readBool (ParameterIndex::dotted);
    const auto togglesFinite = std::isfinite (static_cast<const juce::AudioProcessorParameter&> (tempoChangerParameter).getValue())
        && std::isfinite (static_cast<const juce::AudioProcessorParameter&> (tripletParameter).getValue())
        && std::isfinite (static_cast<const juce::AudioProcessorParameter&> (dottedParameter).getValue());

    // Left and right of one moment side by side: one stream of writes and one of reads.
    float* const frames = delayFrames;
    const auto length = bufferLength;
    const auto lengthFloat = static_cast<float> (length);
    const auto rate = static_cast<float> (sampleRateInt);
    auto mark = silentFrom;

    const auto feedback = currentFeedback;
    const auto tripletFactor = static_cast<double> (2.0f / 3.0f);

    auto state0 = feedbackState[0];
    auto state1 = feedbackState[1];
    auto index = writeIndex;
    auto timeMs = delayTimeMs;
    auto position = readPosition;
    auto lastSync = lastFiniteFloats[ParameterIndex::sync];
    auto lastMs = lastFiniteFloats[ParameterIndex::ms];

    // The time settings are read for every sample; the delay time and its offset in samples are
    // recomputed only when what they are computed from has changed.
    std::uint64_t lastKey = ~std::uint64_t{ 0 };
    float offset = 0.0f;

    for (int i = 0; i < numSamples; ++i)
    {
        std::uint64_t key;

        if (togglesFinite ? tempoChangerParameter.get() : tempoChangerWas)
        {
            auto ms = msParameter.get();
            ms = isFiniteSample (ms) ? ms : lastMs;
            lastMs = ms;

            std::uint32_t bits;
            std::memcpy (&bits, &ms, sizeof (bits));
            key = (std::uint64_t{ 1 } << 32) | bits;

            if (key != lastKey)
                timeMs = ParameterMeaning::freeDelayMs (ms);
        }
        else
        {
            auto sync = syncParameter.get();
            sync = isFiniteSample (sync) ? sync : lastSync;
            lastSync = sync;

            const auto p = ParameterMeaning::noteIndexOf (sync);
            const auto triplet = togglesFinite ? tripletParameter.get() : tripletWas;
            const auto dotted = togglesFinite ? dottedParameter.get() : dottedWas;
            key = static_cast<std::uint64_t> (p) | (triplet ? 16u : 0u) | (dotted ? 32u : 0u);

            if (key != lastKey)
            {
                const auto base = ParameterMeaning::noteValues[p];

                if (triplet)
                    timeMs = static_cast<float> (base * 4.0 * tripletFactor * 1000.0 * beatSeconds);
                else if (dotted)
                    timeMs = static_cast<float> (base * 4.0 * 1000.0 * 1.5 * beatSeconds);
                else
                    timeMs = static_cast<float> (base * 4.0 * 1000.0 * beatSeconds);
            }
        }

        if (key != lastKey)
        {
            lastKey = key;
            offset = (timeMs / -1000.0f) * rate;
        }

        position = offset + static_cast<float> (index);

        if (position < 0.0f)
        {
            if (-position < lengthFloat)
                position += lengthFloat;
            else
                position = static_cast<float> (length - remainderOfLongDelay (-position, length));
        }

        const auto x0 = in0[i];
        const auto x1 = in1[i];

        // Only finite values enter the line: an overflow must not circulate for ever.
        const auto written0 = state0 + x0;
        const auto written1 = state1 + x1;
        frames[2 * index] = isFiniteSample (written0) ? written0 : 0.0f;
        frames[2 * index + 1] = isFiniteSample (written1) ? written1 : 0.0f;

        if constexpr (pastTheMark)
            mark = index >= mark ? index + 1 : mark;

        auto j = static_cast<int> (position);
        const auto fraction = position - static_cast<float> (j);

        // A position rounded up to the line's end reads its start.
        if (j >= length)
            j -= length;

        const auto j1 = j + 1 < length ? j + 1 : 0;

        float a0, b0, a1, b1;

        if constexpr (pastTheMark)
        {
            a0 = j < mark ? frames[2 * j] : 0.0f;
            a1 = j < mark ? frames[2 * j + 1] : 0.0f;
            b0 = j1 < mark ? frames[2 * j1] : 0.0f;
            b1 = j1 < mark ? frames[2 * j1 + 1] : 0.0f;
        }
        else
        {
            a0 = frames[2 * j];
            a1 = frames[2 * j + 1];
            b0 = frames[2 * j1];
            b1 = frames[2 * j1 + 1];
        }

        const auto d0 = a0 + (b0 - a0) * fraction;
        const auto d1 = a1 + (b1 - a1) * fraction;

        state0 = d0 * feedback + x0;
        state1 = d1 * feedback + x1;

        // The repeats are shaped afterwards, in a pass of their own that the compiler vectorises.
        wet0[i] = d0;
        wet1[i] = d1;

        if (++index == length)
            index = 0;
    }

    shapeRepeats<withDrive> (wet0, wet1, numSamples);

    feedbackState[0] = state0;
    feedbackState[1] = state1;
    writeIndex = index;
    delayTimeMs = timeMs;
    readPosition = position;
    silentFrom = mark;
    lastFiniteFloats[ParameterIndex::sync] = lastSync;
    lastFiniteFloats[ParameterIndex::ms] = lastMs;
}

template<bool withDrive>
void DelayProcess::shapeRepeats (float* wet0, float* wet1, int numSamples) const noexcept
{
    const auto drive = currentDrive;
    const auto undriven = 1.0f - drive;
    const auto widthGain = static_cast<float> (1.0 / std::max (static_cast<double> (1.0f + currentWidth), 2.0));
    const auto sideGain = currentWidth * widthGain;
    const auto leftGain = 1.0f - currentBalance;
    const auto rightGain = currentBalance;

    for (int i = 0; i < numSamples; ++i)
    {
        auto s0 = wet0[i];
        auto s1 = wet1[i];

        if constexpr (withDrive)
        {
            s0 = std::tanh (s0 * 6.0f) * drive + s0 * undriven;
            s1 = std::tanh (s1 * 6.0f) * drive + s1 * undriven;
        }
        else
        {
            // At drive 0 the formula gives the repeat itself, to the bit.
            juce::ignoreUnused (drive, undriven);
        }

        const auto mid = (s0 + s1) * widthGain;
        const auto side = (s1 - s0) * sideGain;
        wet0[i] = leftGain * (mid - side);
        wet1[i] = rightGain * (mid + side);
    }
}

void DelayProcess::mix (float* channel0, float* channel1, int numSamples) noexcept
{
    mixer.setWetMixProportion (1.0f - currentMix);

    float* io[2] = { channel0, channel1 };

    // The mixer carries the delay signal through its FIFO as its "dry" input and the host's
    // input as its "wet" one, which makes the output (1 - Mix) x input + Mix x delay.
    for (int start = 0; start < numSamples; start += mixerChunk)
    {
        const auto length = static_cast<size_t> (juce::jmin (mixerChunk, numSamples - start));
        const juce::dsp::AudioBlock<float> wetBlock (wetChannels, 2, static_cast<size_t> (start), length);
        mixer.pushDrySamples (wetBlock);
        mixer.mixWetSamples (juce::dsp::AudioBlock<float> (io, 2, static_cast<size_t> (start), length));
    }
}

void DelayProcess::process (float* channel0, float* channel1, int numSamples) noexcept
{
    if (! isReady() || numSamples > wetCapacity)
        return;

    // One bad sample from upstream must not reach the line or the filters: it becomes silence.
    silenceNonFinite (channel0, numSamples);
    silenceNonFinite (channel1, numSamples);

    smoothControls();

    if (numSamples > 0)
    {
        const auto beatSeconds = static_cast<double> (60.0f / static_cast<float> (positionInfo.bpm));
        auto* wet0 = wetChannels[0];
        auto* wet1 = wetChannels[1];

        if (silentFrom < bufferLength)
        {
            if (currentDrive != 0.0f)
                runDelayLoop<true, true> (channel0, channel1, wet0, wet1, numSamples, beatSeconds);
            else
                runDelayLoop<false, true> (channel0, channel1, wet0, wet1, numSamples, beatSeconds);
        }
        else if (currentDrive != 0.0f)
        {
            runDelayLoop<true, false> (channel0, channel1, wet0, wet1, numSamples, beatSeconds);
        }
        else
        {
            runDelayLoop<false, false> (channel0, channel1, wet0, wet1, numSamples, beatSeconds);
        }
    }

    updateToneFilters();
    BiquadLimiter::processStereoCascade (lowpassFilter, highpassFilter, wetChannels[0], wetChannels[1], numSamples);

    // Sums of huge finite values can still overflow; no infinity or NaN may stay in the filters
    // or reach the mix.
    if (holdsNonFinite (wetChannels[0], numSamples) || holdsNonFinite (wetChannels[1], numSamples))
    {
        silenceNonFinite (wetChannels[0], numSamples);
        silenceNonFinite (wetChannels[1], numSamples);
        restartIfNotFinite (lowpassFilter);
        restartIfNotFinite (highpassFilter);
    }

    mix (channel0, channel1, numSamples);
}
