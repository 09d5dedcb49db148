// The container: opens a model's ".DAN", keeps its packed model, maps and animations in the block
// buffer and unpacks each on request for the model file hook and the animation loader.
#include "world/dan.h"

#include <fcntl.h>

#include <cstring>

#include "core/lz.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/files.h"
#include "plat/system.h"
#include "world/dsn.h"
#include "world/stored_name.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif

DAN_State DAN_Container;

namespace {

constexpr uint32_t Block_Header = 5;

enum : uint8_t { Block_Tables = 0, Block_Model = 1, Block_Map = 2, Block_Anim = 3 };

// The block buffer is usable while the arena has not been reset since it was taken.
bool Alive()
{
    return DAN_Container.open && MEM_Arena != nullptr && MEM_Arena->resets == DAN_Container.arena_resets;
}

bool Read_Exact(void *buffer, uint32_t n)
{
    auto *at = static_cast<uint8_t *>(buffer);
    while (n > 0) {
        const int32_t got = PLAT_Read(DAN_Container.file, at, n);
        if (got <= 0) {
            return false;
        }
        at += got;
        n -= uint32_t(got);
    }
    return true;
}

// A block header of the expected type; gives the length of its packed bytes.
bool Read_Header(uint8_t type, uint32_t *packed)
{
    uint8_t header[Block_Header];
    int32_t length;
    if (!Read_Exact(header, Block_Header) || header[0] != type) {
        return false;
    }
    std::memcpy(&length, header + 1, 4);
    if (type != Block_Tables && length < int32_t(Block_Header)) {
        return false;
    }
    *packed = length >= int32_t(Block_Header) ? uint32_t(length) - Block_Header : 0;
    return true;
}

bool Read_Count(int32_t limit, int32_t *count)
{
    uint8_t bytes[2];
    if (!Read_Exact(bytes, 2)) {
        return false;
    }
    *count = bytes[0] | bytes[1] << 8;
    return *count <= limit;
}

int32_t Unpack(const DAN_Entry &entry, uint8_t *destination, int32_t capacity)
{
    if (capacity <= 0) {
        return 0;
    }
    const int32_t size = LZ_UnpackChecked(entry.data, entry.size, destination, uint32_t(capacity));
    return size < 0 ? 0 : size;
}

// Reads `count` blocks of `type` back to back from the start of the block buffer. A set that fails
// part way is dropped whole.
bool Read_Set(uint8_t type, int32_t count, DAN_Entry *entries, int32_t *read)
{
    DAN_Container.maps_read = 0;
    DAN_Container.anims_read = 0;
    uint32_t used = 0;
    for (int32_t i = 0; i < count; i++) {
        uint32_t packed;
        if (!Read_Header(type, &packed) || packed > DAN_BlockBytes - used ||
            !Read_Exact(DAN_Container.block + used, packed)) {
            return false;
        }
        entries[i] = DAN_Entry{DAN_Container.block + used, packed};
        used += packed;
    }
    *read = 1;
    return true;
}

} // namespace

void DAN_Init()
{
    DAN_Container = DAN_State{};
}

void DAN_Reset()
{
    if (DAN_Container.file >= 0) {
        PLAT_Close(DAN_Container.file);
    }
    // Given back only from the top, so that the next container fits above a scene stream's ring again.
    if (DAN_Container.block != nullptr && MEM_Arena != nullptr && MEM_Arena->resets == DAN_Container.arena_resets &&
        MEM_Arena->top == DAN_Container.arena_top) {
        MEM_StackFree(MEM_Arena, DAN_Container.block);
    }
    DAN_Init();
}

