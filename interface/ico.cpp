// Icons: loading the five icon sets from the icon pack, the table that names the icons, and the icon
// drawing routines.
#include "interface/ico.h"

#include <algorithm>
#include <cstring>

#include "core/dsp.h"
#include "core/file.h"
#include "core/mem.h"
#include "core/pack.h"
#include "core/scr.h"
#include "core/sys.h"
#include "interface/spr.h"
#include "world/mis.h"

ICO_Set ICO_Sets[ICO_SET_COUNT];
SPR_Entry *ICO_Picture;
const char ICO_SetFiles[ICO_SET_COUNT][13] = {"magie.alp", "anim.alp", "pyram.alp", "touches.spr", "interf.alp"};

// The game's icons by id: spells 0..13 (each handing the projectile type of its power to the spell
// slot), objects 14..29, then the HUD, controller, gauge and title menu pictures; 64..71 are free for
// the menus' own names.
ICO_Icon ICO_Table[ICO_ICON_COUNT] = {
    {"feu", 0, 0, ICO_CLASS_SPELL, {"Spell 1", "", ""}, MIS_TYPE_BOLT},
    {"arc", 0, 1, ICO_CLASS_SPELL, {"Spell 2", "", ""}, MIS_TYPE_BOW},
    {"epee", 0, 2, ICO_CLASS_SPELL, {"Spell 3", "", ""}, MIS_TYPE_SWORD},
    {"guerison", 0, 3, ICO_CLASS_SPELL, {"Spell 4", "", ""}, MIS_TYPE_HEAL_SELF},
    {"bouclier", 0, 4, ICO_CLASS_SPELL, {"Spell 5", "", ""}, MIS_TYPE_PUSH},
    {"connaiss", 0, 5, ICO_CLASS_SPELL, {"Spell 6", "", ""}, MIS_TYPE_KNOWLEDGE},
    {"temps", 0, 6, ICO_CLASS_SPELL, {"Spell 7", "", ""}, MIS_TYPE_SLOW},
    {"spirit", 0, 7, ICO_CLASS_SPELL, {"Spell 8", "", ""}, MIS_TYPE_SPIRIT},
    {"holo", 0, 8, ICO_CLASS_SPELL, {"Spell 9", "", ""}, MIS_TYPE_SHOW_VID},
    {"resurec", 0, 9, ICO_CLASS_SPELL, {"Spell 10", "", ""}, MIS_TYPE_RAISE_ALLY},
    {"invivib", 0, 10, ICO_CLASS_SPELL, {"Spell 11", "", ""}, MIS_TYPE_INVISIBLE},
    {"mine", 0, 11, ICO_CLASS_SPELL, {"Spell 12", "", ""}, MIS_TYPE_SACRIFICE},
    {"shaman", 0, 12, ICO_CLASS_SPELL, {"Spell 13", "", ""}, MIS_TYPE_CAMP},
    {"vitesse", 0, 13, ICO_CLASS_SPELL, {"Spell 14", "", ""}, MIS_TYPE_SPEED},
    {"object01", 4, 32, ICO_CLASS_OBJECT, {"Object 1", "", ""}, 0},
    {"object02", 4, 33, ICO_CLASS_OBJECT, {"Object 2", "", ""}, 0},
    {"object03", 4, 34, ICO_CLASS_OBJECT, {"Object 3", "", ""}, 0},
    {"object04", 4, 35, ICO_CLASS_OBJECT, {"Object 4", "", ""}, 0},
    {"object05", 4, 36, ICO_CLASS_OBJECT, {"Object 5", "", ""}, 0},
    {"object06", 4, 37, ICO_CLASS_OBJECT, {"Object 6", "", ""}, 0},
    {"object07", 4, 38, ICO_CLASS_OBJECT, {"Object 7", "", ""}, 0},
    {"object08", 4, 39, ICO_CLASS_OBJECT, {"Object 8", "", ""}, 0},
    {"object09", 4, 40, ICO_CLASS_OBJECT, {"Object 9", "", ""}, 0},
    {"object10", 4, 41, ICO_CLASS_OBJECT, {"Object 10", "", ""}, 0},
    {"object11", 4, 42, ICO_CLASS_OBJECT, {"Object 11", "", ""}, 0},
    {"object12", 4, 43, ICO_CLASS_OBJECT, {"Object 12", "", ""}, 0},
    {"object13", 4, 44, ICO_CLASS_OBJECT, {"Object 13", "", ""}, 0},
    {"object14", 4, 45, ICO_CLASS_OBJECT, {"Object 14", "", ""}, 0},
    {"object15", 4, 46, ICO_CLASS_OBJECT, {"Object 15", "", ""}, 0},
    {"object16", 4, 47, ICO_CLASS_OBJECT, {"Object 16", "", ""}, 0},
    {"nothing", 1, 0, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"infosne", 4, 0, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"infosde", 4, 1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"infosta", 4, 2, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"block", 4, 3, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"mcombat", 4, 4, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"replay", 4, 5, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"record", 4, 6, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_up", 3, 0, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_dn", 3, 1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_lf", 3, 2, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_rt", 3, 3, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_k1", 3, 4, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_k2", 3, 5, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_k3", 3, 6, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_sel", 3, 7, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_swi", 3, 8, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_bt0", 3, 9, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"joy_bt1", 3, 10, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"pyrambo", 2, 0, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"pyramvi", 2, 1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"pyramma", 2, 2, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"pyramox", 2, 3, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"pyrafvi", 2, 4, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"pyrafma", 2, 5, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"pyrcurs", 2, 6, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"UpLfNA", 4, 16, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"UpLf", 4, 17, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"UpRgNA", 4, 18, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"UpRg", 4, 19, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"DnLfNA", 4, 20, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"DnLf", 4, 21, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"DnRgNA", 4, 22, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"DnRg", 4, 23, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
    {"", -1, -1, ICO_CLASS_INTERFACE, {"", "", ""}, 0},
};

namespace {

constexpr uint32_t Set_Palette_Bytes = SPR_PALETTE_BYTES;
// Every block has room for 2-byte pixels and 1,024 bytes more, whatever the set's file holds.
constexpr int64_t Block_Spare = 1024;

// Bytes the handle reads: a pack entry's size, or the plain file's length.
int64_t file_size(int32_t handle)
{
    if (handle < 0) {
        return PACK_Table[-handle - 1].size;
    }
    const int32_t size = FILE_Seek(handle, 0, 2);
    FILE_Seek(handle, 0, 0);
    return size;
}

// A set the loader cannot take: what it took is given back, and the program ends.
[[noreturn]] void refuse(int32_t i, int32_t handle)
{
    ICO_FreeSet(i);
    FILE_Close(handle);
    FILE_FatalError(1, "Kalder Internal Error : Read Icone Error");
}

void load_set(int32_t i)
{
    ICO_Set &set = ICO_Sets[i];
    if (set.entries != nullptr || set.palette != nullptr) {
        ICO_FreeSet(i);
    }
    // The file is opened first and the set owns each block as soon as it exists, so a stop in the
    // file layer leaves nothing unowned.
    const int32_t handle = FILE_Open(ICO_SetFiles[i], O_RDONLY | O_BINARY);
    set.palette = static_cast<uint16_t *>(MEM_Alloc(Set_Palette_Bytes));
    if (set.palette == nullptr) {
        refuse(i, handle);
    }
    const int64_t size = file_size(handle);
    uint8_t file_palette[SPR_PALETTE_BYTES] = {};
    FILE_Read(handle, file_palette, SPR_PALETTE_BYTES);
    SPR_ConvertPalette(file_palette, set.palette);
    if (size < int64_t(SPR_PALETTE_BYTES + SPR_TAIL_BYTES)) {
        refuse(i, handle);
    }
    FILE_Seek(handle, int32_t(size - SPR_TAIL_BYTES), 0);
    uint8_t directory[SPR_DIRECTORY_BYTES] = {};
    uint8_t trailer[4];
    FILE_Read(handle, directory, SPR_DIRECTORY_BYTES);
    FILE_Read(handle, trailer, 4);
    // The blocks must lie in the file by the pixels it really holds; every block is still taken and
    // read for 2-byte pixels below.
    const int64_t pixel_bytes = SPR_TwoBytePixels(ICO_SetFiles[i]) ? 2 : 1;
    if (!SPR_DirectoryFits(directory, size, pixel_bytes)) {
        refuse(i, handle);
    }
    set.entries = static_cast<SPR_Entry *>(MEM_Alloc(sizeof(SPR_Entry) * SPR_ENTRIES));
    if (set.entries == nullptr) {
        refuse(i, handle);
    }
    uint32_t offsets[SPR_ENTRIES];
    for (int32_t k = 0; k < SPR_ENTRIES; k++) {
        set.entries[k] = SPR_DecodeEntry(directory, k, set.palette, &offsets[k]);
    }
    for (int32_t k = 0; k < SPR_ENTRIES; k++) {
        if (offsets[k] == 0) {
            continue;
        }
        SPR_Entry &entry = set.entries[k];
        const int64_t wanted = int64_t(entry.width) * entry.height * 2;
        uint8_t *block = static_cast<uint8_t *>(MEM_Alloc(size_t(wanted + Block_Spare)));
        if (block == nullptr) {
            refuse(i, handle);
        }
        entry.pixels = block;
        // A set of 1-byte pixels ends before the 2-byte read would: the read stops at the file's end
        // and the rest of the block is zero.
        const int64_t left = size - int64_t(offsets[k]);
        FILE_Seek(handle, int32_t(offsets[k]), 0);
        const int32_t got = FILE_Read(handle, block, uint32_t(wanted < left ? wanted : left));
        std::memset(block + got, 0, size_t(wanted + Block_Spare - got));
    }
    FILE_Close(handle);
}

// The table's name (at most 8 characters) equals the caller's, read up to its NUL or 16 characters,
// letter case ignored. Empty names stand for no icon and match nothing.
bool name_matches(const char *table, const char *name)
{
    if (table[0] == '\0') {
        return false;
    }
    const auto lower = [](uint8_t c) { return c >= 'A' && c <= 'Z' ? uint8_t(c + 32) : c; };
    for (int32_t i = 0; i < 16; i++) {
        const auto t = uint8_t(i < 8 ? table[i] : '\0');
        const auto n = uint8_t(name[i]);
        if (lower(t) != lower(n)) {
            return false;
        }
        if (n == 0) {
            return true;
        }
    }
    return false;
}

void draw_entry(SPR_Entry *entry, int32_t x, int32_t y, uint32_t mode, uint8_t fade, uint8_t dim)
{
    if (entry == nullptr || entry->pixels == nullptr) {
        return;
    }
    const GFX_BlitRecord record{x, y, mode, entry};
    DSP_BeginDraw();
    GFX_DrawSprite(&record, fade, SCR_Width <= 400 ? 1 : 0, SCR_Height < 400 ? 1 : 0, dim);
    DSP_EndDraw();
}

void draw(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y, uint32_t mode, uint8_t fade, uint8_t dim)
{
    draw_entry(ICO_Entry(set, sprite, frame), x, y, mode, fade, dim);
}

// The picture's three arena blocks as taken (the arena starts blocks at any byte, so the palette and
// the entry lie at aligned places inside theirs), null when not taken.
struct PictureBlocks {
    void *palette;
    void *entry;
    void *pixels;
};
PictureBlocks picture_blocks;

// n bytes from the arena at an address aligned to align; the block as taken goes to *raw.
void *take_aligned(uint32_t n, uint32_t align, void **raw)
{
    *raw = MEM_StackAlloc(MEM_Arena, n + align - 1);
    if (*raw == nullptr) {
        return nullptr;
    }
    const auto at = reinterpret_cast<uintptr_t>(*raw);
    return reinterpret_cast<void *>((at + align - 1) / align * align);
}

// Gives back whatever of the picture is taken, the last taken first.
void give_back_picture()
{
    for (void **block : {&picture_blocks.pixels, &picture_blocks.entry, &picture_blocks.palette}) {
        if (*block != nullptr) {
            MEM_StackFree(MEM_Arena, *block);
            *block = nullptr;
        }
    }
    ICO_Picture = nullptr;
}

// Whether entry 0 of the image may be copied: the image holds a palette and a directory, the entry's
// sides are 0..4096 and its pixels (when it has any) lie between the palette and the directory.
bool picture_fits(const uint8_t *image, uint32_t length, SPR_Entry *entry, uint32_t *offset)
{
    if (image == nullptr || length < SPR_PALETTE_BYTES + SPR_TAIL_BYTES) {
        return false;
    }
    *entry = SPR_DecodeEntry(image + (length - SPR_TAIL_BYTES), 0, nullptr, offset);
    if (entry->width < 0 || entry->width > SPR_MAX_SIDE || entry->height < 0 || entry->height > SPR_MAX_SIDE) {
        return false;
    }
    const int64_t bytes = int64_t(entry->width) * entry->height * 2;
    return *offset == 0 ||
           (*offset >= SPR_PALETTE_BYTES && int64_t(*offset) + bytes <= int64_t(length) - SPR_TAIL_BYTES);
}

// The window: row r (8..31) is set from column c to column 63 - c, rows 32..55 mirror rows 31..8.
constexpr uint8_t Thumb_First_Row = 8;
constexpr uint8_t Thumb_Columns[24] = {27, 24, 21, 20, 18, 17, 16, 15, 14, 13, 12, 12,
                                       11, 10, 10, 10, 9,  9,  9,  8,  8,  8,  8,  8};

constexpr ICO_Mask thumbnail_mask()
{
    ICO_Mask mask{};
    for (int32_t r = Thumb_First_Row; r < ICO_THUMB_SIDE - Thumb_First_Row; r++) {
        const int32_t upper = r < ICO_THUMB_SIDE / 2 ? r : ICO_THUMB_SIDE - 1 - r;
        const int32_t c = Thumb_Columns[upper - Thumb_First_Row];
        for (int32_t col = c; col <= ICO_THUMB_SIDE - 1 - c; col++) {
            mask[r][col / 32] |= 1u << (col % 32);
        }
    }
    return mask;
}

} // namespace

void ICO_LoadSets()
{
    BLEND_BuildTables();
    for (int32_t i = 0; i < ICO_SET_COUNT; i++) {
        load_set(i);
    }
}

void ICO_FreeSet(int32_t i)
{
    if (i < 0 || i >= ICO_SET_COUNT) {
        return;
    }
    ICO_Set &set = ICO_Sets[i];
    if (set.entries != nullptr) {
        for (int32_t k = 0; k < SPR_ENTRIES; k++) {
            uint8_t *pixels = const_cast<uint8_t *>(set.entries[k].pixels);
            MEM_FreePtr(&pixels);
        }
    }
    MEM_FreePtr(&set.entries);
    // The set's own palette pointer: an empty entry 0 would carry none.
    MEM_FreePtr(&set.palette);
}

void ICO_FreeSets()
{
    for (int32_t i = 0; i < ICO_SET_COUNT; i++) {
        ICO_FreeSet(i);
    }
}

int32_t ICO_IndexOf(const char *name)
{
    if (name == nullptr) {
        return -1;
    }
    for (int32_t id = 0; id < ICO_ICON_COUNT; id++) {
        if (name_matches(ICO_Table[id].name, name)) {
            return id;
        }
    }
    return -1;
}

int32_t ICO_Find(const char *name, int32_t *set, int32_t *sprite)
{
    const int32_t id = ICO_IndexOf(name);
    *set = id < 0 ? -1 : ICO_Table[id].set;
    *sprite = id < 0 ? -1 : ICO_Table[id].sprite;
    return id;
}

SPR_Entry *ICO_Entry(int32_t set, int32_t sprite, int32_t frame)
{
    if (set < 0 || set >= ICO_SET_COUNT || ICO_Sets[set].entries == nullptr || sprite < 0) {
        return nullptr;
    }
    const int64_t index = set == ICO_ANIMATED_SET ? int64_t(sprite) * ICO_ANIMATION_FRAMES + frame : sprite;
    if (index < 0 || index >= SPR_ENTRIES) {
        return nullptr;
    }
    return &ICO_Sets[set].entries[index];
}

void ICO_Draw(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    draw(set, sprite, frame, x, y, GFX_BLIT_ALPHA, 0, 0);
}

void ICO_DrawDark(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    draw(set, sprite, frame, x, y, GFX_BLIT_ALPHA, 0, 1);
}

void ICO_DrawPlain(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    draw(set, sprite, frame, x, y, 0, 0, 0);
}

void ICO_DrawPlainDark(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    draw(set, sprite, frame, x, y, 0, 0, 1);
}

void ICO_DrawFaded(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y, uint8_t fade)
{
    draw(set, sprite, frame, x, y, GFX_BLIT_FADED, fade, 0);
}

int32_t ICO_MakePicture(const uint8_t *image, uint32_t length)
{
    give_back_picture();
    SPR_Entry entry;
    uint32_t offset = 0;
    if (MEM_Arena == nullptr || !picture_fits(image, length, &entry, &offset)) {
        return -1;
    }
    auto *palette = static_cast<uint16_t *>(take_aligned(SPR_PALETTE_BYTES, alignof(uint16_t), &picture_blocks.palette));
    if (palette == nullptr) {
        return -1;
    }
    SPR_ConvertPalette(image, palette);
    auto *kept = static_cast<SPR_Entry *>(take_aligned(sizeof(SPR_Entry), alignof(SPR_Entry), &picture_blocks.entry));
    if (kept == nullptr) {
        give_back_picture();
        return -1;
    }
    *kept = entry;
    if (offset != 0) {
        const uint32_t bytes = uint32_t(entry.width * entry.height * 2);
        picture_blocks.pixels = MEM_StackAlloc(MEM_Arena, bytes + uint32_t(Block_Spare));
        if (picture_blocks.pixels == nullptr) {
            give_back_picture();
            return -1;
        }
        auto *pixels = static_cast<uint8_t *>(picture_blocks.pixels);
        std::memcpy(pixels, image + offset, bytes);
        std::memset(pixels + bytes, 0, size_t(Block_Spare));
        kept->palette = palette;
        kept->pixels = pixels;
    }
    ICO_Picture = kept;
    return 0;
}

void ICO_FreePicture() { give_back_picture(); }

void ICO_DrawPicture(int32_t x, int32_t y) { draw_entry(ICO_Picture, x, y, GFX_BLIT_ALPHA, 0, 0); }

const ICO_Mask ICO_ThumbnailMask = thumbnail_mask();

void ICO_DrawThumbnail(const uint16_t *pixels, int32_t x, int32_t y)
{
    if (pixels == nullptr || SCR_FrameBuffer == nullptr) {
        return;
    }
    const int32_t step_x = SCR_Width <= 400 ? 2 : 1;
    const int32_t step_y = SCR_Height < 400 ? 2 : 1;
    // The picture's columns that land on the screen: screen column x + col / step_x in 0..width-1.
    const int64_t first_col = std::max<int64_t>(0, -int64_t(x) * step_x);
    const int64_t end_col = std::min<int64_t>(ICO_THUMB_SIDE, (int64_t(SCR_Width) - x) * step_x);
    if (first_col >= end_col) {
        return;
    }
    // Only the taken columns that the screen shows, as one 64-bit row mask.
    uint64_t visible = 0;
    for (int64_t col = first_col; col < end_col; col++) {
        visible |= col % step_x == 0 ? uint64_t(1) << col : 0;
    }
    DSP_BeginDraw();
    for (int32_t row = 0; row < ICO_THUMB_SIDE; row += step_y) {
        const int64_t sy = int64_t(y) + row / step_y;
        if (sy < 0 || sy >= int64_t(SCR_Height)) {
            continue;
        }
        uint64_t bits = (uint64_t(ICO_ThumbnailMask[size_t(row)][1]) << 32 | ICO_ThumbnailMask[size_t(row)][0]) & visible;
        const int64_t line = sy * int64_t(SCR_Width) + x;
        const uint16_t *source = pixels + row * ICO_THUMB_SIDE;
        // Whole screens copy each run of set bits at once (a disc row is one run).
        while (bits != 0) {
            const int32_t col = __builtin_ctzll(bits);
            if (step_x == 1) {
                const uint64_t rest = ~(bits >> col);
                const int32_t run = rest == 0 ? ICO_THUMB_SIDE - col : __builtin_ctzll(rest);
                std::copy_n(source + col, run, SCR_FrameBuffer + (line + col));
                bits = run + col >= ICO_THUMB_SIDE ? 0 : bits & ~((uint64_t(1) << (col + run)) - 1);
                continue;
            }
            bits &= bits - 1;
            SCR_FrameBuffer[line + col / step_x] = source[col];
        }
    }
    DSP_EndDraw();
}
