// The hero's inventory: adding, finding and removing items by name, the empty record, and the record's
// image in a saved game.
#include "world/inv.h"

#include <cstring>

#include "interface/ico.h"
#include "interface/menj.h"
#include "world/actor.h"

static_assert(sizeof(float) == 4, "the image keeps charges as 4-byte floats");

INV_Record INV_Data = {nullptr, {}, -1, {-1, -1, -1}, {}, {}, {}, {}, 0};

namespace {

constexpr float kFreshCharge = 50.0f;

// A name as a place holds it: at most 15 characters, the rest of the 16 bytes zero. The caller's text
// is read up to its NUL or 16 bytes, so the unterminated 16-byte names of level records are safe.
struct StoredName {
    char text[INV_NAME_BYTES];
};

StoredName stored(const char *name)
{
    StoredName out = {};
    for (int32_t i = 0; i < INV_NAME_BYTES - 1 && name[i] != 0; i++) {
        out.text[i] = name[i];
    }
    return out;
}

bool holds(const INV_Record &record, int32_t i, const StoredName &name)
{
    return record.names[i][0] != 0 && std::strncmp(record.names[i], name.text, INV_NAME_BYTES) == 0;
}

INV_Record *record_of(ActorRecord *actor)
{
    return actor == nullptr ? nullptr : actor->inventory;
}

void clear_record(INV_Record *record)
{
    record->selected = -1;
    for (int32_t &q : record->quick) {
        q = -1;
    }
    for (float &c : record->charge) {
        c = kFreshCharge;
    }
}

bool valid_index(int32_t i)
{
    return i >= -1 && i < INV_ITEMS;
}

template <typename T> void put(uint8_t *out, int32_t at, const T &value)
{
    std::memcpy(out + at, &value, sizeof value);
}

template <typename T> void get(const uint8_t *in, int32_t at, T *value)
{
    std::memcpy(value, in + at, sizeof *value);
}

} // namespace

int32_t INV_Add(ActorRecord *actor, const char *name)
{
    INV_Record *record = record_of(actor);
    if (record == nullptr || name == nullptr) {
        return 0;
    }
    record->owner = actor;
    MENJ_PostName(MENJ_PICKUP, name);

    int32_t free_slot = -1;
    for (int32_t i = 0; i < INV_ITEMS && free_slot < 0; i++) {
        if (record->names[i][0] == 0) {
            free_slot = i;
        }
    }
    if (free_slot < 0) {
        return 0;
    }
    const StoredName item = stored(name);
    int32_t k = -1;
    for (int32_t i = 0; i < INV_ITEMS; i++) {
        if (holds(*record, i, item)) {
            k = i;
        }
    }
    if (k >= 0) {
        record->count[k]++;
    } else {
        // A place emptied by a removal keeps its old level and charge; a new item starts afresh there.
        k = free_slot;
        record->count[k] = 1;
        record->level[k] = 0;
        record->charge[k] = kFreshCharge;
        record->fixed[k] = 0;
    }
    std::memcpy(record->names[k], item.text, INV_NAME_BYTES);

    const int32_t id = ICO_IndexOf(item.text);
    if (id >= 0 && ICO_Table[id].icon_class == ICO_CLASS_OBJECT) {
        record->selected = k;
    }
    if (record->fixed[k] == 0 && record->level[k] + 1 <= record->count[k]) {
        record->level[k]++;
    }
    return 1;
}

void INV_Init(ActorRecord *actor)
{
    if ((INV_Data.inUse & 1u) == 0) {
        std::memset(&INV_Data, 0, sizeof INV_Data);
        clear_record(&INV_Data);
        INV_Data.inUse |= 1u;
    }
    if (actor != nullptr) {
        actor->inventory = &INV_Data;
    }
}

void INV_MarkKept(INV_Record *record)
{
    if (record != nullptr) {
        record->inUse |= 1u;
    }
}

int32_t INV_Has(ActorRecord *actor, const char *name)
{
    const INV_Record *record = record_of(actor);
    if (record == nullptr || name == nullptr) {
        return 0;
    }
    const size_t length = strnlen(name, INV_NAME_BYTES);
    for (int32_t i = 0; i < INV_ITEMS; i++) {
        if (record->names[i][0] != 0 && std::strncmp(record->names[i], name, length) == 0) {
            return 1;
        }
    }
    return 0;
}

int32_t INV_RemoveName(ActorRecord *actor, const char *name)
{
    INV_Record *record = record_of(actor);
    if (record == nullptr || name == nullptr) {
        return 0;
    }
    const StoredName item = stored(name);
    for (int32_t i = 0; i < INV_ITEMS; i++) {
        if (holds(*record, i, item)) {
            record->names[i][0] = 0;
            return 1;
        }
    }
    return 0;
}

void INV_Reset()
{
    INV_Data.inUse = 0;
    clear_record(&INV_Data);
    for (int32_t i = 0; i < INV_ITEMS; i++) {
        std::memset(INV_Data.names[i], 0, INV_NAME_BYTES);
        INV_Data.level[i] = 0;
        INV_Data.count[i] = 0;
        INV_Data.fixed[i] = 0;
    }
    MENJ_ResetWords[0] = 0x10200;
    MENJ_ResetWords[1] = 0x20100;
    MENJ_ResetWords[2] = 0x20100;
    MENJ_ResetWords[3] = 0x20100;
}

void INV_ToImage(const INV_Record &record, uint8_t out[INV_IMAGE_BYTES])
{
    put(out, INV_AT_OWNER, uint32_t(0));
    std::memcpy(out + INV_AT_NAMES, record.names, sizeof record.names);
    put(out, INV_AT_SELECTED, record.selected);
    put(out, INV_AT_QUICK, record.quick);
    put(out, INV_AT_CHARGE, record.charge);
    put(out, INV_AT_LEVEL, record.level);
    put(out, INV_AT_COUNT, record.count);
    put(out, INV_AT_FIXED, record.fixed);
    put(out, INV_AT_IN_USE, record.inUse);
}

void INV_FromImage(INV_Record *record, const uint8_t in[INV_IMAGE_BYTES])
{
    std::memcpy(record->names, in + INV_AT_NAMES, sizeof record->names);
    get(in, INV_AT_SELECTED, &record->selected);
    get(in, INV_AT_QUICK, &record->quick);
    get(in, INV_AT_CHARGE, &record->charge);
    get(in, INV_AT_LEVEL, &record->level);
    get(in, INV_AT_COUNT, &record->count);
    get(in, INV_AT_FIXED, &record->fixed);
    get(in, INV_AT_IN_USE, &record->inUse);
    // The HUD, the panels and the hand slots index the arrays with these and print the names.
    for (auto &name : record->names) {
        name[INV_NAME_BYTES - 1] = 0;
    }
    if (!valid_index(record->selected)) {
        record->selected = -1;
    }
    for (int32_t &q : record->quick) {
        if (!valid_index(q)) {
            q = -1;
        }
    }
}
