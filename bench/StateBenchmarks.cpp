#include "engine/PluginProcessor.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
/** A state block whose "Mix" holds `digits` digits, as a damaged project might. */
juce::MemoryBlock blockWithGiantNumber (size_t digits)
{
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <Delay Mix=\"" + std::string (digits, '7') + "\" sizechanger=\"1.0\"/>";
    juce::MemoryOutputStream out;
    out.write ("VC2!", 4);
    out.writeInt (static_cast<int> (text.size()));
    out.write (text.data(), text.size());
    out.writeByte (0);
    return out.getMemoryBlock();
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
