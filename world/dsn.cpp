// The scene stream: opens a scene's ".DSN", serves its packed model and collision model to the model
// loader, binds its maps to the images the 3D library asks for and fills them over 32 ticks.
#include "world/dsn.h"

#include <cstdio>
#include <cstring>

#include "core/lz.h"
#include "core/mem.h"
#include "core/sys.h"
#include "engine3d/gfx_magnify.h"
#include "plat/system.h"
#include "world/stored_name.h"

DSN_State DSN_Stream;

const DSN_Part DSN_PartTable[DSN_Parts] = {
    {0, 0, 8, 8}, {4, 0, 8, 4}, {0, 4, 4, 4}, {4, 4, 4, 4},
    {2, 0, 4, 2}, {6, 0, 4, 2}, {2, 4, 4, 2}, {6, 4, 4, 2},
    {0, 2, 2, 2}, {4, 2, 2, 2}, {0, 6, 2, 2}, {4, 6, 2, 2}, {2, 2, 2, 2}, {6, 2, 2, 2}, {2, 6, 2, 2}, {6, 6, 2, 2},
    {1, 0, 2, 1}, {5, 0, 2, 1}, {1, 4, 2, 1}, {5, 4, 2, 1}, {3, 0, 2, 1}, {7, 0, 2, 1}, {3, 4, 2, 1}, {7, 4, 2, 1},
    {1, 2, 2, 1}, {5, 2, 2, 1}, {1, 6, 2, 1}, {5, 6, 2, 1}, {3, 2, 2, 1}, {7, 2, 2, 1}, {3, 6, 2, 1}, {7, 6, 2, 1},
    {0, 1, 1, 1}, {4, 1, 1, 1}, {0, 5, 1, 1}, {4, 5, 1, 1}, {2, 1, 1, 1}, {6, 1, 1, 1}, {2, 5, 1, 1}, {6, 5, 1, 1},
    {0, 3, 1, 1}, {4, 3, 1, 1}, {0, 7, 1, 1}, {4, 7, 1, 1}, {2, 3, 1, 1}, {6, 3, 1, 1}, {2, 7, 1, 1}, {6, 7, 1, 1},
    {1, 1, 1, 1}, {5, 1, 1, 1}, {1, 5, 1, 1}, {5, 5, 1, 1}, {3, 1, 1, 1}, {7, 1, 1, 1}, {3, 5, 1, 1}, {7, 5, 1, 1},
    {1, 3, 1, 1}, {5, 3, 1, 1}, {1, 7, 1, 1}, {5, 7, 1, 1}, {3, 3, 1, 1}, {7, 3, 1, 1}, {3, 7, 1, 1}, {7, 7, 1, 1},
};

