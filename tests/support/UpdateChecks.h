#pragma once

#include "MessagePump.h"
#include "info/UpdateThread.h"

namespace echovane::testing
{
/** Whether every update check of the plug-in code linked into this test program has ended,
    within a bound that outlasts the five-second connection time-out of a check left hanging by
    an earlier test. */
inline bool updateChecksSettle (int timeoutMs = 15000)
{
    return pumpUntil ([]
                      { return UpdateThread::runningChecks() == 0; },
                      timeoutMs);
}
} // namespace echovane::testing
