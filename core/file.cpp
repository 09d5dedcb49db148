// File layer: plain files and pack entries behind one handle type, where every failure is fatal, and
// the saves' plain set, whose failures come back to the caller.
#include "core/file.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "core/pack.h"
#include "core/sys.h"
#include "plat/files.h"

int32_t FILE_LastEntry;

void FILE_FatalError(int, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? size_t(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    SYS_FatalError(text.c_str(), 999, 1);
}

// The entry a negative handle stands for, or null when it is not an open entry of the table: a forged
// handle, or one kept past PACK_FreeTable, gets the operation's own fatal text instead of a stray read.
static PACK_Entry *open_entry(int32_t handle)
{
    int64_t index = -int64_t(handle) - 1;
    if (index < 0 || index >= PACK_Count || PACK_Table[index].open == 0) {
        return nullptr;
    }
    return &PACK_Table[index];
}

// A pack can lie inside an entry of another pack. Before reading through an entry, its chain of
// containers must end in a plain file within as many steps as the table has entries: a chain that
// comes back on itself would otherwise recurse without end.
static void check_containers(const PACK_Entry *entry)
{
    int32_t handle = entry->pack;
    for (int32_t steps = 0; handle < 0; steps++) {
        const PACK_Entry *container = steps < PACK_Count ? open_entry(handle) : nullptr;
        if (container == nullptr) {
            FILE_FatalError(1, "Kalder Internal Error : Seek file Error");
        }
        handle = container->pack;
    }
}

// Moves the pack file to a place inside an entry. Positions past 2 GB cannot be reached.
static void seek_pack(const PACK_Entry *entry, int64_t place)
{
    if (place > 0x7FFFFFFF) {
        FILE_FatalError(1, "Kalder Internal Error : Seek file Error");
    }
    check_containers(entry);
    FILE_Seek(entry->pack, int32_t(place), 0);
}

int FILE_Exists(const char *path)
{
    int fd = PLAT_Open(path, O_RDONLY | O_BINARY);
    if (fd < 0) {
        return 0;
    }
    PLAT_Close(fd);
    return 1;
}

int32_t FILE_Open(const char *path, int mode)
{
    int fd = PLAT_Open(path, mode);
    if (fd >= 0) {
        return fd;
    }
    int32_t index = PACK_Find(path);
    if (index < 0 || (mode & (O_WRONLY | O_CREAT)) != 0) {
        FILE_FatalError(1, "Kalder Internal Error : Open file Error");
    }
    PACK_Entry *entry = &PACK_Table[index];
    seek_pack(entry, int64_t(entry->offset) + entry->position);
    FILE_LastEntry = index;
    return -(index + 1);
}

int32_t FILE_Read(int32_t handle, void *buffer, uint32_t count)
{
    if (handle >= 0) {
        int32_t n = PLAT_Read(handle, buffer, count);
        if (n == -1) {
            FILE_FatalError(1, "Kalder Internal Error : Read file Error");
        }
        return n;
    }
    PACK_Entry *entry = open_entry(handle);
    if (entry == nullptr) {
        FILE_FatalError(1, "Kalder Internal Error : Read file Error");
    }
    int32_t index = -handle - 1;
    if (index != FILE_LastEntry) {
        seek_pack(entry, int64_t(entry->offset) + entry->position);
        FILE_LastEntry = index;
    }
    // In 64 bits, so that no count can wrap the sum round to a small number.
    if (uint64_t(uint32_t(entry->position)) + count > entry->size) {
        count = entry->size > uint32_t(entry->position) ? entry->size - uint32_t(entry->position) : 0;
    }
    // Places past 2 GB cannot be reached, so no read runs an entry's place past them either.
    if (uint64_t(uint32_t(entry->position)) + count > 0x7FFFFFFF) {
        count = 0x7FFFFFFF - uint32_t(entry->position);
    }
    check_containers(entry);
    int32_t n = FILE_Read(entry->pack, buffer, count);
    entry->position += n;
    return n;
}

int32_t FILE_Write(int32_t handle, const void *buffer, uint32_t count)
{
    if (handle < 0 || PLAT_Write(handle, buffer, count) != int64_t(count)) {
        FILE_FatalError(1, "Kalder Internal Error : Write file Error");
    }
    return int32_t(count);
}

int32_t FILE_Seek(int32_t handle, int32_t offset, int whence)
{
    if (handle >= 0) {
        int32_t position = PLAT_Seek(handle, offset, whence);
        if (position == -1) {
            FILE_FatalError(1, "Kalder Internal Error : Seek file Error");
        }
        return position;
    }
    PACK_Entry *entry = open_entry(handle);
    if (entry == nullptr) {
        FILE_FatalError(1, "Kalder Internal Error : Seek file Error");
    }
    int64_t position = entry->position;
    if (whence == 0) {
        position = offset;
    } else if (whence == 1) {
        position += offset;
    } else if (whence == 2) {
        position = int64_t(entry->size) + offset;
    }
    // The last byte is as far as a seek goes; an empty entry has none, so it stays at 0.
    if (position >= int64_t(entry->size)) {
        position = int64_t(entry->size) - 1;
    }
    if (position < 0) {
        position = 0;
    }
    seek_pack(entry, int64_t(entry->offset) + position);
    entry->position = int32_t(position);
    FILE_LastEntry = -handle - 1;
    return entry->position;
}

int32_t FILE_Close(int32_t handle)
{
    if (handle >= 0) {
        int result = PLAT_Close(handle);
        if (result == -1) {
            FILE_FatalError(1, "Kalder Internal Error : Close file Error");
        }
        return result;
    }
    // An entry keeps its open mark and position; the pack file stays open for the run.
    if (open_entry(handle) == nullptr) {
        FILE_FatalError(1, "Kalder Internal Error : Close file Error");
    }
    return 0;
}

int32_t FILE_OpenPlain(const char *path, int mode)
{
    int fd = PLAT_Open(path, mode);
    if (fd == -1) {
        FILE_FatalError(1, "Kalder Internal Error : Open file Error");
    }
    return fd;
}

int32_t FILE_ReadPlain(int32_t handle, void *buffer, uint32_t count)
{
    int32_t n = PLAT_Read(handle, buffer, count);
    if (n == -1) {
        FILE_FatalError(1, "Kalder Internal Error : Read file Error");
    }
    return n;
}

int32_t FILE_SeekPlain(int32_t handle, int32_t offset, int whence)
{
    int32_t position = PLAT_Seek(handle, offset, whence);
    if (position == -1) {
        FILE_FatalError(1, "Kalder Internal Error : Seek file Error");
    }
    return position;
}

int32_t FILE_ClosePlain(int32_t handle)
{
    int result = PLAT_Close(handle);
    if (result == -1) {
        FILE_FatalError(1, "Kalder Internal Error : Close file Error");
    }
    return result;
}

int32_t FILE_TryOpen(const char *path, int mode)
{
    int fd = PLAT_Open(path, mode);
    return fd >= 0 ? fd : -1;
}

int32_t FILE_TryRead(int32_t handle, void *buffer, uint32_t count) { return PLAT_Read(handle, buffer, count); }

int32_t FILE_TryWrite(int32_t handle, const void *buffer, uint32_t count) { return PLAT_Write(handle, buffer, count); }

int32_t FILE_TryClose(int32_t handle) { return PLAT_Close(handle) == 0 ? 0 : -1; }

int32_t FILE_TryRemove(const char *path) { return PLAT_Remove(path); }

int32_t FILE_SyncPlain(int32_t handle) { return PLAT_Sync(handle); }

int32_t FILE_RenamePlain(const char *from, const char *to) { return PLAT_Rename(from, to); }
