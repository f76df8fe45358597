#include "LimiterDsp.h"

#include <cmath>

LimiterDsp::LimiterDsp (float thresholdInDb, float kneeInDb, float attackInSeconds, float releaseInSeconds, int channels, bool isLinked)
    : thresholdDb (thresholdInDb)
    , kneeDb (kneeInDb)
    , attackSeconds (attackInSeconds)
    , releaseSeconds (releaseInSeconds)
    , numChannels (channels)
    , gainState (static_cast<size_t> (channels > 0 ? channels : 1), 0.0f)
    , linked (isLinked)
{
}

LimiterDsp::~LimiterDsp() = default;

float LimiterDsp::DoProcessOneSample (float sample, double sampleRate, int channel, float detector)
{
    const auto level = 20.0f * std::log10 (std::abs (detector));
    const auto halfKnee = kneeDb / 2.0f;

    float out;

    if (level < thresholdDb - halfKnee)
        out = level;
    else if (level <= thresholdDb + halfKnee)
        out = level - (level - thresholdDb + halfKnee) * (level - thresholdDb + halfKnee) / (2.0f * kneeDb);
    else
        out = thresholdDb;

    // A silent detector gives an infinite level, where no reduction is wanted.
    const auto gainReduction = std::isinf (level) ? 0.0f : out - level;

    const auto slot = linked ? 0 : channel;

    if (slot < 0 || slot >= static_cast<int> (gainState.size()))
        return sample;

    auto& state = gainState[static_cast<size_t> (slot)];
    const auto previous = state;
    const auto time = previous < gainReduction ? releaseSeconds : attackSeconds;
    const auto period = static_cast<float> (sampleRate) * time;

    // exp (-ln 9 / 0) is exp (-inf): a time of zero means an instant change.
    const auto alpha = period > 0.0f ? std::exp (-2.1972246f / period) : 0.0f;

    state = alpha * previous + (1.0f - alpha) * gainReduction;
    return sample * std::pow (10.0f, state / 20.0f);
}
