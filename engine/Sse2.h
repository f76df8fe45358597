#pragma once

// SSE2 is part of every 64-bit Intel processor; elsewhere (an arm build) the plain code paths do
// the same arithmetic one value at a time.
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define ECHOVANE_SSE2 1
#else
#define ECHOVANE_SSE2 0
#endif
