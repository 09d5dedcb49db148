// Save games: the slot table, the game files and the thumbnails of "data\game\". Every file is written
// whole into a temporary file beside it and renamed over the old one only once it is on the disk, so
// that a save that fails half way leaves the save before it whole; every file is read whole and
// checked before anything of the running game changes.
#include "world/save.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/dsk.h"
#include "core/file.h"
#include "core/opt.h"
#include "core/scr.h"
#include "core/sys.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "interface/spr.h"
#include "world/actor.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/visited.h"

static_assert(std::endian::native == std::endian::little);

SAVE_Slot SAVE_Slots[SAVE_SLOT_COUNT];
uint16_t SAVE_Thumbnail[SAVE_THUMB_SIDE * SAVE_THUMB_SIDE];
LevelRecord SAVE_GameRecord;

namespace {

constexpr size_t kPathBytes = 260;
constexpr int32_t kEntryBytes = 40;
constexpr int32_t kRecordBytes = 1296;

void table_path(char (&path)[kPathBytes])
{
    std::snprintf(path, sizeof path, "%sdata\\game\\game.dat", DSK_InstallPath());
}

void game_path(char (&path)[kPathBytes], int32_t number)
{
    std::snprintf(path, sizeof path, "%sdata\\game\\game%d.dat", DSK_InstallPath(), int(number));
}

void thumbnail_path(char (&path)[kPathBytes], int32_t number)
{
    std::snprintf(path, sizeof path, "%sdata\\game\\game%d.ico", DSK_InstallPath(), int(number));
}

template <typename T> void put(uint8_t *out, int32_t at, const T &value) { std::memcpy(out + at, &value, sizeof value); }
template <typename T> void get(const uint8_t *in, int32_t at, T *value) { std::memcpy(value, in + at, sizeof *value); }

// Writes the bytes into "<path>.tmp", syncs and closes it, then renames it over path. On any failure
// the temporary file goes and path stays as it was. 0; -1 on a failure; -2 on a short write.
int32_t write_whole(const char *path, const void *bytes, uint32_t count)
{
    char temporary[kPathBytes + 4];
    std::snprintf(temporary, sizeof temporary, "%s.tmp", path);
    const int32_t handle = FILE_TryOpen(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_BINARY);
    if (handle < 0) {
        return -1;
    }
    const int32_t written = FILE_TryWrite(handle, bytes, count);
    int32_t result = written == -1 ? -1 : uint32_t(written) != count ? -2 : 0;
    if (result == 0 && FILE_SyncPlain(handle) != 0) {
        result = -1;
    }
    if (FILE_TryClose(handle) != 0 && result == 0) {
        result = -1;
    }
    if (result == 0 && FILE_RenamePlain(temporary, path) != 0) {
        result = -1;
    }
    if (result != 0) {
        FILE_TryRemove(temporary);
    }
    return result;
}

// Reads the file into the buffer: 1 when it holds exactly count bytes, else 0.
int read_whole(const char *path, uint8_t *bytes, uint32_t count)
{
    const int32_t handle = FILE_TryOpen(path, O_RDONLY | O_BINARY);
    if (handle < 0) {
        return 0;
    }
    uint32_t got = 0;
    bool failed = false;
    while (got < count) {
        const int32_t n = FILE_TryRead(handle, bytes + got, count - got);
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        got += uint32_t(n);
    }
    // One byte more tells a longer file from an exact one.
    uint8_t extra;
    const bool longer = !failed && got == count && FILE_TryRead(handle, &extra, 1) != 0;
    FILE_TryClose(handle);
    return !failed && got == count && !longer ? 1 : 0;
}

// The slot of that name (first match over its 22 bytes), or -1. An empty name matches nothing: it
// would find a free slot.
int32_t find_slot(const char *name)
{
    if (name == nullptr || name[0] == '\0') {
        return -1;
    }
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        if (std::strncmp(SAVE_Slots[i].name, name, SAVE_NAME_BYTES) == 0) {
            return i;
        }
    }
    return -1;
}

// The file number of the slot of that name, or -1 when it has none (or there is no such slot).
int32_t file_number_of(const char *name)
{
    const int32_t i = find_slot(name);
    if (i < 0) {
        return -1;
    }
    const int32_t number = SAVE_Slots[i].file_number;
    return number >= 0 && number < SAVE_SLOT_COUNT ? number : -1;
}

