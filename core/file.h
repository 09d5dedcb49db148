// File layer: one set of operations over plain files and pack entries alike, a plain-only set, and
// the fatal stop every file failure ends in.
#pragma once
#include <cstdint>

#include <fcntl.h>

// The game's open modes carry binary and text flags that mean nothing here: every file is binary.
inline constexpr int O_BINARY = 0;
inline constexpr int O_TEXT = 0;

// Index of the pack entry whose pack file was positioned last (saves a seek on the next read).
extern int32_t FILE_LastEntry;

// 1 when the plain file opens for reading (it is closed again at once). Packs are not consulted.
int FILE_Exists(const char *path);

// Handles: 0 or more is a plain file (the platform's descriptor), -(index + 1) a pack entry.
int32_t FILE_Open(const char *path, int mode);
int32_t FILE_Read(int32_t handle, void *buffer, uint32_t count);
int32_t FILE_Write(int32_t handle, const void *buffer, uint32_t count);
int32_t FILE_Seek(int32_t handle, int32_t offset, int whence);
int32_t FILE_Close(int32_t handle);

int32_t FILE_OpenPlain(const char *path, int mode);
int32_t FILE_ReadPlain(int32_t handle, void *buffer, uint32_t count);
int32_t FILE_SeekPlain(int32_t handle, int32_t offset, int whence);
int32_t FILE_ClosePlain(int32_t handle);

// The saves' set: plain files whose failures the caller answers itself. Each gives -1 on a failure;
// the read and the write give the count transferred, which may be short.
int32_t FILE_TryOpen(const char *path, int mode);
int32_t FILE_TryRead(int32_t handle, void *buffer, uint32_t count);
int32_t FILE_TryWrite(int32_t handle, const void *buffer, uint32_t count);
int32_t FILE_TryClose(int32_t handle);
int32_t FILE_TryRemove(const char *path);
// A written file reaches the disk before it replaces another: 0, or -1.
int32_t FILE_SyncPlain(int32_t handle);
// Renames from over to in one step (an existing to is replaced): 0, or -1.
int32_t FILE_RenamePlain(const char *from, const char *to);

// Shows the message (printf rules) in the "Error" box and ends the process with 999. level is unused.
[[noreturn]] void FILE_FatalError(int level, const char *format, ...) __attribute__((format(printf, 2, 3)));
