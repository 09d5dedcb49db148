// Scene textures: the 64 texture slots, their colours and the shading tables the tint rebuilds.
#include "world/tex.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/dsp.h"
#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/rand.h"
#include "engine3d/gfx_tint.h"
#include "engine3d/matcache.h"
#include "world/actor.h"
#include "world/dsn.h"
#include "world/fgt.h"
#include "world/flick.h"
#include "world/level_record.h"
#include "world/prj.h"
#include "world/tex_sample.h"

TEX_ShadingState TEX_Shading;
int32_t TEX_SceneStarted;
TEX_Slot TEX_Slots[TEX_SLOT_COUNT];

namespace {

// Written by TEX_ClearSpare and read by nothing.
int32_t spare;

// Shading table k (1..32) of the texels at T.
uint8_t *Table(uint8_t *texels, int32_t k) { return texels - 1024 * k; }

int32_t Clamp_Channel(int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, 255)); }

// The slot's base colours as the tint routine reads them: blue, green, red, unread.
const uint8_t *Palette_Bytes(const TEX_Slot *slot) { return reinterpret_cast<const uint8_t *>(slot->palette); }

// One shading table: the tint plus the offset, held within what the tint routine takes.
void Tint(const TEX_Slot *slot, uint8_t *texels, int32_t k, const int32_t rgb[3], int64_t offset)
{
    int32_t c[3];
    for (int i = 0; i < 3; i++) {
        c[i] = int32_t(std::clamp<int64_t>(int64_t(rgb[i]) + offset, -127, 127));
    }
    GFX_TintPalette(c[0], c[1], c[2], Palette_Bytes(slot), Table(texels, k));
}

// The offset of shade level n: (n x step) >> 2.
int64_t Level(int32_t step, int32_t n) { return (int64_t(n) * step) >> 2; }

// The slot's name begins with the same three letters as the scene's node name (either shorter than
// three letters must match up to its end).
bool Exempt(const TEX_Slot *slot)
{
    const char *node = ACTOR_Slots[ACTOR_SCENE].node_name;
    const size_t node_length = strnlen(node, sizeof ACTOR_Slots[ACTOR_SCENE].node_name);
    if (node_length == 0) {
        return false;
    }
    for (size_t k = 0; k < 3; k++) {
        const int a = std::toupper(static_cast<unsigned char>(k < node_length ? node[k] : '\0'));
        const int b = std::toupper(static_cast<unsigned char>(slot->name[k]));
        if (a != b) {
            return false;
        }
        if (a == 0) {
            break;
        }
    }
    return true;
}

} // namespace

int32_t TEX_HasAnimated()
{
    if (TEX_FilmTextures == 0) {
        return 0;
    }
    for (const TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_FILM) {
            return 1;
        }
    }
    return 0;
}

void TEX_Reset()
{
    std::memset(TEX_Slots, 0, sizeof TEX_Slots);
    // The film target named the texels of the level that is going: the new level's heap reuses them.
    HNM_TargetTexture = nullptr;
}

int32_t TEX_Register(char *name)
{
    if (name == nullptr || name[0] == '\0') {
        return 0;
    }
    uint8_t *texels = Find_Cached_File(name);
    if (texels == nullptr) {
        return 0;
    }
    TEX_Slot *slot = nullptr;
    for (TEX_Slot &s : TEX_Slots) {
        if (s.flags == 0) {
            slot = &s;
            break;
        }
    }
    if (slot == nullptr) {
        return 0;
    }
    // The cache's own name is upper-cased: every later look-up goes by the upper-case name.
    for (size_t k = 0; k < sizeof slot->name && name[k] != '\0'; k++) {
        name[k] = char(std::toupper(static_cast<unsigned char>(name[k])));
    }
    std::memset(slot->name, 0, sizeof slot->name);
    std::memcpy(slot->name, name, strnlen(name, sizeof slot->name - 1));
    slot->texels = texels;
    slot->tag = 0;
    slot->flags = TEX_SHADED;
    TEX_ReadPalette(slot);
    return 1;
}

