#include "VanishingFrames.h"

#include <stdexcept>

namespace echovane::gtkhost
{
VanishingFrames::Desk::Desk (Display* displayToUse)
    : display (displayToUse)
{
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;

    // The visual copied from the parent: CopyFromParent, as a pointer.
    window = XCreateWindow (display, DefaultRootWindow (display), 0, 0, 8, 8, 0, CopyFromParent, InputOutput,
                            nullptr, CWOverrideRedirect, &attributes);
    XMapWindow (display, window);
    XSync (display, False);
}

VanishingFrames::Desk::~Desk()
{
    XDestroyWindow (display, window);
    XSync (display, False);
}

VanishingFrames::VanishingFrames (Display* displayToUse, const Desk& desk, int depth)
    : display (displayToUse)
{
    outermost = XCreateSimpleWindow (display, desk.getWindow(), 0, 0, 8, 8, 0, 0, 0);
    auto parent = outermost;

    for (int level = 1; level < depth; ++level)
    {
        parent = XCreateSimpleWindow (display, parent, 0, 0, 8, 8, 0, 0, 0);
        XMapWindow (display, parent);
    }

    focused = XCreateSimpleWindow (display, parent, 0, 0, 8, 8, 0, 0, 0);
    XMapWindow (display, focused);
    XMapWindow (display, outermost);
    XSync (display, False);

    // When the nest vanishes, the focus falls back to the closest viewable ancestor: the desk.
    XSetInputFocus (display, focused, RevertToParent, CurrentTime);
    Window focus = None;
    int revert = 0;
    XGetInputFocus (display, &focus, &revert);

    if (focus != focused)
    {
        vanish();
        throw std::runtime_error ("the focus did not land in the frames");
    }
}

VanishingFrames::~VanishingFrames()
{
    vanish();
}

void VanishingFrames::vanish()
{
    if (outermost == None)
        return;

    XDestroyWindow (display, outermost);
    XSync (display, False);
    outermost = None;
}
} // namespace echovane::gtkhost
