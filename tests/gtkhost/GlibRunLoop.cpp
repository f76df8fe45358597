#include "GlibRunLoop.h"

#include <glib-unix.h>

namespace echovane::gtkhost
{
using namespace Steinberg;

GlibRunLoop::~GlibRunLoop()
{
    while (! registrations.empty())
        removeAllOf (registrations.front()->handler);
}

tresult PLUGIN_API GlibRunLoop::registerEventHandler (Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
    if (handler == nullptr || fd < 0)
        return kInvalidArgument;

    handler->addRef();
    auto* const registration = new Registration{ handler, fd };
    registration->source = g_unix_fd_add_full (G_PRIORITY_DEFAULT, fd, static_cast<GIOCondition> (G_IO_IN | G_IO_ERR | G_IO_HUP), fdIsReady, registration, forget);
    registrations.push_back (registration);
    return kResultOk;
}

tresult PLUGIN_API GlibRunLoop::unregisterEventHandler (Linux::IEventHandler* handler)
{
    return removeAllOf (handler);
}

tresult PLUGIN_API GlibRunLoop::registerTimer (Linux::ITimerHandler* handler, Linux::TimerInterval milliseconds)
{
    if (handler == nullptr || milliseconds == 0)
        return kInvalidArgument;

    handler->addRef();
    auto* const registration = new Registration{ handler, -1 };
    registration->source = g_timeout_add_full (G_PRIORITY_DEFAULT, static_cast<guint> (milliseconds), timerFired, registration, forget);
    registrations.push_back (registration);
    return kResultOk;
}

tresult PLUGIN_API GlibRunLoop::unregisterTimer (Linux::ITimerHandler* handler)
{
    return removeAllOf (handler);
}

tresult GlibRunLoop::removeAllOf (FUnknown* handler)
{
    auto removed = false;

    for (auto it = registrations.begin(); it != registrations.end();)
    {
        if ((*it)->handler == handler)
        {
            g_source_remove ((*it)->source);
            it = registrations.erase (it);
            removed = true;
        }
        else
        {
            ++it;
        }
    }

    return removed ? kResultOk : kInvalidArgument;
}

gboolean GlibRunLoop::fdIsReady (gint fd, GIOCondition, gpointer registration)
{
    auto* const handler = static_cast<Linux::IEventHandler*> (static_cast<Registration*> (registration)->handler);
    handler->onFDIsSet (fd);
    return G_SOURCE_CONTINUE;
}

gboolean GlibRunLoop::timerFired (gpointer registration)
{
    auto* const handler = static_cast<Linux::ITimerHandler*> (static_cast<Registration*> (registration)->handler);
    handler->onTimer();
    return G_SOURCE_CONTINUE;
}

void GlibRunLoop::forget (gpointer registration)
{
    auto* const gone = static_cast<Registration*> (registration);
    gone->handler->release();
    delete gone;
}

tresult PLUGIN_API GlibRunLoop::queryInterface (const TUID queried, void** object)
{
    if (FUnknownPrivate::iidEqual (queried, FUnknown::iid) || FUnknownPrivate::iidEqual (queried, Linux::IRunLoop::iid))
    {
        *object = this;
        return kResultOk;
    }

    *object = nullptr;
    return kNoInterface;
}
} // namespace echovane::gtkhost