void TEX_ReadPalette(TEX_Slot *slot)
{
    const uint8_t *table = Table(slot->texels, 17);
    // A display of 15-bit colours had the cache turn every table to 5-5-5.
    const bool rgb555 = Is_Cached_File_555(slot->name) != 0;
    const LevelRecord *p = PRJ_Current;
    const int32_t factor = p != nullptr ? p->tint_strength : 0;
    const bool contrast = factor != 0 && !(p->tint_switch != 0 && Exempt(slot));
    for (int32_t i = 0; i < 256; i++) {
        uint32_t word;
        std::memcpy(&word, table + 4 * i, 4);
        const uint32_t c = word >> 16;
        uint32_t colour = rgb555 ? (c & 0x7C00) << 9 | (c & 0x03E0) << 6 | (c & 0x001F) << 3
                                 : (c & 0xF800) << 8 | (c & 0x07E0) << 5 | (c & 0x001F) << 3;
        if (contrast) {
            uint32_t out = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int64_t v = (colour >> shift) & 0xFF;
                out |= uint32_t(Clamp_Channel((v - 127) * factor / 64 + 127)) << shift;
            }
            colour = out;
        }
        slot->palette[i] = colour;
    }
}

void TEX_BindShaded(ActorRecord *actor)
{
    char *node = actor->node_name;
    const size_t length = strnlen(node, sizeof actor->node_name);
    for (size_t k = 0; k < length; k++) {
        node[k] = char(std::toupper(static_cast<unsigned char>(node[k])));
    }
    // An empty node name would begin every name: it binds nothing.
    if (length > 0) {
        for (TEX_Slot &slot : TEX_Slots) {
            if (std::strncmp(slot.name, node, length) == 0) {
                slot.flags |= TEX_CHARACTER;
                slot.character = actor;
            }
        }
    }
    const bool darkens = PRJ_Current != nullptr && PRJ_Current->fade_kind == 1;
    for (int32_t &t : actor->hit_tint) {
        t = darkens ? -64 : 64;
    }
    actor->tint_word = darkens ? 0 : 0xFFFF;
}

void TEX_Prepare()
{
    TEX_ShadingState &s = TEX_Shading;
    s.fade_frames = float(double(s.fade_seconds) * 30.0);
    if (s.fade_frames != 0.0f) {
        for (int i = 0; i < 3; i++) {
            s.tint_float[i] = float(s.tint[i]);
            s.fade_step[i] = float((double(s.fade_target[i]) - double(s.tint_float[i])) / double(s.fade_frames));
        }
    }
    if (FLICK_LightsPresent != 0) {
        s.smoothed[0] = s.smoothed[1] = s.smoothed[2] = 0;
    }
    s.shade_phase = 0;
    for (TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_SHADED) {
            TEX_BuildShadeTables(&slot, s.smoothed[0], s.smoothed[1], s.smoothed[2]);
        }
    }
    TEX_BindSprite();
    TEX_FindLightActors();
}

void TEX_BuildShadeTables(TEX_Slot *slot, int32_t r, int32_t g, int32_t b)
{
    uint8_t *texels = Find_Cached_File(slot->name);
    if (texels == nullptr) {
        return;
    }
    const TEX_ShadingState &s = TEX_Shading;
    const int32_t p = s.shade_phase & 31;
    int32_t rgb[3] = {r, g, b};
    int32_t step = s.scene_shade_step;
    const bool character = (slot->flags & TEX_CHARACTER) != 0 && slot->character != nullptr;
    if (character) {
        std::memcpy(rgb, slot->character->hit_tint, sizeof rgb);
        step = s.character_shade_step;
    }
    if (FLICK_LightsPresent == 0) {
        if (character || step != 0) {
            Tint(slot, texels, p + 1, rgb, Level(step, p + 1));
        }
        Tint(slot, texels, 16, rgb, 0);
        return;
    }
    if (!character && step == 0) {
        return;
    }
    // While the scene streams in or the fade runs, every light level changes at once.
    if (DSN_IsLoaded() != 0 || s.fade_frames > 0.0f) {
        for (int32_t i = 0; i < 32; i++) {
            Tint(slot, texels, i + 1, rgb, Level(step, i));
        }
    } else {
        Tint(slot, texels, p + 1, rgb, Level(step, p + 1));
    }
}