int32_t DAN_Load3DC(const char *path)
{
    DAN_Reset();
    const size_t length = strnlen(path, DAN_PathBytes);
    if (length < 4 || length >= size_t(DAN_PathBytes)) {
        return 0;
    }
    std::memcpy(DAN_Container.model_name, path, length - 4);
    std::memcpy(DAN_Container.model_name + length - 4, ".3DC", 4);
    DAN_Container.file = PLAT_Open(path, O_RDONLY | O_BINARY);
    if (DAN_Container.file < 0) {
        DAN_Init();
        return 0;
    }
    uint8_t head[9];
    uint32_t tables;
    int32_t m = 0, a = 0;
    bool ok = Read_Exact(head, 9) && std::memcmp(head, "DANF", 5) == 0 && Read_Header(Block_Tables, &tables) &&
              Read_Count(DAN_MaxMaps, &m) && Read_Exact(DAN_Container.map_names, uint32_t(m) * DAN_MapNameBytes) &&
              Read_Count(DAN_MaxAnims, &a) && Read_Exact(DAN_Container.anim_names, uint32_t(a) * DAN_AnimNameBytes);
    if (!ok || MEM_Arena == nullptr) {
        DAN_Reset();
        return 0;
    }
    std::memcpy(&DAN_Container.header, head + 5, 4);
    DAN_Container.maps = m;
    DAN_Container.anims = a;
    for (int32_t i = 0; i < a; i++) {
        std::memcpy(DAN_Container.anim_text[i], DAN_Container.anim_names[i], DAN_AnimNameBytes);
    }
    // A scene stream opened just before keeps its ring below the buffer.
    if (!DSN_IsLoaded()) {
        MEM_ResetStack(MEM_Arena);
    }
    DAN_Container.block = static_cast<uint8_t *>(MEM_StackAlloc(MEM_Arena, DAN_BlockBytes));
    if (DAN_Container.block == nullptr) {
        PLAT_WriteStderr("Error, not enough memory in DAN_Load3DC\n");
        DAN_Reset();
        return 0;
    }
    DAN_Container.arena_top = MEM_Arena->top;
    DAN_Container.arena_resets = MEM_Arena->resets;
    DAN_Container.open = 1;
    return 1;
}

int32_t DAN_ReadBlock(const char *name, uint8_t *destination, int32_t capacity)
{
    if (!Alive() || Name_IsOwnFile(name, DAN_Container.model_name)) {
        return 0;
    }
    uint32_t packed;
    if (!Read_Header(Block_Model, &packed)) {
        return 0;
    }
    if (packed > DAN_BlockBytes) {
        PLAT_WriteStderr("Debordement dans DAN_Load3DC\n");
        return 0;
    }
    // The model goes where the sets are kept.
    DAN_Container.maps_read = 0;
    DAN_Container.anims_read = 0;
    if (!Read_Exact(DAN_Container.block, packed)) {
        return 0;
    }
    return Unpack(DAN_Entry{DAN_Container.block, packed}, destination, capacity);
}

int32_t DAN_ReadMapData()
{
    if (!Alive()) {
        return 0;
    }
    return Read_Set(Block_Map, DAN_Container.maps, DAN_Container.map_entries, &DAN_Container.maps_read) ? 1 : 0;
}

int32_t DAN_ReadAnimData()
{
    if (!Alive()) {
        return 0;
    }
    return Read_Set(Block_Anim, DAN_Container.anims, DAN_Container.anim_entries, &DAN_Container.anims_read) ? 1 : 0;
}

int32_t DAN_Load3DM(const char *name, uint8_t *destination, int32_t capacity)
{
    if (!Alive() || !DAN_Container.maps_read) {
        return 0;
    }
    for (int32_t i = 0; i < DAN_Container.maps; i++) {
        if (Name_Matches(DAN_Container.map_names[i], DAN_MapNameBytes, name, DAN_MapNameBytes, true, false)) {
            return Unpack(DAN_Container.map_entries[i], destination, capacity);
        }
    }
    return 0;
}

int32_t DAN_Load3DA(const char *name, uint8_t *destination, int32_t capacity)
{
    if (!Alive() || !DAN_Container.anims_read) {
        return 0;
    }
    for (int32_t i = 0; i < DAN_Container.anims; i++) {
        if (Name_Matches(DAN_Container.anim_names[i], DAN_AnimNameBytes, name, DAN_AnimMatch, false, true)) {
            return Unpack(DAN_Container.anim_entries[i], destination, capacity);
        }
    }
    return 0;
}

int32_t DAN_AnimCount() { return DAN_Container.anims; }

const char *DAN_AnimName(int32_t i)
{
    if (i < 0 || i >= DAN_Container.anims) {
        return nullptr;
    }
    return DAN_Container.anim_text[i];
}

int32_t DAN_IsOpen() { return Alive() ? 1 : 0; }

void DAN_Close()
{
    if (DAN_Container.open && DAN_Container.anims == 0) {
        DAN_Reset();
    }
}

void DAN_Release() { DAN_Reset(); }

void DAN_Idle() {}
