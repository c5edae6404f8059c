#pragma once

// The SSE2 fast paths are used where the compiler targets SSE2; every one
// has a plain loop beside it, which a build with QUORVANE_SCALAR defined
// uses instead, so that it is built and tested too.
#if defined(__SSE2__) && !defined(QUORVANE_SCALAR)
#define QUORVANE_SSE2 1
#include <emmintrin.h>
#endif
