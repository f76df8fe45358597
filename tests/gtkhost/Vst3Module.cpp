#include "Vst3Module.h"

#include <pluginterfaces/vst/ivstaudioprocessor.h>

#include <cstring>
#include <dlfcn.h>
#include <stdexcept>

namespace echovane::gtkhost
{
using namespace Steinberg;

tresult PLUGIN_API HostApplication::getName (Vst::String128 name)
{
    const char* const ourName = "Echovane GTK 2 test host";
    size_t i = 0;

    for (; ourName[i] != 0 && i < 127; ++i)
        name[i] = static_cast<Vst::TChar> (ourName[i]);

    name[i] = 0;
    return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance (TUID, TUID, void** object)
{
    *object = nullptr;
    return kNotImplemented;
}

tresult PLUGIN_API HostApplication::queryInterface (const TUID queried, void** object)
{
    if (FUnknownPrivate::iidEqual (queried, FUnknown::iid) || FUnknownPrivate::iidEqual (queried, Vst::IHostApplication::iid))
    {
        *object = this;
        return kResultOk;
    }

    *object = nullptr;
    return kNoInterface;
}

namespace
{
template<typename Function>
Function findEntry (void* library, const char* name)
{
    auto* const symbol = dlsym (library, name);

    if (symbol == nullptr)
        throw std::runtime_error (std::string ("the module exports no ") + name);

    return reinterpret_cast<Function> (symbol);
}

template<typename Interface>
Interface* queryFrom (FUnknown* object)
{
    void* result = nullptr;
    return object != nullptr && object->queryInterface (Interface::iid, &result) == kResultOk ? static_cast<Interface*> (result) : nullptr;
}
} // namespace

Vst3Module::Vst3Module (const std::string& libraryPath)
{
    try
    {
        library = dlopen (libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);

        if (library == nullptr)
            throw std::runtime_error (std::string ("cannot load the module: ") + dlerror());

        const auto moduleEntry = findEntry<bool (*) (void*)> (library, "ModuleEntry");
        moduleExit = findEntry<bool (*)()> (library, "ModuleExit");
        const auto getFactory = findEntry<IPluginFactory* (*) ()> (library, "GetPluginFactory");

        if (! moduleEntry (library))
        {
            moduleExit = nullptr;
            throw std::runtime_error ("ModuleEntry failed");
        }

        factory = getFactory();

        if (factory == nullptr)
            throw std::runtime_error ("GetPluginFactory gave no factory");

        for (int32 index = 0; index < factory->countClasses() && component == nullptr; ++index)
        {
            PClassInfo info{};

            if (factory->getClassInfo (index, &info) != kResultOk || std::strcmp (info.category, kVstAudioEffectClass) != 0)
                continue;

            void* created = nullptr;

            if (factory->createInstance (info.cid, Vst::IComponent::iid, &created) == kResultOk)
                component = static_cast<Vst::IComponent*> (created);
        }

        if (component == nullptr || component->initialize (&hostApplication) != kResultOk)
            throw std::runtime_error ("the module has no audio effect that initialises");

        TUID controllerId{};
        void* created = nullptr;

        if (component->getControllerClassId (controllerId) != kResultOk
            || factory->createInstance (controllerId, Vst::IEditController::iid, &created) != kResultOk)
            throw std::runtime_error ("the effect has no separate edit controller");

        controller = static_cast<Vst::IEditController*> (created);

        if (controller->initialize (&hostApplication) != kResultOk)
            throw std::runtime_error ("the edit controller does not initialise");

        componentConnection = queryFrom<Vst::IConnectionPoint> (component);
        controllerConnection = queryFrom<Vst::IConnectionPoint> (controller);

        if (componentConnection == nullptr || controllerConnection == nullptr)
            throw std::runtime_error ("the component and its controller cannot be connected");

        componentConnection->connect (controllerConnection);
        controllerConnection->connect (componentConnection);
    }
    catch (...)
    {
        unload();
        throw;
    }
}

Vst3Module::~Vst3Module()
{
    unload();
}

void Vst3Module::unload()
{
    if (componentConnection != nullptr && controllerConnection != nullptr)
    {
        controllerConnection->disconnect (componentConnection);
        componentConnection->disconnect (controllerConnection);
    }

    for (auto** connection : { &componentConnection, &controllerConnection })
    {
        if (*connection != nullptr)
            (*connection)->release();

        *connection = nullptr;
    }

    if (controller != nullptr)
    {
        controller->terminate();
        controller->release();
        controller = nullptr;
    }

    if (component != nullptr)
    {
        component->terminate();
        component->release();
        component = nullptr;
    }

    if (factory != nullptr)
    {
        factory->release();
        factory = nullptr;
    }

    if (moduleExit != nullptr)
    {
        moduleExit();
        moduleExit = nullptr;
    }

    if (library != nullptr)
    {
        dlclose (library);
        library = nullptr;
    }
}
} // namespace echovane::gtkhost
