#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/record.h>

#include <functional>

namespace echovane::gtkhost
{
/** Watches another client's X connection through the server's RECORD extension: which window
    its focus queries (GetInputFocus) were answered with, and how many BadWindow errors its
    QueryTree requests drew. The server sends those errors whatever the client then does with
    them, so they are counted alike in a client that traps them and in one that dies of them. */
class ConnectionRecorder final
{
public:
    /** Records on a connection of its own to the display `control` is connected to; `control`
        sets up what is recorded. Throws std::runtime_error when the server has no RECORD. */
    explicit ConnectionRecorder (Display* control);
    ~ConnectionRecorder();

    ConnectionRecorder (const ConnectionRecorder&) = delete;
    ConnectionRecorder& operator= (const ConnectionRecorder&) = delete;

    /** Starts watching the client that owns `resourceOfTheClient` (any window it made). */
    void watchClientOf (XID resourceOfTheClient);

    /** Runs until `condition` holds, taking in what the server recorded; false after `timeoutMs`. */
    bool waitUntil (const std::function<bool()>& condition, int timeoutMs);

    /** The window the last recorded focus query was answered with. */
    Window lastFocusAnswer() const { return focusAnswer; }

    /** Forgets the last focus answer, so that the next one can be waited for. */
    void forgetFocusAnswer() { focusAnswer = None; }

    int queryTreeBadWindowCount() const { return queryTreeBadWindows; }

private:
    Display* control;
    Display* data = nullptr;
    XRecordContext context = 0;
    XRecordRange* focusReplies = nullptr;
    XRecordRange* badWindows = nullptr;
    Window focusAnswer = None;
    int queryTreeBadWindows = 0;

    static void intercepted (XPointer self, XRecordInterceptData* record);
};
} // namespace echovane::gtkhost
