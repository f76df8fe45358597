#include "engine/PluginProcessor.h"
#include "tests/support/StateBlocks.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
/** A state block whose "Mix" holds `digits` digits, as a damaged project might. */
juce::MemoryBlock blockWithGiantNumber (size_t digits)
{
    return echovane::testing::stateBlockWithElement ("<Delay Mix=\"" + std::string (digits, '7') + "\" sizechanger=\"1.0\"/>");
}

// The whole restore of a block with one giant attribute, from the header check to the values set.
void restoreGiantAttribute (benchmark::State& state)
{
    OvelanAudioProcessor processor;
    const auto block = blockWithGiantNumber (static_cast<size_t> (state.range (0)) << 20);

    for (auto _ : state)
        processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

    state.SetBytesProcessed (static_cast<int64_t> (state.iterations()) * static_cast<int64_t> (block.getSize()));
}

// The block a new processor saves, for comparison.
void restoreDefaultBlock (benchmark::State& state)
{
    OvelanAudioProcessor processor;
    juce::MemoryBlock block;
    processor.getStateInformation (block);

    for (auto _ : state)
        processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}
} // namespace

BENCHMARK (restoreGiantAttribute)->ArgName ("MB")->Arg (1)->Arg (10)->Unit (benchmark::kMillisecond);
BENCHMARK (restoreDefaultBlock)->Unit (benchmark::kMicrosecond);
