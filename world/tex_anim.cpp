// Animated scene textures: the film-fed, scrolling, flowing and particle sprite slots, the film's
// palette, and the scene start that binds them once the scene has streamed in.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/mgm.h"
#include "engine3d/matcache.h"
#include "engine3d/proctex.h"
#include "interface/menu.h"
#include "interface/slot.h"
#include "world/dsn.h"
#include "world/level_record.h"
#include "world/prj.h"
#include "world/ptc.h"
#include "world/tex.h"

uint8_t *TEX_SpriteTexels;

namespace {

// The first slot named exactly as the record's texture field, bound with the flag; null when the
// name is empty, not in the material cache, or no slot has it.
TEX_Slot *Bind(const char *field, size_t field_size, uint32_t flag)
{
    char name[sizeof TEX_Slot::name + 1] = {};
    std::memcpy(name, field, std::min(strnlen(field, field_size), sizeof name - 1));
    if (name[0] == '\0' || Find_Cached_File(name) == nullptr) {
        return nullptr;
    }
    for (TEX_Slot &slot : TEX_Slots) {
        if (std::strcmp(slot.name, name) == 0) {
            std::memset(slot.name, 0, sizeof slot.name);
            std::memcpy(slot.name, name, strnlen(name, sizeof slot.name - 1));
            slot.texels = Find_Cached_File(name);
            slot.tag = 0;
            slot.flags |= flag;
            return &slot;
        }
    }
    return nullptr;
}

bool Any_Film_Fed()
{
    for (const TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_FILM) {
            return true;
        }
    }
    return false;
}

} // namespace

void TEX_SceneStart()
{
    const LevelRecord *p = PRJ_Current;
    if (DSN_IsLoaded() != 0 || TEX_SceneStarted == 1 || p == nullptr) {
        return;
    }
    if (p->cd_track != 0) {
        MGM_SendMessage(30, p->cd_track & 0xFF, 0);
    }
    if (p->entry_mode == 0 || p->entry_mode == 1) {
        char name[sizeof p->name + 1] = {};
        std::memcpy(name, p->name, strnlen(p->name, sizeof p->name));
        SLOT_AutoSave(name);
        if (p->entry_mode == 1) {
            MENU_KeepSpellsOnly();
        }
    }
    TEX_SceneStarted = 1;
    TEX_AnimStart();
    TEX_BindScroll();
    TEX_BindFlow();
}

int32_t TEX_AnimStart()
{
    const LevelRecord *p = PRJ_Current;
    TEX_Slot *slot = p != nullptr ? Bind(p->anim_texture, sizeof p->anim_texture, TEX_FILM) : nullptr;
    if (slot == nullptr) {
        return 0;
    }
    HNM_TargetTexture = slot->texels;
    // A path that does not fit is a film that did not open: the slot stays film-fed.
    char path[260];
    if (TEX_FilmTextures != 0 && GAME_AnimFilmPath(path, sizeof path) != 0 &&
        MGM_SendMessage(23, reinterpret_cast<intptr_t>(path), 4) != 0) {
        MGM_SendMessage(24, 0, 0);
    }
    return 1;
}

int32_t TEX_BindScroll()
{
    const LevelRecord *p = PRJ_Current;
    return p != nullptr && Bind(p->scroll_texture, sizeof p->scroll_texture, TEX_SCROLL) != nullptr ? 1 : 0;
}

int32_t TEX_BindFlow()
{
    const LevelRecord *p = PRJ_Current;
    TEX_Slot *slot = p != nullptr ? Bind(p->flow_texture, sizeof p->flow_texture, TEX_FLOW) : nullptr;
    if (slot == nullptr) {
        return 0;
    }
    // The flow step rewrites its texels every tick: a film-fed texture keeps the film.
    if (!Any_Film_Fed()) {
        HNM_TargetTexture = slot->texels;
    }
    GFX_InitFlowTexture(slot->texels);
    return 1;
}

int32_t TEX_BindSprite()
{
    static const char sprite[] = "SPRITE";
    return Bind(sprite, sizeof sprite, TEX_SPRITE) != nullptr ? 1 : 0;
}

void TEX_ScrollAll()
{
    for (TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_SCROLL) {
            GFX_ScrollTexture(slot.texels);
        }
    }
}

void TEX_FlowAll()
{
    for (TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_FLOW) {
            GFX_StepFlowTexture(slot.texels);
        }
    }
}

void TEX_SpriteFrame()
{
    TEX_SpriteTexels = nullptr;
    for (const TEX_Slot &slot : TEX_Slots) {
        if (slot.flags & TEX_SPRITE) {
            TEX_SpriteTexels = slot.texels;
        }
    }
    PART_Update();
}

void TEX_SetSpritePalette(const uint8_t *palette)
{
    // One source of 256 entries: the first sprite slot takes it, a second one gets no entries.
    bool used = false;
    for (TEX_Slot &slot : TEX_Slots) {
        if (!(slot.flags & TEX_SPRITE)) {
            continue;
        }
        if (!used) {
            for (int32_t i = 0; i < 256; i++) {
                std::memcpy(reinterpret_cast<uint8_t *>(&slot.palette[i]), palette + 4 * i, 3);
            }
            used = true;
        }
        TEX_BuildShadeTables(&slot, 0, 0, 0);
    }
}

void TEX_DecodeFilmPalette(const uint8_t *payload, uint32_t length, uint32_t palette[256])
{
    uint32_t at = 0;
    while (length - at >= 2) {
        const uint32_t start = payload[at], count = payload[at + 1];
        if (start == 0xFF || count == 0xFF) {
            return;
        }
        at += 2;
        const uint32_t n = count == 0 ? 256 : count;
        for (uint32_t i = 0; i < n; i++) {
            if (length - at < 3) {
                return; // a cut run ends the chunk
            }
            const uint32_t r = (payload[at] << 2) & 0xFF, g = (payload[at + 1] << 2) & 0xFF,
                           b = (payload[at + 2] << 2) & 0xFF;
            at += 3;
            if (start + i < 256) {
                palette[start + i] = r << 16 | g << 8 | b;
            }
        }
    }
}

void TEX_ApplyFilmPalette(const uint8_t *payload, uint32_t length)
{
    // The chunk is read once: a second film-fed slot would get no entries.
    bool used = false;
    for (TEX_Slot &slot : TEX_Slots) {
        if (!(slot.flags & TEX_FILM)) {
            continue;
        }
        if (!used) {
            TEX_DecodeFilmPalette(payload, length, slot.palette);
            used = true;
        }
        TEX_BuildShadeTables(&slot, 0, 0, 0);
    }
}
