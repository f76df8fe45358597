#pragma once

#include "GlibRunLoop.h"

#include <pluginterfaces/gui/iplugview.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <functional>
#include <gtk/gtk.h>

namespace echovane::gtkhost
{
/** A plug-in window as Ardour 7 makes one on Linux: a GTK 2 top-level window holding a GtkSocket,
    whose X window the plug-in's view is attached to once the socket is realised. It is the view's
    IPlugFrame and hands the view the host's run loop. Destroying it closes the window the way
    the window's close button does in Ardour: the view is removed and released, then the window
    goes. */
class SocketEditorWindow final : public Steinberg::IPlugFrame
{
public:
    /** Once the socket has taken the plug-in's own window in, calls `onEmbedded` with the X
        windows of the plug-in's window and of the top-level window (which the window manager
        frames); with 0 for the first when the view does not attach. Throws std::runtime_error when
        the controller gives no view. */
    SocketEditorWindow (Steinberg::Vst::IEditController& controller, GlibRunLoop& runLoop, std::function<void (unsigned long, unsigned long)> onEmbedded);
    ~SocketEditorWindow();

    SocketEditorWindow (const SocketEditorWindow&) = delete;
    SocketEditorWindow& operator= (const SocketEditorWindow&) = delete;

    Steinberg::tresult PLUGIN_API resizeView (Steinberg::IPlugView* resizedView, Steinberg::ViewRect* newSize) override;

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID queried, void** object) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    GlibRunLoop& runLoop;
    std::function<void (unsigned long, unsigned long)> onEmbedded;
    Steinberg::IPlugView* view = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* socket = nullptr;
    bool attached = false;

    static void socketRealised (GtkWidget*, gpointer self);
    static void plugAdded (GtkSocket*, gpointer self);
    void sizeSocketTo (const Steinberg::ViewRect& size);
};
} // namespace echovane::gtkhost
