#pragma once

#include <pluginterfaces/gui/iplugview.h>

#include <glib.h>
#include <list>

namespace echovane::gtkhost
{
/** The run loop a Linux host hands a VST3 view: the plug-in's file descriptors and timers served
    by GLib's main loop on the host's GUI thread, as GTK hosts such as Ardour serve them. */
class GlibRunLoop final : public Steinberg::Linux::IRunLoop
{
public:
    GlibRunLoop() = default;
    ~GlibRunLoop();

    GlibRunLoop (const GlibRunLoop&) = delete;
    GlibRunLoop& operator= (const GlibRunLoop&) = delete;

    Steinberg::tresult PLUGIN_API registerEventHandler (Steinberg::Linux::IEventHandler* handler, Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler (Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer (Steinberg::Linux::ITimerHandler* handler, Steinberg::Linux::TimerInterval milliseconds) override;
    Steinberg::tresult PLUGIN_API unregisterTimer (Steinberg::Linux::ITimerHandler* handler) override;

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID queried, void** object) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    /** One GLib source; GLib frees it once the source is gone and any call of it has returned,
        so a handler may unregister itself from inside its own call. */
    struct Registration
    {
        Steinberg::FUnknown* handler;
        int fd;
        guint source = 0;
    };

    std::list<Registration*> registrations;

    static gboolean fdIsReady (gint fd, GIOCondition, gpointer registration);
    static gboolean timerFired (gpointer registration);
    static void forget (gpointer registration);

    Steinberg::tresult removeAllOf (Steinberg::FUnknown* handler);
};
} // namespace echovane::gtkhost
