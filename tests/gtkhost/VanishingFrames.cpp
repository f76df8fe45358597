#include "VanishingFrames.h"

#include <stdexcept>

namespace echovane::gtkhost
{
VanishingFrames::VanishingFrames (Display* displayToUse, int depth)
    : display (displayToUse)
{
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;

    // The visual copied from the parent: CopyFromParent, as a pointer.
    outermost = XCreateWindow (display, DefaultRootWindow (display), 0, 0, 8, 8, 0, CopyFromParent, InputOutput,
                               nullptr, CWOverrideRedirect, &attributes);
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

    XSetInputFocus (display, focused, RevertToPointerRoot, CurrentTime);
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