namespace {

constexpr uint32_t Fill_Unit = 32768;
constexpr uint32_t Block_Header = 5;

enum : uint8_t { Block_Tables = 0, Block_Model = 1, Block_Collision = 2, Block_Palettes = 3, Block_Part = 4 };

// The stream holds DPR_Main's file only while the arena it took has not been reset since: whoever
// resets it (a film, a container with no stream open) owns the streaming buffer from then on.
bool Owns_Buffer()
{
    return DSN_Stream.open && DSN_Stream.dpr != nullptr && MEM_Arena != nullptr &&
           MEM_Arena->resets == DSN_Stream.arena_resets;
}

// Clears everything but the binding, without touching the streaming buffer.
void Forget()
{
    DPR_Buffer *dpr = DSN_Stream.dpr;
    std::memset(&DSN_Stream, 0, sizeof DSN_Stream);
    DSN_Stream.dpr = dpr;
}

// A stream whose arena was reset under it counts as closed.
bool Alive()
{
    if (DSN_Stream.open && !Owns_Buffer()) {
        Forget();
    }
    return DSN_Stream.open != 0;
}

// Reads ahead: up to `times` blocks, fewer once the ring is full or the file ended.
void Fill(uint64_t times)
{
    DPR_Buffer *dpr = DSN_Stream.dpr;
    const uint64_t room = dpr->ring_size / dpr->block_size + 1;
    for (uint64_t i = 0; i < times && i < room; i++) {
        DPR_Fill(dpr);
    }
}

// n contiguous bytes in place, left unconsumed; null when the stream cannot give them: a request longer
// than the ring, a file that ended first, or a ring full of bytes that do not yet make n.
const uint8_t *Peek(uint32_t n)
{
    DPR_Buffer *dpr = DSN_Stream.dpr;
    if (dpr == nullptr || dpr->buffer == nullptr) {
        return nullptr;
    }
    for (;;) {
        const uint8_t *p = DPR_Get(dpr, n);
        if (p != nullptr) {
            return p;
        }
        if (n > dpr->ring_size || !(dpr->flags & DPR_OPEN)) {
            return nullptr;
        }
        DPR_Fill(dpr);
        if (dpr->flags & DPR_FULL) {
            return nullptr;
        }
    }
}

// Every read of the stream: n bytes, consumed.
const uint8_t *Take(uint32_t n)
{
    const uint8_t *p = Peek(n);
    if (p != nullptr) {
        DPR_Skip(DSN_Stream.dpr);
    }
    return p;
}

// A block header of the expected type, consumed only then; gives the length of the block's data. A
// length below the header's own 5 bytes is a damaged block, except in the tables' header, which
// nothing reads.
bool Take_Header(uint8_t type, uint32_t *dataLength)
{
    const uint8_t *p = Peek(Block_Header);
    if (p == nullptr || p[0] != type) {
        return false;
    }
    int32_t length;
    std::memcpy(&length, p + 1, 4);
    if (type != Block_Tables && length < int32_t(Block_Header)) {
        return false;
    }
    DPR_Skip(DSN_Stream.dpr);
    *dataLength = length >= int32_t(Block_Header) ? uint32_t(length) - Block_Header : 0;
    return true;
}

// The opened path with its extension replaced; false when it does not fit.
bool With_Extension(const char *path, const char *extension, char *out)
{
    const size_t length = strnlen(path, DSN_PathBytes);
    if (length >= size_t(DSN_PathBytes)) {
        return false;
    }
    size_t stem = length;
    for (size_t i = length; i > 0; i--) {
        const char c = path[i - 1];
        if (c == '.') {
            stem = i - 1;
            break;
        }
        if (c == '\\' || c == '/' || c == ':') {
            break;
        }
    }
    if (stem + std::strlen(extension) >= size_t(DSN_PathBytes)) {
        return false;
    }
    std::memcpy(out, path, stem);
    std::strcpy(out + stem, extension);
    return true;
}

int32_t Load_Model(const char *name, const char *own, uint8_t type, uint8_t *destination, int32_t capacity)
{
    if (!Alive() || Name_IsOwnFile(name, own)) {
        return 0;
    }
    uint32_t packed;
    if (!Take_Header(type, &packed)) {
        return 0;
    }
    Fill((uint64_t(packed) + Fill_Unit) / Fill_Unit);
    const uint8_t *source = Take(packed);
    if (source == nullptr || capacity <= 0) {
        return 0;
    }
    const int32_t size = LZ_UnpackChecked(source, packed, destination, uint32_t(capacity));
    return size < 0 ? 0 : size;
}

int32_t Find_Map(const char *name)
{
    for (int32_t i = 0; i < DSN_Stream.maps; i++) {
        if (Name_Matches(DSN_Stream.names[i], DSN_NameBytes, name, DSN_NameBytes, true, false)) {
            return i;
        }
    }
    return -1;
}

// Palettes at frame 0: each bound map's goes into its colour area; an unbound map is reported.
bool Read_Palettes()
{
    const uint32_t m = uint32_t(DSN_Stream.maps);
    Fill((uint64_t(m) * 2048 + Fill_Unit) / Fill_Unit);
    uint32_t length;
    if (!Take_Header(Block_Palettes, &length)) {
        return false;
    }
    Fill((uint64_t(m) * 3072 + Fill_Unit) / Fill_Unit);
    const uint8_t *palettes = Take(m * DSN_PartBytes);
    if (palettes == nullptr) {
        return false;
    }
    for (uint32_t i = 0; i < m; i++) {
        if (DSN_Stream.palette[i] != nullptr) {
            std::memcpy(DSN_Stream.palette[i] + DSN_PaletteAt, palettes + i * DSN_PartBytes, DSN_PartBytes);
        } else {
            char text[DSN_NameBytes + 32];
            std::snprintf(text, sizeof text, "map %.11s not used\n", DSN_Stream.names[i]);
            PLAT_WriteStdout(text);
        }
    }
    return true;
}

bool Read_Part(int32_t part)
{
    const uint32_t m = uint32_t(DSN_Stream.maps);
    uint32_t length;
    if (!Take_Header(Block_Part, &length)) {
        return false;
    }
    const uint8_t *parts = Take(m * DSN_PartBytes);
    if (parts == nullptr) {
        return false;
    }
    for (uint32_t i = 0; i < m; i++) {
        if (DSN_Stream.picture[i] != nullptr) {
            DSN_DecodeMap(parts + i * DSN_PartBytes, DSN_Stream.picture[i], part);
        }
    }
    return true;
}

} // namespace

