#pragma once

#include <X11/Xlib.h>

namespace echovane::gtkhost
{
/** What a window manager's frame is to a host's window, made by a client of its own: a nest of
    frames around a small window that holds the input focus, all of which vanish at once when
    `vanish` is called (or the nest goes), as a window manager destroys its frame when a window
    closes. Several frames make the focused window's ancestry deep, so that a walk up it takes
    long enough to be caught in the middle. The outermost frame is override-redirect: the
    window manager leaves it alone. */
class VanishingFrames final
{
public:
    /** Builds the nest with `depth` frames, maps it and gives its innermost window the focus;
        throws std::runtime_error when the focus does not land there. */
    VanishingFrames (Display* display, int depth);
    ~VanishingFrames();

    VanishingFrames (const VanishingFrames&) = delete;
    VanishingFrames& operator= (const VanishingFrames&) = delete;

    Window focusedWindow() const { return focused; }

    /** Destroys the whole nest, the focused window with it, and waits until the server has. */
    void vanish();

private:
    Display* display;
    Window outermost = None;
    Window focused = None;
};
} // namespace echovane::gtkhost
