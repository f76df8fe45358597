#pragma once

#include <vector>

/** The gain computer of a soft-knee peak limiter: a static curve in dB followed by attack and
    release smoothing of the gain reduction, one state per channel unless linked. Each tone filter
    holds two; nothing in the signal path runs them. */
class LimiterDsp
{
public:
    LimiterDsp (float thresholdInDb, float kneeInDb, float attackInSeconds, float releaseInSeconds, int channels, bool isLinked);
    virtual ~LimiterDsp();

    /** Returns the sample scaled by the smoothed gain reduction that the detector value asks for. */
    virtual float DoProcessOneSample (float sample, double sampleRate, int channel, float detector);

    float thresholdDb;
    float kneeDb;
    float attackSeconds;
    float releaseSeconds;
    int numChannels;
    std::vector<float> gainState;
    bool linked;
};