// The lowest file number no slot uses, or -1 when all ten are taken.
int32_t free_file_number()
{
    for (int32_t number = 0; number < SAVE_SLOT_COUNT; number++) {
        bool used = false;
        for (const SAVE_Slot &slot : SAVE_Slots) {
            used = used || slot.file_number == number;
        }
        if (!used) {
            return number;
        }
    }
    return -1;
}

void empty_slot(SAVE_Slot &slot)
{
    std::memset(slot.name, 0, sizeof slot.name);
    slot.locked = 0;
    slot.stamp = 0;
    slot.file_number = -1;
}

void put_ring(uint8_t *out)
{
    for (int32_t r = 0; r < VIS_RING_SIZE; r++) {
        const VisitedRecord &record = VIS_Ring[r];
        uint8_t *at = out + SAVE_AT_RING + r * kRecordBytes;
        for (int32_t e = 0; e < VIS_ENTRIES; e++) {
            const VisitedEntry &entry = record.entries[e];
            uint8_t *place = at + e * kEntryBytes;
            put(place, 0, entry.position);
            put(place, 24, entry.life);
            put(place, 28, entry.second_gauge);
            put(place, 32, entry.heading);
        }
        std::memcpy(at + 1280, record.name, strnlen(record.name, VIS_NAME_BYTES));
    }
}

void get_ring(const uint8_t *in)
{
    for (int32_t r = 0; r < VIS_RING_SIZE; r++) {
        VisitedRecord &record = VIS_Ring[r];
        const uint8_t *at = in + SAVE_AT_RING + r * kRecordBytes;
        for (int32_t e = 0; e < VIS_ENTRIES; e++) {
            VisitedEntry &entry = record.entries[e];
            const uint8_t *place = at + e * kEntryBytes;
            std::memset(&entry, 0, sizeof entry);
            get(place, 0, &entry.position);
            get(place, 24, &entry.life);
            get(place, 28, &entry.second_gauge);
            get(place, 32, &entry.heading);
        }
        std::memcpy(record.name, at + 1280, sizeof record.name);
    }
}

bool finite_float(const uint8_t *in, int32_t at)
{
    float value;
    get(in, at, &value);
    return std::isfinite(value);
}

bool finite_double(const uint8_t *in, int32_t at)
{
    double value;
    get(in, at, &value);
    return std::isfinite(value);
}

// A hand slot's icon that the drawing can index: a set of the pack and a sprite within its directory.
bool hand_icon_valid(int32_t set, int32_t sprite)
{
    if (set < 0 || set >= ICO_SET_COUNT || sprite < 0) {
        return false;
    }
    const int32_t entries = set == ICO_ANIMATED_SET ? SPR_ENTRIES / ICO_ANIMATION_FRAMES : SPR_ENTRIES;
    return sprite < entries;
}

} // namespace

const char *SAVE_GameFault(const uint8_t *in, size_t size)
{
    if (size != size_t(SAVE_GAME_BYTES)) {
        return "not 11388 bytes";
    }
    int32_t cursor;
    get(in, SAVE_AT_CURSOR, &cursor);
    if (cursor < 0 || cursor >= VIS_RING_SIZE) {
        return "ring cursor outside 0..7";
    }
    const char *project = reinterpret_cast<const char *>(in + SAVE_AT_PROJECT);
    if (strnlen(project, SAVE_PROJECT_BYTES) == size_t(SAVE_PROJECT_BYTES)) {
        return "project name without NUL";
    }
    if (PRJ_FindProject(project, SAVE_PROJECT_BYTES) < 0) {
        return "no such project";
    }
    for (int32_t r = 0; r < VIS_RING_SIZE; r++) {
        for (int32_t e = 0; e < VIS_ENTRIES; e++) {
            const int32_t at = SAVE_AT_RING + r * kRecordBytes + e * kEntryBytes;
            if (!finite_double(in, at) || !finite_double(in, at + 8) || !finite_double(in, at + 16) ||
                !finite_float(in, at + 24) || !finite_float(in, at + 28)) {
                return "a position or gauge of the ring is not a number";
            }
        }
    }
    if (!finite_float(in, SAVE_AT_LIFE) || !finite_float(in, SAVE_AT_GAUGE)) {
        return "the hero's life or gauge is not a number";
    }
    return nullptr;
}

