// For the harnesses of the readers that open a game file: the input as a file on drive C, and the
// memory arena's free remainder poisoned while the reader runs, so that a read or write past the blocks
// it took shows under AddressSanitizer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/mem.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define KALDER_ARENA_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KALDER_ARENA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#endif
#endif
#if !defined(KALDER_ARENA_POISON) && defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define KALDER_ARENA_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KALDER_ARENA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#endif
#ifndef KALDER_ARENA_POISON
#define KALDER_ARENA_POISON(p, n) ((void)(p), (void)(n))
#define KALDER_ARENA_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// Poisons what lies above the arena's top now.
inline void Arena_PoisonFree(MEM_Stack *arena)
{
    KALDER_ARENA_POISON(arena->top, size_t(arena->base + arena->size - arena->top));
}

inline void Arena_UnpoisonAll(MEM_Stack *arena) { KALDER_ARENA_UNPOISON(arena->base, arena->size); }

// Writes the input as C:\<name> on a fresh drive map.
inline void Harness_WriteInput(const std::string &name, const uint8_t *data, size_t size)
{
    static kalder_test::TempDrives drives("C");
    test::Reset();
    test::MapDrive('C', drives.Host('C'));
    test::ResetCurrentDirectories();
    kalder_test::WriteHostFile(drives.Host('C') + "/" + name, std::vector<uint8_t>(data, data + size));
}
