// The scene's texture slots, their shading and their animation.
#pragma once
#include <cstdint>

struct ActorRecord;

// The scene's shading: the tint and its fade, the flicker, the under-water shift and the shade
// steps. The level load fills it from the project record; the fade between projects moves the tint
// and colour C; triggers and hits write the tint directly.
struct TEX_ShadingState {
    int32_t tint[3];              // current tint r, g, b (project colour A)
    float tint_float[3];          // the fade's running tint
    int32_t fade_target[3];       // project colour D
    int32_t fade_seconds;         // project shade value
    float fade_frames;            // frames of the fade still to run
    float fade_step[3];           // added per frame (times the time factor)
    int32_t flicker[3];           // flicker amplitude (project colour B)
    int32_t water_offset[3];      // under-water offsets r, g, b
    int32_t water_extra;          // under-water extra amplitude
    int32_t colour_c[3];          // project colour C, stored in reverse order
    int32_t shade_steps[3];       // 64 each when fades brighten, -64 when they darken
    int32_t smoothed[3];          // smoothed tint: 128 each when fades brighten, -128 when they darken
    int32_t shade_phase = 16;     // 0..31: the one shade table the flicker rewrites this tick
    int32_t scene_shade_step;     // 2, or the project's shading mode
    int32_t character_shade_step; // 8, or the project's shading depth
    int32_t flag_a;               // the two flags the resource load clears
    int32_t flag_b;
};
extern TEX_ShadingState TEX_Shading;
// 0 after each project load, 1 once the scene has started.
extern int32_t TEX_SceneStarted;

// The switches of the texture work; the game never turns them off.
inline constexpr int32_t TEX_FilmTextures = 1;
inline constexpr int32_t TEX_FlowTextures = 1;
inline constexpr int32_t TEX_ScrollTextures = 1;
inline constexpr int32_t TEX_FlickerOn = 1;

// Flags of a slot; a slot is free while its flags are 0.
inline constexpr uint32_t TEX_FILM = 0x01;
inline constexpr uint32_t TEX_SHADED = 0x02;
inline constexpr uint32_t TEX_FLAG4 = 0x04; // never set
inline constexpr uint32_t TEX_SPRITE = 0x08;
inline constexpr uint32_t TEX_CHARACTER = 0x10;
inline constexpr uint32_t TEX_SCROLL = 0x20;
inline constexpr uint32_t TEX_FLOW = 0x40;

// One texture of the scene: 256 x 256 texels in the material cache, with its 32 shading tables of
// 256 colour words just below them (table k at texels - 1024 k; 16 the base, 17 the file's colours).
struct TEX_Slot {
    uint32_t tag;            // kept from registration, never read
    uint8_t *texels;
    char name[16];           // upper case, terminated
    uint32_t flags;
    ActorRecord *character;  // TEX_CHARACTER: whose tint the slot takes
    uint32_t palette[256];   // base colours 0x00RRGGBB
};
inline constexpr int32_t TEX_SLOT_COUNT = 64;
extern TEX_Slot TEX_Slots[TEX_SLOT_COUNT];
// The particle sprite's texels (the last "SPRITE" slot), for the particle system; null for none.
extern uint8_t *TEX_SpriteTexels;

// Non-zero when animated textures are on and a slot is film-fed. The frame handler asks at each film
// end, to loop the texture's film.
int32_t TEX_HasAnimated();
// The resource load frees the 64 texture slots and forgets the film target.
void TEX_Reset();
// The level load registers each material name of the 3D library's cache (upper-cased in place):
// 1, or 0 for an empty or unknown name or when no slot is free.
int32_t TEX_Register(char *name);
// The slot's base colours from its file's colour table, with the project's contrast.
void TEX_ReadPalette(TEX_Slot *slot);
// The level load binds the texture slots named after a character to its tint.
void TEX_BindShaded(ActorRecord *actor);
// The level load builds the shade tables of the registered slots and starts the fade.
void TEX_Prepare();
// Rewrites the slot's shading tables from its palette, moved by the tint (r, g, b).
void TEX_BuildShadeTables(TEX_Slot *slot, int32_t r, int32_t g, int32_t b);
// Called once per frame by the game tick: the scene textures' colour step.
void TEX_Update();
// From TEX_Update: the characters take the colour of the scene around them.
void TEX_SampleTints();
// From TEX_Update: the tint's random flicker and the rebuild of one shade table of every slot.
void TEX_Flicker();
// Nothing in the game calls these four.
TEX_Slot *TEX_FindFlag4();
void TEX_ClearTexels(TEX_Slot *slot);
void TEX_ClearSpare();
void TEX_Smooth(TEX_Slot *slot);

// Called once per frame by the game tick: starts the scene's music, save and films on the first
// tick after its stream closed.
void TEX_SceneStart();
// From the scene start: the film-fed, scrolling and flowing textures. 1 when bound (the film-fed one
// also when its film did not open).
int32_t TEX_AnimStart();
int32_t TEX_BindScroll();
int32_t TEX_BindFlow();
// From TEX_Prepare: the particle sprite texture "SPRITE".
int32_t TEX_BindSprite();
// From TEX_Update: one step of every scrolling and of every flowing texture.
void TEX_ScrollAll();
void TEX_FlowAll();
// Called once per frame by the game tick after the particle reset: the particle sprite's frame.
void TEX_SpriteFrame();
// Nothing in the game calls it: 256 entries of 4 bytes (the fourth kept) into the sprite slots.
void TEX_SetSpritePalette(const uint8_t *palette);

// The runs of a film palette chunk into a 256-colour palette (0x00RRGGBB); entries the chunk does not
// name stay. The film's palette receiver and the film tools share it.
void TEX_DecodeFilmPalette(const uint8_t *payload, uint32_t length, uint32_t palette[256]);
// The film player, at each PL chunk of a 256-colour film: the palette runs of the film-fed texture.
void TEX_ApplyFilmPalette(const uint8_t *payload, uint32_t length);