void SAVE_SortSlots()
{
    int32_t order[SAVE_SLOT_COUNT];
    int32_t picked = 0;
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        if (SAVE_Slots[i].stamp > 0) {
            order[picked++] = i;
        }
    }
    if (picked == 0) {
        return;
    }
    // Oldest first; equal stamps (a damaged table) keep their slot order, so none is lost.
    for (int32_t a = 1; a < picked; a++) {
        const int32_t slot = order[a];
        int32_t b = a;
        for (; b > 0 && SAVE_Slots[order[b - 1]].stamp > SAVE_Slots[slot].stamp; b--) {
            order[b] = order[b - 1];
        }
        order[b] = slot;
    }
    SAVE_Slot sorted[SAVE_SLOT_COUNT];
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        if (i < picked) {
            sorted[i] = SAVE_Slots[order[i]];
            sorted[i].stamp = i + 1;
        } else {
            empty_slot(sorted[i]);
        }
    }
    std::memcpy(SAVE_Slots, sorted, sizeof SAVE_Slots);
}

int32_t SAVE_WriteSlots()
{
    SAVE_SortSlots();
    uint8_t bytes[SAVE_TABLE_BYTES] = {};
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        const SAVE_Slot &slot = SAVE_Slots[i];
        std::memcpy(bytes + SAVE_AT_NAMES + i * SAVE_NAME_BYTES, slot.name, strnlen(slot.name, SAVE_NAME_BYTES));
        put(bytes, SAVE_AT_LOCKED + i * 4, slot.locked);
        put(bytes, SAVE_AT_STAMPS + i * 4, slot.stamp);
        put(bytes, SAVE_AT_NUMBERS + i * 4, slot.file_number);
    }
    char path[kPathBytes];
    table_path(path);
    return write_whole(path, bytes, sizeof bytes);
}

int32_t SAVE_ReadSlots()
{
    for (SAVE_Slot &slot : SAVE_Slots) {
        slot.file_number = -1;
    }
    char path[kPathBytes];
    table_path(path);
    uint8_t bytes[SAVE_TABLE_BYTES];
    if (!read_whole(path, bytes, sizeof bytes)) {
        for (SAVE_Slot &slot : SAVE_Slots) {
            empty_slot(slot);
        }
        return -1;
    }
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        SAVE_Slot &slot = SAVE_Slots[i];
        std::memcpy(slot.name, bytes + SAVE_AT_NAMES + i * SAVE_NAME_BYTES, SAVE_NAME_BYTES);
        slot.name[SAVE_NAME_BYTES - 1] = '\0';
        get(bytes, SAVE_AT_LOCKED + i * 4, &slot.locked);
        get(bytes, SAVE_AT_STAMPS + i * 4, &slot.stamp);
        int32_t number;
        get(bytes, SAVE_AT_NUMBERS + i * 4, &number);
        // Two slots on one file would overwrite each other's game.
        for (int32_t j = 0; j < i; j++) {
            if (SAVE_Slots[j].file_number == number) {
                number = -1;
            }
        }
        slot.file_number = number >= 0 && number < SAVE_SLOT_COUNT ? number : -1;
    }
    return 0;
}

int32_t SAVE_WriteGame(const char *name)
{
    const int32_t i = find_slot(name);
    if (i < 0) {
        return -1;
    }
    SAVE_Slot &slot = SAVE_Slots[i];
    if (slot.file_number < 0 || slot.file_number >= SAVE_SLOT_COUNT) {
        slot.file_number = free_file_number();
        if (slot.file_number < 0) {
            return -1;
        }
    }
    static uint8_t bytes[SAVE_GAME_BYTES];
    std::memset(bytes, 0, sizeof bytes);
    put_ring(bytes);
    put(bytes, SAVE_AT_CURSOR, VIS_Cursor);
    std::memcpy(bytes + SAVE_AT_PROJECT, PRJ_Current->name, strnlen(PRJ_Current->name, sizeof PRJ_Current->name));
    const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    put(bytes, SAVE_AT_LIFE, hero.life);
    put(bytes, SAVE_AT_GAUGE, hero.second_gauge);
    INV_ToImage(INV_Data, bytes + SAVE_AT_INVENTORY);
    for (int32_t k = 0; k < 3; k++) {
        put(bytes, SAVE_AT_HAND_SETS + k * 4, MENJ_Hands[k].set);
        put(bytes, SAVE_AT_HAND_SPRITES + k * 4, MENJ_Hands[k].sprite);
    }
    char path[kPathBytes];
    game_path(path, slot.file_number);
    const int32_t result = write_whole(path, bytes, sizeof bytes);
    if (result == 0) {
        std::memset(VIS_Ring[VIS_Cursor].name, 0, sizeof VIS_Ring[VIS_Cursor].name);
    }
    return result;
}

