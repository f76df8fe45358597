#include "ComponentState.h"

#include "CommandLine.h"

#include <cstring>

namespace echovane::host
{
namespace
{
constexpr const char* envelopeTag = "VST3PluginState";
constexpr const char* componentTag = "IComponent";
constexpr const char* trailerMagic = "JUCEPrivateData";
} // namespace

juce::MemoryBlock readComponentState (juce::AudioPluginInstance& plugin)
{
    juce::MemoryBlock envelope;
    plugin.getStateInformation (envelope);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (envelope.getData(), static_cast<int> (envelope.getSize()));
    const auto* component = xml != nullptr && xml->hasTagName (envelopeTag) ? xml->getChildByName (componentTag) : nullptr;

    juce::MemoryBlock state;

    if (component == nullptr || ! state.fromBase64Encoding (component->getAllSubText()))
        throw CommandFailure ("the plug-in returned no component state");

    return state;
}

juce::MemoryBlock withoutJuceTrailer (const juce::MemoryBlock& state)
{
    const auto magicSize = std::strlen (trailerMagic);
    const auto size = state.getSize();
    const auto* bytes = static_cast<const char*> (state.getData());
    constexpr auto wordSize = sizeof (juce::uint64);

    if (size < magicSize + 2 * wordSize || std::memcmp (bytes + size - magicSize, trailerMagic, magicSize) != 0)
        return state;

    juce::uint64 privateSize = 0;
    std::memcpy (&privateSize, bytes + size - magicSize - wordSize, wordSize);
    privateSize = juce::ByteOrder::swapIfBigEndian (privateSize);

    // The size word counts the private data only; the leading zero word comes on top.
    const auto trailerSize = magicSize + wordSize;

    if (privateSize > size - trailerSize - wordSize)
        return state;

    return juce::MemoryBlock (bytes, static_cast<size_t> (size - trailerSize - privateSize - wordSize));
}

void writeComponentState (juce::AudioPluginInstance& plugin, const juce::MemoryBlock& state)
{
    juce::XmlElement envelope (envelopeTag);
    envelope.createNewChildElement (componentTag)->addTextElement (state.toBase64Encoding());

    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (envelope, block);
    plugin.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}
} // namespace echovane::host
