// The demo fonts: glyphs of our own drawing (the debug face of the 3D library resampled) as
// sprite-set files in three sizes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/sprite_set_writer.h"

namespace kalder_test {

// Large: cells of 12 x 16, baseline at hot y 13 (font 0). Medium: 10 x 12, hot y 10 (font 1).
// Small: 6 x 8, hot y 7 (fonts 2 and 3).
enum class FontSize { Large, Medium, Small };

// Palette indices of the glyphs: the face, and the shade one pixel down and right of it.
constexpr uint8_t kFontFace = 1;
constexpr uint8_t kFontShade = 2;

// Codes 0x21..0x7E a plain face, 0xC0..0xFF accented letters (a mark over the plain letter) where
// the code has one, every other code an empty entry.
SpriteSetWriter FontSet(FontSize size);
std::vector<uint8_t> FontImage(FontSize size);

// Writes the demo fonts and cursor set under a disc root, in upper case as discs have them:
// <root>/DATA/FONT/HI640.SPR (large), HI480.SPR (medium), HI320.SPR (small), <root>/DATA/OBJET/SOUR.ALP.
bool WriteDemoSpriteFiles(const std::string &root);

} // namespace kalder_test
