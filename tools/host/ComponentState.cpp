#include "ComponentState.h"

#include "CommandLine.h"

namespace echovane::host
{
namespace
{
constexpr const char* envelopeTag = "VST3PluginState";
constexpr const char* componentTag = "IComponent";
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

void writeComponentState (juce::AudioPluginInstance& plugin, const juce::MemoryBlock& state)
{
    juce::XmlElement envelope (envelopeTag);
    envelope.createNewChildElement (componentTag)->addTextElement (state.toBase64Encoding());

    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (envelope, block);
    plugin.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}
} // namespace echovane::host
