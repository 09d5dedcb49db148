// For the harnesses that hand the 3D library a work area of their own: the area's free remainder
// poisoned under AddressSanitizer while the input is worked on, so that a read or write past the
// blocks the library took shows. Without AddressSanitizer the macros do nothing.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define KALDER_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KALDER_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#endif
#endif
#ifndef KALDER_POISON
#define KALDER_POISON(p, n) ((void)(p), (void)(n))
#define KALDER_UNPOISON(p, n) ((void)(p), (void)(n))
#endif