int32_t DSN_Create()
{
    std::memset(&DSN_Stream, 0, sizeof DSN_Stream);
    DSN_Stream.dpr = DPR_Main;
    return 1;
}

void DSN_Destroy() {}

void DSN_Reset()
{
    if (Owns_Buffer()) {
        DPR_Close(DSN_Stream.dpr);
    }
    Forget();
}

int32_t DSN_IsLoaded() { return Alive() ? 1 : 0; }

int32_t DSN_Open(const char *path)
{
    DSN_Reset();
    DPR_Buffer *dpr = DSN_Stream.dpr;
    if (dpr == nullptr || MEM_Arena == nullptr) {
        return 0;
    }
    MEM_ResetStack(MEM_Arena);
    DSN_Stream.arena_resets = MEM_Arena->resets;
    if (!With_Extension(path, ".3DC", DSN_Stream.model_name) ||
        !With_Extension(path, ".3DI", DSN_Stream.collision_name)) {
        Forget();
        return 0;
    }
    const int opened = DPR_Open(dpr, path);
    // From here the file is the stream's: failures close it.
    DSN_Stream.open = 1;
    if (!opened) {
        DSN_Reset();
        return 0;
    }
    DPR_Fill(dpr);
    const uint8_t *head = Take(9);
    uint32_t tables;
    if (head == nullptr || std::memcmp(head, "DSNF", 4) != 0) {
        DSN_Reset();
        return 0;
    }
    std::memcpy(&DSN_Stream.header, head + 5, 4);
    const uint8_t *count = Take_Header(Block_Tables, &tables) ? Take(2) : nullptr;
    if (count == nullptr) {
        DSN_Reset();
        return 0;
    }
    const uint32_t m = uint32_t(count[0] | count[1] << 8);
    if (m > uint32_t(DSN_MaxMaps)) {
        DSN_Reset();
        return 0;
    }
    const uint8_t *names = Take(m * DSN_NameBytes);
    if (names == nullptr) {
        DSN_Reset();
        return 0;
    }
    std::memcpy(DSN_Stream.names, names, m * DSN_NameBytes);
    const uint8_t *records = Take(m * DSN_RecordBytes);
    if (records == nullptr) {
        DSN_Reset();
        return 0;
    }
    std::memcpy(DSN_Stream.records, records, m * DSN_RecordBytes);
    DSN_Stream.maps = int32_t(m);
    DSN_Stream.frame = 0;
    return 1;
}

int32_t DSN_Load3DC(const char *name, uint8_t *destination, int32_t capacity)
{
    return Load_Model(name, DSN_Stream.model_name, Block_Model, destination, capacity);
}

int32_t DSN_Load3DI(const char *name, uint8_t *destination, int32_t capacity)
{
    return Load_Model(name, DSN_Stream.collision_name, Block_Collision, destination, capacity);
}

int32_t DSN_BindMap(const char *name, uint8_t *destination, int32_t capacity)
{
    if (!Alive() || capacity <= DSN_MapBytes) {
        return 0;
    }
    const int32_t i = Find_Map(name);
    if (i < 0) {
        return 0;
    }
    std::memcpy(destination, DSN_Stream.records[i], DSN_RecordBytes);
    DSN_Stream.palette[i] = destination + DSN_RecordBytes;
    DSN_Stream.picture[i] = destination + DSN_RecordBytes + DSN_ColourBytes;
    std::memset(DSN_Stream.palette[i], 0, DSN_ColourBytes);
    std::memset(DSN_Stream.picture[i], 0, DSN_PictureBytes);
    return DSN_MapBytes;
}

void DSN_UpdateFrame()
{
    if (!Alive() || DSN_Stream.frame >= DSN_Frames) {
        return;
    }
    // A damaged stream stops here: what was decoded stays, the rest of the maps never comes.
    if (DSN_Stream.frame == 0 && !Read_Palettes()) {
        DSN_Reset();
        return;
    }
    for (int32_t j = 0; j < 2; j++) {
        if (!Read_Part(2 * DSN_Stream.frame + j)) {
            DSN_Reset();
            return;
        }
    }
    DSN_Stream.frame++;
    if (DSN_Stream.frame == DSN_Frames) {
        DSN_Reset();
    }
}

void DSN_DecodeMap(const uint8_t *source, uint8_t *map, int32_t part)
{
    if (part < 0 || part >= DSN_Parts) {
        return;
    }
    const DSN_Part &p = DSN_PartTable[part];
    GFX_MagnifyBlockChecked(source, map, p.y0, p.x0, p.rows, p.columns);
}
