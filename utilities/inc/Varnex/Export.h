// Symbol visibility for the Varnex shared library.
//
// The library is built with hidden visibility; only declarations marked
// VARNEX_EXPORT (the host API, logging control, JSON helpers and the clock
// seam) are visible to a program that loads it.
#pragma once

#if defined(__GNUC__)
#define VARNEX_EXPORT __attribute__((visibility("default")))
#else
#define VARNEX_EXPORT
#endif
