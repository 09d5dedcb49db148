// The pictures of the tile magnifier, the procedural textures, the screen effects and the debug
// drawing, for the goldens and kdev gfx. Each leaves the globals it borrows as it found them.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

struct Picture {
    std::vector<uint16_t> pixels;
    int width = 0, height = 0;
};

// The tile the magnifier pictures use: a diagonal ramp crossed by two bright diagonals.
std::vector<uint8_t> MagnifierTile();
// The texture the flow pictures start from: checks of two values, crossed by diagonal stripes.
std::vector<uint8_t> FlowTestTexture();

// The 16 scale pairs side by side, rows by row scale 1, 2, 4, 8 and columns by column scale, each the
// tile magnified into a black 256 x 256 map, with 8-pixel gaps.
Picture MagnifyPicture();
// The fire map after `steps` steps with input 0 from a cold map and the initial seed, 4 x 4 pixels a
// byte. The seed is left where the steps took it.
Picture FirePicture(int steps);
// The flow output after `steps` steps from the flow test texture, 2 x 2 pixels a texel.
Picture FlowPicture(int steps);
// The test card with the band darkened from a quarter of the height and the three gauge bands of
// length 200, in RGB565 at width x height.
Picture ScreenEffectsPicture(int width, int height);
// 320 x 240 on the golden scenes' view: text plain and bold, a fan of lines through every border and
// the axes of three frames.
Picture DebugDrawPicture();
// 320 x 240 on the golden scenes' view: a collision floor and two walls as wire, two bodies with their
// sphere and point tests, and the line of sight between them.
Picture CollisionWirePicture();
// 320 x 240 with the scenes' wide view: the "boxes" scene rendered with every box in 0x00FF, and again
// in yellow through Draw_Box, which leaves out the crate moved across the near plane.
Picture BoxesWirePicture();

} // namespace kalder_test
