// Models: the 3D library's file source and the loading of models into object slots.
#pragma once
#include <cstdint>

// Writes the bytes of the named 3D file at the destination: the file's length (its first 8 bytes
// skipped, length - 8 bytes written), 0 when the source refuses, -1 when the file is found nowhere.
int32_t MDL_FileHook(const char *name, void *destination, int32_t room);
// Stops the game on a model or animation that cannot be read: the box shows the text, exit code 999.
[[noreturn]] void MDL_LoadError(const char *text);
