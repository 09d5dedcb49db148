// Sprite sets: loading sprite files into the 24 slots, freeing them, and the blend product tables.
#include "interface/spr.h"

#include <cctype>
#include <cstring>

#include "core/dsp.h"
#include "core/file.h"
#include "core/mem.h"

SPR_Set SPR_Sets[SPR_SLOTS];

namespace {

int32_t get_i32(const uint8_t *p)
{
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return int32_t(v);
}

// The fields of a directory entry in the file.
constexpr size_t Entry_Bytes = 28, Entry_Width = 4, Entry_Height = 8, Entry_HotX = 12, Entry_HotY = 16,
                 Entry_Spare = 20, Entry_Pixels = 24;

// Gives back every block of a slot, whatever part of a load it holds.
void release(SPR_Set &set)
{
    if (set.entries != nullptr) {
        for (int32_t i = 0; i < SPR_ENTRIES; i++) {
            uint8_t *pixels = const_cast<uint8_t *>(set.entries[i].pixels);
            MEM_FreePtr(&pixels);
        }
    }
    MEM_FreePtr(&set.entries);
    MEM_FreePtr(&set.palette);
    set.trailer = 0;
    set.pixel_bytes = 0;
}

// Ends the program for slot's file after giving back what the load took, so the slot is left empty.
[[noreturn]] void refuse(int32_t handle, uint8_t **raw, int32_t slot)
{
    MEM_FreePtr(raw);
    release(SPR_Sets[slot]);
    FILE_ClosePlain(handle);
    FILE_FatalError(1, "Error SprSet %d\n", slot);
}

} // namespace

bool SPR_TwoBytePixels(const char *path)
{
    for (const char *p = path; *p != '\0'; p++) {
        if (p[0] == '.' && std::toupper(uint8_t(p[1])) == 'A' && p[1] != '\0' && std::toupper(uint8_t(p[2])) == 'L' &&
            p[2] != '\0' && std::toupper(uint8_t(p[3])) == 'P') {
            return true;
        }
    }
    return false;
}

bool SPR_DirectoryFits(const uint8_t *directory, int64_t file_size, int64_t pixel_bytes)
{
    const int64_t end = file_size - SPR_TAIL_BYTES;
    for (int32_t i = 0; i < SPR_ENTRIES; i++) {
        const uint8_t *e = directory + size_t(i) * Entry_Bytes;
        const uint32_t offset = uint32_t(get_i32(e + Entry_Pixels));
        if (offset == 0) {
            continue;
        }
        const int64_t width = get_i32(e + Entry_Width), height = get_i32(e + Entry_Height);
        if (width < 0 || width > SPR_MAX_SIDE || height < 0 || height > SPR_MAX_SIDE) {
            return false;
        }
        if (offset < SPR_PALETTE_BYTES || int64_t(offset) + width * height * pixel_bytes > end) {
            return false;
        }
    }
    return true;
}

SPR_Entry SPR_DecodeEntry(const uint8_t *directory, int32_t i, const uint16_t *palette, uint32_t *pixel_offset)
{
    const uint8_t *e = directory + size_t(i) * Entry_Bytes;
    *pixel_offset = uint32_t(get_i32(e + Entry_Pixels));
    return {palette,
            get_i32(e + Entry_Width),
            get_i32(e + Entry_Height),
            get_i32(e + Entry_HotX),
            get_i32(e + Entry_HotY),
            get_i32(e + Entry_Spare),
            nullptr};
}

void SPR_ConvertPalette(const uint8_t *file_palette, uint16_t *out)
{
    for (int32_t i = 0; i < 256; i++) {
        const uint16_t c = uint16_t(file_palette[2 * i] | file_palette[2 * i + 1] << 8);
        out[i] = uint16_t((c & 0x7FE0) << 1 | (c & 0x1F));
    }
}

void SPR_LoadSet(const char *path, int32_t slot)
{
    if (slot < 0 || slot >= SPR_SLOTS) {
        return;
    }
    BLEND_BuildTables();
    const int64_t pixel_bytes = SPR_TwoBytePixels(path) ? 2 : 1;
    SPR_Set &set = SPR_Sets[slot];
    if (set.entries != nullptr) {
        SPR_FreeSet(slot);
    }
    // The slot takes each block as soon as it exists, so that a stop in the file layer leaves nothing
    // unowned.
    const int32_t handle = FILE_OpenPlain(path, 0);
    set.pixel_bytes = int32_t(pixel_bytes);
    set.palette = static_cast<uint16_t *>(MEM_Alloc(SPR_PALETTE_BYTES));
    uint8_t *raw = nullptr;
    if (set.palette == nullptr) {
        refuse(handle, &raw, slot);
    }
    uint8_t file_palette[SPR_PALETTE_BYTES];
    FILE_ReadPlain(handle, file_palette, SPR_PALETTE_BYTES);
    SPR_ConvertPalette(file_palette, set.palette);

    const int64_t file_size = FILE_SeekPlain(handle, 0, 2);
    if (file_size < int64_t(SPR_PALETTE_BYTES + SPR_TAIL_BYTES)) {
        refuse(handle, &raw, slot);
    }
    FILE_SeekPlain(handle, int32_t(file_size - SPR_TAIL_BYTES), 0);
    raw = static_cast<uint8_t *>(MEM_Alloc(SPR_DIRECTORY_BYTES));
    if (raw == nullptr) {
        refuse(handle, &raw, slot);
    }
    FILE_ReadPlain(handle, raw, SPR_DIRECTORY_BYTES);
    uint8_t trailer[4];
    FILE_ReadPlain(handle, trailer, 4);
    if (!SPR_DirectoryFits(raw, file_size, pixel_bytes)) {
        refuse(handle, &raw, slot);
    }
    set.entries = static_cast<SPR_Entry *>(MEM_Alloc(sizeof(SPR_Entry) * SPR_ENTRIES));
    if (set.entries == nullptr) {
        refuse(handle, &raw, slot);
    }
    uint32_t offsets[SPR_ENTRIES];
    for (int32_t i = 0; i < SPR_ENTRIES; i++) {
        set.entries[i] = SPR_DecodeEntry(raw, i, set.palette, &offsets[i]);
    }
    set.trailer = uint32_t(get_i32(trailer));

    for (int32_t i = 0; i < SPR_ENTRIES; i++) {
        const uint32_t offset = offsets[i];
        if (offset == 0) {
            continue;
        }
        SPR_Entry &entry = set.entries[i];
        const uint32_t bytes = uint32_t(int64_t(entry.width) * entry.height * pixel_bytes);
        FILE_SeekPlain(handle, int32_t(offset), 0);
        uint8_t *block = static_cast<uint8_t *>(MEM_Alloc(pixel_bytes == 2 ? size_t(bytes) + 1024 : size_t(bytes)));
        if (block == nullptr) {
            const int32_t width = entry.width, height = entry.height;
            MEM_FreePtr(&raw);
            release(set);
            FILE_ClosePlain(handle);
            FILE_FatalError(1, "%d %d\nErreur temp %d %d\n", width, height, slot, i);
        }
        entry.pixels = block;
        FILE_ReadPlain(handle, block, bytes);
    }
    MEM_FreePtr(&raw);
    FILE_ClosePlain(handle);
}

