#include "ConnectionRecorder.h"

#include <X11/Xproto.h>

#include <chrono>
#include <cstring>
#include <poll.h>
#include <stdexcept>

namespace echovane::gtkhost
{
ConnectionRecorder::ConnectionRecorder (Display* controlDisplay)
    : control (controlDisplay)
{
    int major = 0;
    int minor = 0;

    if (! XRecordQueryVersion (control, &major, &minor))
        throw std::runtime_error ("the X server has no RECORD extension");

    data = XOpenDisplay (DisplayString (control));

    if (data == nullptr)
        throw std::runtime_error ("cannot open a second connection for recording");

    focusReplies = XRecordAllocRange();
    focusReplies->core_replies.first = X_GetInputFocus;
    focusReplies->core_replies.last = X_GetInputFocus;

    badWindows = XRecordAllocRange();
    badWindows->errors.first = BadWindow;
    badWindows->errors.last = BadWindow;

    XRecordRange* ranges[] = { focusReplies, badWindows };
    context = XRecordCreateContext (control, 0, nullptr, 0, ranges, 2);
    XSync (control, False);

    if (context == 0 || ! XRecordEnableContextAsync (data, context, intercepted, reinterpret_cast<XPointer> (this)))
    {
        XCloseDisplay (data);
        throw std::runtime_error ("cannot start recording");
    }
}

ConnectionRecorder::~ConnectionRecorder()
{
    XRecordDisableContext (control, context);
    XSync (control, False);
    XRecordProcessReplies (data);
    XRecordFreeContext (control, context);
    XFree (focusReplies);
    XFree (badWindows);
    XCloseDisplay (data);
}

void ConnectionRecorder::watchClientOf (XID resourceOfTheClient)
{
    XRecordClientSpec client = resourceOfTheClient;
    XRecordRange* ranges[] = { focusReplies, badWindows };
    XRecordRegisterClients (control, context, 0, &client, 1, ranges, 2);
    XSync (control, False);
}

bool ConnectionRecorder::waitUntil (const std::function<bool()>& condition, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto giveUpAt = Clock::now() + std::chrono::milliseconds (timeoutMs);

    for (;;)
    {
        XRecordProcessReplies (data);

        if (condition())
            return true;

        const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (giveUpAt - Clock::now()).count();

        if (left <= 0)
            return false;

        pollfd ready{ ConnectionNumber (data), POLLIN, 0 };
        poll (&ready, 1, static_cast<int> (left));
    }
}

void ConnectionRecorder::intercepted (XPointer self, XRecordInterceptData* record)
{
    auto& recorder = *reinterpret_cast<ConnectionRecorder*> (self);

    if (record->category == XRecordFromServer && record->data_len * 4 >= sizeof (xGenericReply))
    {
        if (record->data[0] == X_Reply)
        {
            // Only GetInputFocus replies are recorded.
            xGetInputFocusReply reply;
            std::memcpy (&reply, record->data, sizeof (reply));
            recorder.focusAnswer = reply.focus;
        }
        else if (record->data[0] == X_Error)
        {
            xError error;
            std::memcpy (&error, record->data, sizeof (error));

            if (error.errorCode == BadWindow && error.majorCode == X_QueryTree)
                ++recorder.queryTreeBadWindows;
        }
    }

    XRecordFreeData (record);
}
} // namespace echovane::gtkhost