void TEX_Update()
{
    TEX_ShadingState &s = TEX_Shading;
    if (s.fade_frames != 0.0f) {
        s.fade_frames = float(double(s.fade_frames) - GAME_TimeFactor);
        if (s.fade_frames < 0.0f) {
            s.fade_frames = 0.0f;
        }
        for (int i = 0; i < 3; i++) {
            s.tint_float[i] = float(double(s.tint_float[i]) + double(s.fade_step[i]) * GAME_TimeFactor);
            s.tint[i] = trunc_i32(s.tint_float[i]);
        }
    }
    if (FLICK_LightsCreated != 0) {
        TEX_MoveLights();
    }
    if (TEX_ScrollTextures != 0) {
        TEX_ScrollAll();
    }
    if (TEX_FlowTextures != 0) {
        TEX_FlowAll();
    }
    if (TEX_FlickerOn != 0) {
        TEX_SampleTints();
        TEX_Flicker();
    }
}

void TEX_SampleTints()
{
    for (int32_t i = 0; i < ACTOR_ActiveCount2; i++) {
        ActorRecord *actor = ACTOR_ActiveList2[i];
        if (actor->flags[1] & ACTOR_F1_AI) {
            TEX_SampleObjectTint(actor);
        }
    }
}

void TEX_Flicker()
{
    TEX_ShadingState &s = TEX_Shading;
    int64_t n[3];
    for (int64_t &v : n) {
        v = SYS_Rand() & 127;
    }
    const bool under_water = FGT_Underwater != 0;
    for (int i = 0; i < 3; i++) {
        int64_t wanted = s.tint[i];
        if (under_water) {
            wanted += s.water_offset[i] + ((n[i] * (int64_t(s.flicker[i]) + s.water_extra)) >> 7);
        } else {
            wanted += (n[i] * s.flicker[i]) >> 7;
        }
        const int64_t smoothed = s.smoothed[i] + ((wanted - s.smoothed[i]) >> 3);
        s.smoothed[i] = int32_t(std::clamp<int64_t>(smoothed, INT32_MIN, INT32_MAX));
    }
    for (TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_SHADED) {
            TEX_BuildShadeTables(&slot, s.smoothed[0], s.smoothed[1], s.smoothed[2]);
        }
    }
    s.shade_phase = (s.shade_phase + 1) & 31;
}

TEX_Slot *TEX_FindFlag4()
{
    for (TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_FLAG4) {
            return &slot;
        }
    }
    return nullptr;
}

void TEX_ClearTexels(TEX_Slot *slot)
{
    if (slot->texels != nullptr) {
        std::memset(slot->texels, 0, 65536);
    }
}

void TEX_ClearSpare() { spare = 0; }

void TEX_Smooth(TEX_Slot *slot)
{
    uint8_t *t = slot->texels;
    auto channel = [&](int32_t x, int32_t y, int shift) { return int32_t((slot->palette[t[y * 256 + x]] >> shift) & 0xFF); };
    for (int32_t y = 2; y <= 252; y += 2) {
        for (int32_t x = 2; x <= 252; x += 2) {
            int32_t average[3];
            for (int c = 0; c < 3; c++) {
                const int shift = 16 - 8 * c;
                average[c] = (channel(x - 1, y, shift) + channel(x + 1, y, shift) + channel(x, y - 1, shift) +
                              channel(x, y + 1, shift)) / 4;
            }
            int32_t best = 10000;
            int32_t index = t[y * 256 + x];
            for (int32_t i = 0; i < 256; i++) {
                const uint32_t c = slot->palette[i];
                const int32_t d = std::abs(int32_t((c >> 16) & 0xFF) - average[0]) +
                                  std::abs(int32_t((c >> 8) & 0xFF) - average[1]) + std::abs(int32_t(c & 0xFF) - average[2]);
                if (d < best) {
                    best = d;
                    index = i;
                }
            }
            t[y * 256 + x] = uint8_t(index);
        }
    }
}
