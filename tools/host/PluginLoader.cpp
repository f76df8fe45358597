#include "PluginLoader.h"

#include "CommandLine.h"

namespace echovane::host
{
namespace
{
struct Assignment
{
    juce::String id;
    float value;
};

Assignment parseAssignment (const std::string& text)
{
    const auto equals = text.find ('=');

    if (equals == std::string::npos || equals == 0)
        throw UsageError ("--set expects ID=VALUE, got '" + text + "'");

    const auto id = text.substr (0, equals);
    const auto value = parseNumber (text.substr (equals + 1), "--set " + id);

    if (value < 0.0 || value > 1.0)
        throw UsageError ("--set " + id + ": normalised value " + text.substr (equals + 1) + " is outside 0 to 1");

    return { juce::String (id), static_cast<float> (value) };
}

juce::String describeBus (const juce::AudioProcessor::Bus* bus)
{
    if (bus == nullptr)
        return "none";

    return "\"" + bus->getName() + "\" " + bus->getDefaultLayout().getDescription() + " ("
        + juce::String (bus->getDefaultLayout().size()) + " channels)";
}
} // namespace

std::unique_ptr<juce::AudioPluginInstance> loadBundle (const juce::File& bundle, double sampleRate, int blockSize)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;

    if (! format.fileMightContainThisPluginType (bundle.getFullPathName()))
        throw CommandFailure ("'" + bundle.getFullPathName().toStdString() + "' is not a VST3 bundle");

    format.findAllTypesForFile (types, bundle.getFullPathName());

    if (types.isEmpty())
        throw CommandFailure ("'" + bundle.getFullPathName().toStdString() + "' holds no loadable VST3 plug-in");

    juce::String error;
    auto instance = format.createInstanceFromDescription (*types.getFirst(), sampleRate, blockSize, error);

    if (instance == nullptr)
        throw CommandFailure ("could not load '" + bundle.getFullPathName().toStdString() + "': " + error.toStdString());

    return instance;
}

juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& plugin, const juce::String& idOrName)
{
    for (auto* parameter : plugin.getParameters())
        if (parameter->getName (1024) == idOrName)
            return parameter;

    for (auto* parameter : plugin.getParameters())
        if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
            if (hosted->getParameterID() == idOrName)
                return parameter;

    return nullptr;
}

void checkAssignmentSyntax (const std::vector<std::string>& assignments)
{
    for (const auto& text : assignments)
        parseAssignment (text);
}

void applyAssignments (juce::AudioPluginInstance& plugin, const std::vector<std::string>& assignments)
{
    for (const auto& text : assignments)
    {
        const auto assignment = parseAssignment (text);
        auto* parameter = findParameter (plugin, assignment.id);

        if (parameter == nullptr)
            throw UsageError ("--set: the plug-in has no parameter '" + assignment.id.toStdString() + "'");

        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost (assignment.value);
        parameter->endChangeGesture();
    }
}

juce::String describeParameters (juce::AudioPluginInstance& plugin)
{
    juce::String text;
    const auto& parameters = plugin.getParameters();
    text << "parameters: " << parameters.size() << "\n";

    for (auto* parameter : parameters)
    {
        juce::String id;

        if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
            id = hosted->getParameterID();

        text << "  " << juce::String (parameter->getParameterIndex()).paddedLeft (' ', 2) << "  id " << id.paddedRight (' ', 10)
             << "  " << parameter->getName (1024).paddedRight (' ', 13) << "  default "
             << juce::String (parameter->getDefaultValue(), 7) << "  value " << juce::String (parameter->getValue(), 7)
             << "  \"" << parameter->getCurrentValueAsText() << "\"\n";
    }

    return text;
}

juce::String describePlugin (juce::AudioPluginInstance& plugin)
{
    const auto description = plugin.getPluginDescription();
    juce::String text;
    text << "name: " << description.name << "\n"
         << "vendor: " << description.manufacturerName << "\n"
         << "version: " << description.version << "\n"
         << "category: " << description.category << "\n"
         << "input bus: " << describeBus (plugin.getBus (true, 0)) << "\n"
         << "output bus: " << describeBus (plugin.getBus (false, 0)) << "\n"
         << "midi: " << (plugin.acceptsMidi() ? "in" : "no input") << ", " << (plugin.producesMidi() ? "out" : "no output") << "\n"
         << "latency: " << plugin.getLatencySamples() << " samples\n"
         << "tail: " << plugin.getTailLengthSeconds() << " s\n";
    return text;
}
} // namespace echovane::host
