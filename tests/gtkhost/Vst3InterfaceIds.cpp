// The interface IDs this host asks for. The SDK declares them in its headers and leaves their
// one definition to the program; the core ones (FUnknown, IPluginBase, IPluginFactory) come with
// the SDK's coreiids.cpp, compiled in beside this file.
#include <pluginterfaces/gui/iplugview.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivsthostapplication.h>
#include <pluginterfaces/vst/ivstmessage.h>

namespace Steinberg
{
DEF_CLASS_IID (IPlugView)
DEF_CLASS_IID (IPlugFrame)
DEF_CLASS_IID (Linux::IEventHandler)
DEF_CLASS_IID (Linux::ITimerHandler)
DEF_CLASS_IID (Linux::IRunLoop)

namespace Vst
{
DEF_CLASS_IID (IAudioProcessor)
DEF_CLASS_IID (IComponent)
DEF_CLASS_IID (IEditController)
DEF_CLASS_IID (IHostApplication)
DEF_CLASS_IID (IConnectionPoint)
} // namespace Vst
} // namespace Steinberg
