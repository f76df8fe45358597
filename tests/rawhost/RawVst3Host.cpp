#include "RawVst3Host.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <limits>

namespace echovane::rawhost
{
namespace
{
using namespace Steinberg;

std::string utf8Title (const Vst::String128 title)
{
    // Parameter titles are plain ASCII; anything else would not match a title we ask for anyway.
    std::string result;

    for (int i = 0; i < 128 && title[i] != 0; ++i)
        result += title[i] < 128 ? static_cast<char> (title[i]) : '?';

    return result;
}

template<typename Interface>
Interface* queried (FUnknown* object)
{
    void* result = nullptr;

    if (object == nullptr || object->queryInterface (Interface::iid, &result) != kResultOk)
        return nullptr;

    return static_cast<Interface*> (result);
}

void check (tresult result, const char* call)
{
    if (result != kResultOk)
        throw HostError (std::string (call) + " answered " + std::to_string (result));
}
} // namespace

//==============================================================================
Vst3Module::Vst3Module (const std::string& binaryPath)
{
    handle = ::dlopen (binaryPath.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (handle == nullptr)
        throw HostError ("dlopen failed: " + std::string (::dlerror()));

    using EntryFunction = bool (*) (void*);
    using FactoryFunction = IPluginFactory* (*) ();
    auto entry = reinterpret_cast<EntryFunction> (::dlsym (handle, "ModuleEntry"));
    auto getFactory = reinterpret_cast<FactoryFunction> (::dlsym (handle, "GetPluginFactory"));

    if (entry == nullptr || getFactory == nullptr || ! entry (handle))
        throw HostError ("the module has no working ModuleEntry or GetPluginFactory");

    entered = true;
    pluginFactory = getFactory();

    if (pluginFactory == nullptr)
        throw HostError ("GetPluginFactory returned nothing");
}

Vst3Module::~Vst3Module()
{
    if (pluginFactory != nullptr)
        pluginFactory->release();

    if (entered)
        if (auto exitModule = reinterpret_cast<bool (*)()> (::dlsym (handle, "ModuleExit")))
            exitModule();

    if (handle != nullptr)
        ::dlclose (handle);
}

std::array<char, 16> Vst3Module::classId (const char* category) const
{
    for (int32 i = 0; i < pluginFactory->countClasses(); ++i)
    {
        PClassInfo info;

        if (pluginFactory->getClassInfo (i, &info) == kResultOk && std::strcmp (info.category, category) == 0)
        {
            std::array<char, 16> id{};
            std::memcpy (id.data(), info.cid, id.size());
            return id;
        }
    }

    throw HostError (std::string ("the module has no class of category ") + category);
}

//==============================================================================
tresult PLUGIN_API HostApplication::getName (Vst::String128 nameToFill)
{
    size_t i = 0;

    for (; i < name.size() && i < 127; ++i)
        nameToFill[i] = static_cast<Vst::TChar> (name[i]);

    nameToFill[i] = 0;
    return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance (TUID, TUID, void** object)
{
    *object = nullptr;
    return kNotImplemented;
}

tresult PLUGIN_API HostApplication::queryInterface (const TUID wanted, void** object)
{
    if (FUnknownPrivate::iidEqual (wanted, FUnknown::iid) || FUnknownPrivate::iidEqual (wanted, Vst::IHostApplication::iid))
    {
        *object = static_cast<Vst::IHostApplication*> (this);
        return kResultOk;
    }

    *object = nullptr;
    return kNoInterface;
}

//==============================================================================
tresult PLUGIN_API MemoryStream::queryInterface (const TUID iid, void** object)
{
    if (FUnknownPrivate::iidEqual (iid, FUnknown::iid) || FUnknownPrivate::iidEqual (iid, IBStream::iid))
        *object = static_cast<IBStream*> (this);
    else if (FUnknownPrivate::iidEqual (iid, ISizeableStream::iid))
        *object = static_cast<ISizeableStream*> (this);
    else
    {
        *object = nullptr;
        return kNoInterface;
    }

    addRef();
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::read (void* buffer, int32 numBytes, int32* numBytesRead)
{
    const auto available = std::max<int64> (0, static_cast<int64> (bytes.size()) - position);
    const auto count = static_cast<int32> (std::clamp<int64> (numBytes, 0, available));

    if (count > 0)
        std::memcpy (buffer, bytes.data() + position, static_cast<size_t> (count));

    position += count;

    if (numBytesRead != nullptr)
        *numBytesRead = count;

    return kResultOk;
}

tresult PLUGIN_API MemoryStream::write (void* buffer, int32 numBytes, int32* numBytesWritten)
{
    if (numBytes < 0)
        return kInvalidArgument;

    const auto end = static_cast<size_t> (position) + static_cast<size_t> (numBytes);

    if (end > bytes.size())
        bytes.resize (end);

    std::memcpy (bytes.data() + position, buffer, static_cast<size_t> (numBytes));
    position += numBytes;

    if (numBytesWritten != nullptr)
        *numBytesWritten = numBytes;

    return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek (int64 pos, int32 mode, int64* result)
{
    const auto base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? position
                                                                  : static_cast<int64> (bytes.size());

    if (base + pos < 0)
        return kInvalidArgument;

    position = base + pos;

    if (result != nullptr)
        *result = position;

    return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell (int64* pos)
{
    if (pos == nullptr)
        return kInvalidArgument;

    *pos = position;
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::getStreamSize (int64& size)
{
    size = static_cast<int64> (bytes.size());
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::setStreamSize (int64 size)
{
    if (size < 0)
        return kInvalidArgument;

    bytes.resize (static_cast<size_t> (size));
    return kResultOk;
}

//==============================================================================
StereoBlock::StereoBlock (int numSamples, double sampleRate)
{
    const auto length = static_cast<size_t> (std::max (numSamples, 0));

    for (size_t channel = 0; channel < 2; ++channel)
    {
        input[channel].assign (length, 0.0f);
        output[channel].assign (length, 0.0f);
        inputChannels[channel] = input[channel].data();
        outputChannels[channel] = output[channel].data();
    }

    inputBus.numChannels = 2;
    inputBus.channelBuffers32 = inputChannels.data();
    outputBus.numChannels = 2;
    outputBus.channelBuffers32 = outputChannels.data();

    context.state = Vst::ProcessContext::kTempoValid;
    context.sampleRate = sampleRate;
    context.tempo = 120.0;

    data.processMode = Vst::kRealtime;
    data.symbolicSampleSize = Vst::kSample32;
    data.numSamples = numSamples;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inputBus;
    data.outputs = &outputBus;
    data.processContext = &context;
}

void StereoBlock::fillInputWithImpulse()
{
    for (auto& channel : input)
        if (! channel.empty())
            channel.front() = 1.0f;
}

void StereoBlock::poisonOutput()
{
    for (auto& channel : output)
        std::fill (channel.begin(), channel.end(), std::numeric_limits<float>::quiet_NaN());
}

int StereoBlock::nonFiniteOutputSamples() const
{
    int count = 0;

    for (const auto& channel : output)
        count += static_cast<int> (std::count_if (channel.begin(), channel.end(), [] (float sample)
                                                  { return ! std::isfinite (sample); }));

    return count;
}

//==============================================================================
PluginInstance::PluginInstance (const Vst3Module& module, FUnknown* hostContext)
{
    auto& factory = module.factory();
    const auto componentClass = module.classId (kVstAudioEffectClass);
    void* object = nullptr;
    check (factory.createInstance (componentClass.data(), Vst::IComponent::iid, &object), "createInstance (component)");
    componentInterface = static_cast<Vst::IComponent*> (object);
    check (componentInterface->initialize (hostContext), "IComponent::initialize");

    processorInterface = queried<Vst::IAudioProcessor> (componentInterface);

    if (processorInterface == nullptr)
        throw HostError ("the component is no IAudioProcessor");

    TUID controllerClass;
    check (componentInterface->getControllerClassId (controllerClass), "getControllerClassId");
    object = nullptr;
    check (factory.createInstance (controllerClass, Vst::IEditController::iid, &object), "createInstance (controller)");
    controllerInterface = static_cast<Vst::IEditController*> (object);
    check (controllerInterface->initialize (hostContext), "IEditController::initialize");

    componentConnection = queried<Vst::IConnectionPoint> (componentInterface);
    controllerConnection = queried<Vst::IConnectionPoint> (controllerInterface);

    if (componentConnection == nullptr || controllerConnection == nullptr)
        throw HostError ("component and controller cannot be connected");

    componentConnection->connect (controllerConnection);
    controllerConnection->connect (componentConnection);
}

PluginInstance::~PluginInstance()
{
    if (processing)
        processorInterface->setProcessing (false);

    if (active)
        componentInterface->setActive (false);

    if (componentConnection != nullptr && controllerConnection != nullptr)
    {
        componentConnection->disconnect (controllerConnection);
        controllerConnection->disconnect (componentConnection);
    }

    for (auto* connection : { componentConnection, controllerConnection })
        if (connection != nullptr)
            connection->release();

    if (controllerInterface != nullptr)
    {
        controllerInterface->terminate();
        controllerInterface->release();
    }

    if (processorInterface != nullptr)
        processorInterface->release();

    if (componentInterface != nullptr)
    {
        componentInterface->terminate();
        componentInterface->release();
    }
}

void PluginInstance::useStereoBuses()
{
    check (componentInterface->activateBus (Vst::kAudio, Vst::kInput, 0, true), "activateBus (input)");
    check (componentInterface->activateBus (Vst::kAudio, Vst::kOutput, 0, true), "activateBus (output)");

    Vst::SpeakerArrangement input = Vst::SpeakerArr::kStereo;
    Vst::SpeakerArrangement output = Vst::SpeakerArr::kStereo;
    check (processorInterface->setBusArrangements (&input, 1, &output, 1), "setBusArrangements");
}

tresult PluginInstance::setupProcessing (double sampleRate, int32 maxSamplesPerBlock)
{
    Vst::ProcessSetup setup{ Vst::kRealtime, Vst::kSample32, maxSamplesPerBlock, sampleRate };
    return processorInterface->setupProcessing (setup);
}

void PluginInstance::startProcessing()
{
    check (componentInterface->setActive (true), "setActive (true)");
    active = true;
    check (processorInterface->setProcessing (true), "setProcessing (true)");
    processing = true;
}

void PluginInstance::stopProcessing()
{
    if (processing)
        processorInterface->setProcessing (false);

    processing = false;

    if (active)
        componentInterface->setActive (false);

    active = false;
}

Vst::ParamID PluginInstance::parameterId (const std::string& title) const
{
    for (int32 i = 0; i < controllerInterface->getParameterCount(); ++i)
    {
        Vst::ParameterInfo info{};

        if (controllerInterface->getParameterInfo (i, info) == kResultOk && utf8Title (info.title) == title)
            return info.id;
    }

    throw HostError ("the controller has no parameter " + title);
}

Vst::ParamID PluginInstance::hostBypassId() const
{
    for (int32 i = 0; i < controllerInterface->getParameterCount(); ++i)
    {
        Vst::ParameterInfo info{};

        if (controllerInterface->getParameterInfo (i, info) == kResultOk && (info.flags & Vst::ParameterInfo::kIsBypass) != 0)
            return info.id;
    }

    throw HostError ("the controller flags no parameter as the host's bypass");
}

void PluginInstance::setParameter (Vst::ParamID id, double normalisedValue)
{
    check (controllerInterface->setParamNormalized (id, normalisedValue), "setParamNormalized");
}

std::vector<std::uint8_t> PluginInstance::state() const
{
    MemoryStream stream;
    check (componentInterface->getState (&stream), "IComponent::getState");
    return stream.data();
}

tresult PluginInstance::restoreState (const std::vector<std::uint8_t>& bytes)
{
    MemoryStream stream (bytes);
    const auto result = componentInterface->setState (&stream);
    stream.seek (0, IBStream::kIBSeekSet, nullptr);
    controllerInterface->setComponentState (&stream);
    return result;
}
} // namespace echovane::rawhost
