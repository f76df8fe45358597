#pragma once

#include "PluginLoader.h"

#include <gtest/gtest.h>

namespace echovane::testing
{
/** The bundle this build made, as a DAW finds it. */
inline juce::File builtBundle()
{
    return juce::File (ECHOVANE_VST3_BINARY_DIR).getParentDirectory().getParentDirectory();
}

/** A fresh instance of the built bundle, loaded through JUCE's VST3 hosting. */
inline std::unique_ptr<juce::AudioPluginInstance> loadBuiltBundle (double sampleRate = 48000.0, int blockSize = 512)
{
    return echovane::host::loadBundle (builtBundle(), sampleRate, blockSize);
}
} // namespace echovane::testing
