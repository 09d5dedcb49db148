// Icons: the five icon sets of the icon pack, the built-in table that names every icon, and the five
// ways of drawing one.
#pragma once
#include <array>
#include <cstdint>

#include "engine3d/gfx_sprite.h"

constexpr int32_t ICO_SET_COUNT = 5;
constexpr int32_t ICO_ICON_COUNT = 72;
// Set 1 holds animations: frame f of its sprite s is entry s x 16 + f.
constexpr int32_t ICO_ANIMATED_SET = 1;
constexpr int32_t ICO_ANIMATION_FRAMES = 16;
// The set of controller icons, whose file holds 1-byte pixels.
constexpr int32_t ICO_PLAIN_SET = 3;

// One set: its 256-entry directory (null while not loaded), and the palette its entries share.
struct ICO_Set {
    SPR_Entry *entries;
    uint16_t *palette;
};
extern ICO_Set ICO_Sets[ICO_SET_COUNT];
// The sets' files in the icon pack.
extern const char ICO_SetFiles[ICO_SET_COUNT][13];

enum : uint8_t {
    ICO_CLASS_INTERFACE = 0,
    ICO_CLASS_SPELL = 1,
    ICO_CLASS_OBJECT = 2,
};

// An icon of the table: its name (at most 8 characters), where its picture is, what it is, the three
// lines the menus show for it, and the value a hand slot hands to the hero with it.
struct ICO_Icon {
    char name[9];
    int32_t set;
    int32_t sprite;
    uint8_t icon_class;
    char description[3][33];
    int32_t value;
};
extern ICO_Icon ICO_Table[ICO_ICON_COUNT];

// Start-up (MENJ_Init, once the icon pack is open): reads the five sets from the pack. A damaged set
// ends the program with "Kalder Internal Error : Read Icone Error".
void ICO_LoadSets();
// Shutdown (MENJ_Shutdown): gives back a set's palette, pixel blocks and directory.
void ICO_FreeSet(int32_t i);
void ICO_FreeSets();
// The id of the icon named so (letter case ignored), its set and sprite written out; -1 with set and
// sprite -1 when no icon has the name.
int32_t ICO_Find(const char *name, int32_t *set, int32_t *sprite);
int32_t ICO_IndexOf(const char *name);

// The icon drawing routines: sprite (frame, in the animated set) of the set with its hot spot at
// (x, y), at half width on screens 400 pixels wide or less and half height on screens of fewer than 400
// rows.
// Alpha pixels, the same dimmed, 1-byte pixels with index 0 transparent, the same dimmed, and alpha
// pixels divided by the fade.
void ICO_Draw(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y);
void ICO_DrawDark(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y);
void ICO_DrawPlain(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y);
void ICO_DrawPlainDark(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y);
void ICO_DrawFaded(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y, uint8_t fade);

// The entry an icon's frame is drawn from, or null when the set is not loaded or the entry is outside
// the directory.
SPR_Entry *ICO_Entry(int32_t set, int32_t sprite, int32_t frame);

// The picture a dialogue entry carries, while its window is open: null when there is none.
extern SPR_Entry *ICO_Picture;
// The dialogue window builds the picture from a sprite-file image in memory (its entry 0), taking its
// palette, entry and pixels from the memory arena; an old picture is given back first. 0, or -1 when
// the image is damaged or the arena is full (nothing stays taken).
int32_t ICO_MakePicture(const uint8_t *image, uint32_t length);
// Gives the picture back to the arena when its dialogue window closes.
void ICO_FreePicture();
// Draws the picture like ICO_Draw, its hot spot at (x, y).
void ICO_DrawPicture(int32_t x, int32_t y);

// The round window of a save's 64 x 64 picture: a disc of diameter 48, two words a row, the lowest bit
// the leftmost pixel.
constexpr int32_t ICO_THUMB_SIDE = 64;
using ICO_Mask = std::array<std::array<uint32_t, 2>, ICO_THUMB_SIDE>;
extern const ICO_Mask ICO_ThumbnailMask;
// The save screens draw a save's picture (64 x 64 pixels of the frame's format) through the round
// window, its top-left corner at (x, y); every second column on screens 400 wide or less and every
// second row on screens under 400 high. Pixels off the screen are not written.
void ICO_DrawThumbnail(const uint16_t *pixels, int32_t x, int32_t y);
