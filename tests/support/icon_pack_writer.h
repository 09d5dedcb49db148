// The icon pack: the five icon sets drawn in code for the demo and the tests, and the .bf image that
// holds them under the names the icon loader opens.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/sprite_set_writer.h"

namespace kalder_test {

// The demo's icon sets, index = set: 0 the 14 spells and 1 the turning "nothing" ring (16 frames),
// both 32 x 32 alpha pictures; 2 the seven gauge parts (the frame with the gauge blitter's markers,
// four fills, two flash fills and the balance cursor); 3 the controller's arrows and button caps in
// 1-byte pixels; 4 the information panels, "block", "mcombat", "replay" and "record" (0..6), the title
// menu's four tiles unlit (grey) and lit (gold) (16..23) and the 16 objects (32..47).
std::vector<SpriteSetWriter> DemoIcons();

// The demo's dialogue portrait: a sprite file whose entry 0 is a 48 x 56 face of alpha pixels with its
// hot spot in the middle, over the icons' palette.
SpriteSetWriter DemoPortrait();

// The pack image of five sets, stored under the icon loader's file names.
std::vector<uint8_t> IconPackImage(const std::vector<SpriteSetWriter> &sets);
std::vector<uint8_t> DemoIconPack();

// Writes the demo pack as DATA/ICONE/ICONES.BF below a drive folder (the disc, in the demo).
bool WriteDemoIconPack(const std::string &root);

} // namespace kalder_test
