#pragma once

#include <X11/Xlib.h>

namespace echovane::gtkhost
{
/** What a window manager's frame is to a host's window, made by a client of its own: a nest of
    frames around a small window that holds the input focus, all of which vanish at once when
    `vanish` is called (or the nest goes), as a window manager destroys its frame when a window
    closes. Several frames make the focused window's ancestry deep, so that a walk up it takes
    long enough to be caught in the middle. The nest lies in a desk: an override-redirect window
    that the window manager leaves alone and that takes the focus back when the nest vanishes, so
    the window manager never sees the focus drop and never moves it elsewhere. */
class VanishingFrames final
{
public:
    /** An override-redirect window on the root, mapped, for nests to be built in. */
    class Desk final
    {
    public:
        explicit Desk (Display* display);
        ~Desk();

        Desk (const Desk&) = delete;
        Desk& operator= (const Desk&) = delete;

        Window getWindow() const { return window; }

    private:
        Display* display;
        Window window;
    };

    /** Builds the nest with `depth` frames in `desk`, maps it and gives its innermost window the
        focus; throws std::runtime_error when the focus does not land there. */
    VanishingFrames (Display* display, const Desk& desk, int depth);
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
