#pragma once

#include "Vst3Interfaces.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

/** A VST3 host of our own, straight on the SDK's interfaces: it hands the plug-in exactly what a
    test builds, where JUCE's hosting would check and tidy it first. */
namespace echovane::rawhost
{
/** A call the plug-in refused where the test needs it to succeed. */
struct HostError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/** The bundle's binary as a host opens it: dlopen, ModuleEntry, GetPluginFactory; closed in the
    reverse order. */
class Vst3Module
{
public:
    explicit Vst3Module (const std::string& binaryPath);
    ~Vst3Module();

    Vst3Module (const Vst3Module&) = delete;
    Vst3Module& operator= (const Vst3Module&) = delete;

    Steinberg::IPluginFactory& factory() const { return *pluginFactory; }

    /** The class ID of the module's class of this category, e.g. kVstAudioEffectClass. */
    std::array<char, 16> classId (const char* category) const;

private:
    void* handle = nullptr;
    bool entered = false;
    Steinberg::IPluginFactory* pluginFactory = nullptr;
};

/** The host application a plug-in is initialised with, as a host hands over its own: a name and
    nothing else. */
class HostApplication final : public Steinberg::Vst::IHostApplication
{
public:
    explicit HostApplication (std::string hostName)
        : name (std::move (hostName))
    {
    }
    virtual ~HostApplication() = default;

    Steinberg::tresult PLUGIN_API getName (Steinberg::Vst::String128 nameToFill) override;
    Steinberg::tresult PLUGIN_API createInstance (Steinberg::TUID, Steinberg::TUID, void** object) override;

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID wanted, void** object) override;
    // Lives as long as the instances it is handed to; nothing counts its references.
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    std::string name;
};

/** A stream over bytes held by the host, seekable and sized, as hosts hand state to plug-ins. */
class MemoryStream final : public Steinberg::IBStream
    , public Steinberg::ISizeableStream
{
public:
    MemoryStream() = default;
    explicit MemoryStream (std::vector<std::uint8_t> initialBytes)
        : bytes (std::move (initialBytes))
    {
    }
    virtual ~MemoryStream() = default;

    const std::vector<std::uint8_t>& data() const { return bytes; }

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** object) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++references; }
    Steinberg::uint32 PLUGIN_API release() override { return --references; }

    Steinberg::tresult PLUGIN_API read (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesRead) override;
    Steinberg::tresult PLUGIN_API write (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesWritten) override;
    Steinberg::tresult PLUGIN_API seek (Steinberg::int64 pos, Steinberg::int32 mode, Steinberg::int64* result) override;
    Steinberg::tresult PLUGIN_API tell (Steinberg::int64* pos) override;

    Steinberg::tresult PLUGIN_API getStreamSize (Steinberg::int64& size) override;
    Steinberg::tresult PLUGIN_API setStreamSize (Steinberg::int64 size) override;

private:
    std::vector<std::uint8_t> bytes;
    Steinberg::int64 position = 0;
    // Lives on the stack of the host's call; the count only keeps the plug-in's calls balanced.
    Steinberg::uint32 references = 1;
};

/** Host-owned stereo buffers and the ProcessData that points at them: one input bus and one
    output bus of two channels, 32-bit samples, at a tempo. */
class StereoBlock
{
public:
    StereoBlock (int numSamples, double sampleRate);

    StereoBlock (const StereoBlock&) = delete;
    StereoBlock& operator= (const StereoBlock&) = delete;

    /** The input: an impulse at the first sample, so the delay has something to repeat. */
    void fillInputWithImpulse();
    /** The output before processing: NaN, so any sample the plug-in leaves alone shows. */
    void poisonOutput();
    /** How many output samples are not finite numbers. */
    int nonFiniteOutputSamples() const;

    Steinberg::Vst::ProcessData data;

private:
    std::array<std::vector<float>, 2> input, output;
    std::array<float*, 2> inputChannels{}, outputChannels{};
    Steinberg::Vst::AudioBusBuffers inputBus{}, outputBus{};
    Steinberg::Vst::ProcessContext context{};
};

/** One instance of the plug-in as a host makes it: component and controller created from the
    factory, initialised and connected to each other; released in the reverse order. */
class PluginInstance
{
public:
    /** `hostContext` is what both are initialised with, as a host hands over its application;
        the default hands over none. It must outlive the instance. */
    explicit PluginInstance (const Vst3Module& module, Steinberg::FUnknown* hostContext = nullptr);
    ~PluginInstance();

    PluginInstance (const PluginInstance&) = delete;
    PluginInstance& operator= (const PluginInstance&) = delete;

    Steinberg::Vst::IComponent& component() const { return *componentInterface; }
    Steinberg::Vst::IAudioProcessor& processor() const { return *processorInterface; }
    Steinberg::Vst::IEditController& controller() const { return *controllerInterface; }

    /** Turns both stereo buses on (the plug-in starts with them off) and asks for stereo in and out. */
    void useStereoBuses();
    /** setupProcessing for real-time 32-bit processing; returns the plug-in's answer. */
    Steinberg::tresult setupProcessing (double sampleRate, Steinberg::int32 maxSamplesPerBlock);
    void startProcessing();
    void stopProcessing();

    /** The VST3 ID of the parameter with this title, through the controller's parameter list. */
    Steinberg::Vst::ParamID parameterId (const std::string& title) const;
    /** The VST3 ID of the parameter the controller flags as the host's bypass. */
    Steinberg::Vst::ParamID hostBypassId() const;
    /** Sets a parameter as a host does outside playback: through the controller. */
    void setParameter (Steinberg::Vst::ParamID id, double normalisedValue);

    std::vector<std::uint8_t> state() const;
    Steinberg::tresult restoreState (const std::vector<std::uint8_t>& bytes);

private:
    Steinberg::Vst::IComponent* componentInterface = nullptr;
    Steinberg::Vst::IAudioProcessor* processorInterface = nullptr;
    Steinberg::Vst::IEditController* controllerInterface = nullptr;
    Steinberg::Vst::IConnectionPoint* componentConnection = nullptr;
    Steinberg::Vst::IConnectionPoint* controllerConnection = nullptr;
    bool active = false;
    bool processing = false;
};

/** The built bundle's binary (defined beside the checks that load it, not in the hosts that are
    handed it on their command line). */
std::string builtBinary();
} // namespace echovane::rawhost
