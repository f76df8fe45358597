#include "SocketEditorWindow.h"

#include <gdk/gdkx.h>
#include <stdexcept>

namespace echovane::gtkhost
{
using namespace Steinberg;

SocketEditorWindow::SocketEditorWindow (Vst::IEditController& controller, GlibRunLoop& loop, std::function<void (unsigned long, unsigned long)> embedded)
    : runLoop (loop)
    , onEmbedded (std::move (embedded))
{
    view = controller.createView (Vst::ViewType::kEditor);

    if (view == nullptr)
        throw std::runtime_error ("the controller gives no editor view");

    if (view->isPlatformTypeSupported (kPlatformTypeX11EmbedWindowID) != kResultTrue)
    {
        view->release();
        throw std::runtime_error ("the view cannot be embedded in an X11 window");
    }

    view->setFrame (this);

    window = gtk_window_new (GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title (GTK_WINDOW (window), "Echovane in a GTK 2 host");
    socket = gtk_socket_new();
    gtk_widget_set_can_focus (socket, TRUE);
    gtk_container_add (GTK_CONTAINER (window), socket);

    ViewRect size{};

    if (view->getSize (&size) == kResultTrue)
        sizeSocketTo (size);

    g_signal_connect (socket, "realize", G_CALLBACK (socketRealised), this);
    g_signal_connect (socket, "plug-added", G_CALLBACK (plugAdded), this);
    gtk_widget_show_all (window);
}

SocketEditorWindow::~SocketEditorWindow()
{
    if (attached)
        view->removed();

    view->setFrame (nullptr);
    view->release();
    gtk_widget_destroy (window);
}

void SocketEditorWindow::socketRealised (GtkWidget* socketWidget, gpointer self)
{
    auto& editorWindow = *static_cast<SocketEditorWindow*> (self);
    const auto parent = static_cast<uintptr_t> (gtk_socket_get_id (GTK_SOCKET (socketWidget)));

    editorWindow.attached = editorWindow.view->attached (reinterpret_cast<void*> (parent), kPlatformTypeX11EmbedWindowID) == kResultOk;

    // Nothing may be thrown through GTK's C code: a view that did not attach is reported as an
    // embedding without a window.
    if (! editorWindow.attached)
        editorWindow.onEmbedded (0, 0);
}

void SocketEditorWindow::plugAdded (GtkSocket* socketWidget, gpointer self)
{
    auto& editorWindow = *static_cast<SocketEditorWindow*> (self);

    if (auto* plug = gtk_socket_get_plug_window (socketWidget))
        editorWindow.onEmbedded (GDK_WINDOW_XID (plug), GDK_WINDOW_XID (gtk_widget_get_window (editorWindow.window)));
}

tresult PLUGIN_API SocketEditorWindow::resizeView (IPlugView* resizedView, ViewRect* newSize)
{
    if (resizedView != view || newSize == nullptr)
        return kInvalidArgument;

    sizeSocketTo (*newSize);
    return view->onSize (newSize);
}

void SocketEditorWindow::sizeSocketTo (const ViewRect& size)
{
    gtk_widget_set_size_request (socket, size.getWidth(), size.getHeight());
}

tresult PLUGIN_API SocketEditorWindow::queryInterface (const TUID queried, void** object)
{
    if (FUnknownPrivate::iidEqual (queried, FUnknown::iid) || FUnknownPrivate::iidEqual (queried, IPlugFrame::iid))
    {
        *object = static_cast<IPlugFrame*> (this);
        return kResultOk;
    }

    // The view finds the host's run loop on its frame.
    return runLoop.queryInterface (queried, object);
}
} // namespace echovane::gtkhost
