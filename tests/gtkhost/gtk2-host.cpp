// echovane-gtk2-host PLUGIN_LIBRARY: a minimal GTK 2 host for one VST3 plug-in, the kind of
// foreign host the editor has to survive (Ardour 7's GUI is built the same way). It answers one
// command per line on stdin, each with one line on stdout:
//   open   opens the plug-in's editor in a window of its own
//          -> "opened <X window of the plug-in's view> <X window of the top-level window>"
//   close  closes that window as its close button does        -> "closed"
//   ping   proves the GUI thread is alive and has served what came before -> "pong"
//   quit   closes everything and exits with status 0
// GTK's initialisation installs GDK's X error handler for the whole process, and it is left in
// force: any X error on any connection of the process, the plug-in's own included, ends it.

#include "GlibRunLoop.h"
#include "RawVst3Host.h"
#include "SocketEditorWindow.h"

#include <cstdio>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace
{
using namespace Steinberg;
using echovane::gtkhost::GlibRunLoop;
using echovane::gtkhost::SocketEditorWindow;
using echovane::rawhost::HostApplication;
using echovane::rawhost::PluginInstance;
using echovane::rawhost::Vst3Module;

void answer (const std::string& line)
{
    std::printf ("%s\n", line.c_str());
    std::fflush (stdout);
}

class CommandLoop final
{
public:
    explicit CommandLoop (Vst::IEditController& controllerToHost)
        : controller (controllerToHost)
    {
        g_unix_fd_add (STDIN_FILENO, static_cast<GIOCondition> (G_IO_IN | G_IO_HUP | G_IO_ERR), inputArrived, this);
    }

    ~CommandLoop() { editor.reset(); }

private:
    Vst::IEditController& controller;
    GlibRunLoop runLoop;
    std::unique_ptr<SocketEditorWindow> editor;
    std::string pending;

    static gboolean inputArrived (gint fd, GIOCondition, gpointer self)
    {
        auto& loop = *static_cast<CommandLoop*> (self);
        char buffer[256];
        const auto count = read (fd, buffer, sizeof (buffer));

        if (count <= 0)
        {
            loop.editor.reset();
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        }

        loop.pending.append (buffer, static_cast<size_t> (count));

        for (auto end = loop.pending.find ('\n'); end != std::string::npos; end = loop.pending.find ('\n'))
        {
            const auto command = loop.pending.substr (0, end);
            loop.pending.erase (0, end + 1);

            if (! loop.run (command))
                return G_SOURCE_REMOVE;
        }

        return G_SOURCE_CONTINUE;
    }

    bool run (const std::string& command)
    {
        if (command == "open" && editor == nullptr)
        {
            // Nothing may be thrown through GTK's C code.
            try
            {
                editor = std::make_unique<SocketEditorWindow> (controller, runLoop, [] (unsigned long plugWindow, unsigned long topLevelWindow)
                                                               { answer (plugWindow != 0 ? "opened " + std::to_string (plugWindow) + " " + std::to_string (topLevelWindow)
                                                                                         : "error the view did not attach"); });
            }
            catch (const std::exception& failure)
            {
                answer (std::string ("error ") + failure.what());
            }
        }
        else if (command == "close" && editor != nullptr)
        {
            editor.reset();
            answer ("closed");
        }
        else if (command == "ping")
        {
            answer ("pong");
        }
        else if (command == "quit")
        {
            editor.reset();
            gtk_main_quit();
            return false;
        }
        else
        {
            answer ("error unknown or untimely command: " + command);
        }

        return true;
    }
};
} // namespace

int main (int argc, char** argv)
{
    gtk_init (&argc, &argv);

    if (argc != 2)
    {
        std::fprintf (stderr, "usage: echovane-gtk2-host PLUGIN_LIBRARY\n");
        return 2;
    }

    try
    {
        HostApplication application ("Echovane GTK 2 test host");
        const Vst3Module module (argv[1]);
        const PluginInstance plugin (module, &application);

        {
            CommandLoop commands (plugin.controller());
            answer ("ready");
            gtk_main();
        }

        return 0;
    }
    catch (const std::exception& failure)
    {
        std::fprintf (stderr, "echovane-gtk2-host: %s\n", failure.what());
        return 1;
    }
}
