// Process services: ending the process, the standard output and the heap.
#pragma once
#include <cstddef>

// Ends the process with the code; the parent sees its low 8 bits.
[[noreturn]] void PLAT_Exit(int code);

// Writes text to the standard output (the window builds have no console to show it).
void PLAT_WriteStdout(const char *text);

// The heap the game allocates from; PLAT_HeapAlloc returns null when it is exhausted.
void *PLAT_HeapAlloc(size_t size);
void PLAT_HeapFree(void *block);

// Writes text to the standard error (debugging notes that are not the game's own output).
void PLAT_WriteStderr(const char *text);
// Grows or shrinks a block of that heap; null when it cannot (the block is then left as it was).
void *PLAT_HeapRealloc(void *block, size_t size);