int32_t SAVE_ReadGame(const char *name)
{
    const int32_t number = file_number_of(name);
    if (number < 0) {
        return -1;
    }
    char path[kPathBytes];
    game_path(path, number);
    static uint8_t bytes[SAVE_GAME_BYTES];
    if (!read_whole(path, bytes, sizeof bytes) || SAVE_GameFault(bytes, sizeof bytes) != nullptr) {
        return -1;
    }
    get_ring(bytes);
    get(bytes, SAVE_AT_CURSOR, &VIS_Cursor);
    char project[SAVE_PROJECT_BYTES];
    std::memcpy(project, bytes + SAVE_AT_PROJECT, sizeof project);
    // The project was found above, so the switch does not fall back.
    const LevelRecord *record = PRJ_SwitchTo(project, sizeof project);
    if (record != nullptr) {
        std::memcpy(&SAVE_GameRecord, record, sizeof SAVE_GameRecord);
    }
    PRJ_Current = &SAVE_GameRecord;
    PRJ_Next = &SAVE_GameRecord;
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    get(bytes, SAVE_AT_LIFE, &hero.life);
    get(bytes, SAVE_AT_GAUGE, &hero.second_gauge);
    INV_FromImage(&INV_Data, bytes + SAVE_AT_INVENTORY);
    INV_Data.owner = &hero;
    hero.inventory = &INV_Data;
    for (int32_t k = 0; k < 3; k++) {
        int32_t set;
        int32_t sprite;
        get(bytes, SAVE_AT_HAND_SETS + k * 4, &set);
        get(bytes, SAVE_AT_HAND_SPRITES + k * 4, &sprite);
        if (!hand_icon_valid(set, sprite)) {
            set = -1;
            sprite = -1;
        }
        MENJ_Hands[k].set = set;
        MENJ_Hands[k].sprite = sprite;
    }
    for (int32_t k = 0; k < 3; k++) {
        MENJ_UpdateSlot(k);
    }
    PRJ_PendingFlag = 1;
    GAME_FadeTimer = 15.0f;
    GAME_FilmFrozen = 0;
    SAVE_GameRecord.fade_kind = 1;
    return 0;
}

int32_t SAVE_WriteThumbnail(const char *name)
{
    const int32_t number = file_number_of(name);
    if (number < 0) {
        std::memset(SAVE_Thumbnail, 0, sizeof SAVE_Thumbnail);
        return -1;
    }
    Set_Screen_Size(SAVE_THUMB_SIDE, SAVE_THUMB_SIDE);
    Set_Viewport_Fov(SAVE_THUMB_SIDE, SAVE_THUMB_SIDE, 0, 0, 76.36f);
    Render_Frame(SAVE_Thumbnail);
    OPT_SetView(int32_t(SCR_Width), int32_t(SCR_Height));
    char path[kPathBytes];
    thumbnail_path(path, number);
    if (write_whole(path, SAVE_Thumbnail, sizeof SAVE_Thumbnail) != 0) {
        std::memset(SAVE_Thumbnail, 0, sizeof SAVE_Thumbnail);
        return -1;
    }
    return 0;
}

int32_t SAVE_ReadThumbnail(const char *name)
{
    const int32_t number = file_number_of(name);
    char path[kPathBytes];
    if (number >= 0) {
        thumbnail_path(path, number);
    }
    if (number < 0 || !read_whole(path, reinterpret_cast<uint8_t *>(SAVE_Thumbnail), sizeof SAVE_Thumbnail)) {
        std::memset(SAVE_Thumbnail, 0, sizeof SAVE_Thumbnail);
        return -1;
    }
    return 0;
}
