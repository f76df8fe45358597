#pragma once

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivsthostapplication.h>
#include <pluginterfaces/vst/ivstmessage.h>

#include <string>

namespace echovane::gtkhost
{
/** The host application a VST3 plug-in is initialised with: a name and nothing else, as the
    plug-in's component and controller talk to each other directly here. */
class HostApplication final : public Steinberg::Vst::IHostApplication
{
public:
    Steinberg::tresult PLUGIN_API getName (Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API createInstance (Steinberg::TUID, Steinberg::TUID, void** object) override;

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID queried, void** object) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }
};

/** A VST3 module loaded through its raw entry points, as a DAW that is not built on JUCE loads it:
    the library, its factory, the first audio effect's component and its edit controller,
    connected to each other. Everything is undone in reverse order when it goes. */
class Vst3Module final
{
public:
    /** Loads the module's shared library; throws std::runtime_error with the reason when any
        step fails. */
    explicit Vst3Module (const std::string& libraryPath);
    ~Vst3Module();

    Vst3Module (const Vst3Module&) = delete;
    Vst3Module& operator= (const Vst3Module&) = delete;

    Steinberg::Vst::IEditController& getController() const { return *controller; }

private:
    void* library = nullptr;
    bool (*moduleExit)() = nullptr;
    Steinberg::IPluginFactory* factory = nullptr;
    Steinberg::Vst::IComponent* component = nullptr;
    Steinberg::Vst::IEditController* controller = nullptr;
    Steinberg::Vst::IConnectionPoint* componentConnection = nullptr;
    Steinberg::Vst::IConnectionPoint* controllerConnection = nullptr;
    HostApplication hostApplication;

    void unload();
};
} // namespace echovane::gtkhost