SPR_Entry *SPR_GetSprite(int32_t slot, int32_t i)
{
    if (slot < 0 || slot >= SPR_SLOTS || i < 0 || i >= SPR_ENTRIES || SPR_Sets[slot].entries == nullptr) {
        return nullptr;
    }
    return &SPR_Sets[slot].entries[i];
}

void SPR_DrawSprite(int32_t slot, int32_t i, int32_t x, int32_t y)
{
    SPR_Entry *entry = SPR_GetSprite(slot, i);
    if (entry == nullptr || entry->pixels == nullptr) {
        return;
    }
    DSP_BeginDraw();
    // The alpha mode reads two bytes a pixel: a set of 1-byte pixels would be read past its blocks.
    const GFX_BlitRecord record{x, y, SPR_Sets[slot].pixel_bytes == 2 ? GFX_BLIT_ALPHA : 0u, entry};
    GFX_DrawSprite(&record, 0, 0, 0, 0);
    DSP_EndDraw();
}

void SPR_FreeSet(int32_t slot)
{
    if (slot < 0 || slot >= SPR_SLOTS) {
        return;
    }
    release(SPR_Sets[slot]);
}

void SPR_FreeAll()
{
    for (int32_t slot = 0; slot < SPR_SLOTS; slot++) {
        if (SPR_Sets[slot].entries != nullptr) {
            SPR_FreeSet(slot);
        }
    }
}

void SPR_ClearAll()
{
    for (SPR_Set &set : SPR_Sets) {
        set = {nullptr, nullptr, 0, 0};
    }
}

uint32_t SPR_GetTrailer(int32_t slot) { return slot < 0 || slot >= SPR_SLOTS ? 0 : SPR_Sets[slot].trailer; }

void BLEND_BuildTables()
{
    for (uint32_t i = 0; i < 32; i++) {
        for (uint32_t j = 0; j < 32; j++) {
            BLEND_Table32[i * 32 + j] = i * j;
        }
    }
    for (uint32_t i = 0; i < 64; i++) {
        for (uint32_t j = 0; j < 64; j++) {
            BLEND_Table64[i * 64 + j] = i * j;
        }
    }
}

uint32_t BLEND_MixChannel32(uint32_t a, uint32_t b, uint32_t alpha)
{
    a = a > 31 ? 31 : a;
    b = b > 31 ? 31 : b;
    const uint32_t k = (alpha > 63 ? 63 : alpha) >> 1;
    return (BLEND_Table32[(31 - k) * 32 + a] + BLEND_Table32[k * 32 + b]) >> 5;
}

uint32_t BLEND_MixChannel64(uint32_t a, uint32_t b, uint32_t alpha)
{
    a = a > 63 ? 63 : a;
    b = b > 63 ? 63 : b;
    alpha = alpha > 63 ? 63 : alpha;
    return (BLEND_Table64[(63 - alpha) * 64 + a] + BLEND_Table64[alpha * 64 + b]) >> 6;
}

uint16_t BLEND_MixColour(uint16_t c1, uint16_t c2)
{
    const uint32_t alpha = GFX_BlendAlpha;
    if (DSP_Rgb555 == 0) {
        const uint32_t r = BLEND_MixChannel32((c1 & 0xF800u) >> 11, (c2 & 0xF800u) >> 11, alpha);
        const uint32_t g = BLEND_MixChannel32((c1 & 0x7E0u) >> 6, (c2 & 0x7E0u) >> 6, alpha);
        const uint32_t b = BLEND_MixChannel32(c1 & 0x1Fu, c2 & 0x1Fu, alpha);
        return uint16_t(r << 11 | g << 6 | b);
    }
    const uint32_t r = BLEND_MixChannel32((c1 & 0x7C00u) >> 10, (c2 & 0x7C00u) >> 10, alpha);
    const uint32_t g = BLEND_MixChannel32((c1 & 0x3E0u) >> 5, (c2 & 0x3E0u) >> 5, alpha);
    const uint32_t b = BLEND_MixChannel32(c1 & 0x1Fu, c2 & 0x1Fu, alpha);
    return uint16_t(r << 10 | g << 5 | b);
}
