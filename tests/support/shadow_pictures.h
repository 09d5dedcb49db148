// The shadows on the demo level: the level played to a tick with either kind of shadow, and the
// silhouette's texels as a picture; the shadow goldens, kdev shadows and the shadow benchmark.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

// On the demo installation's drives already mapped and a screen already made: the true shadows set on
// or off, then the demo level started and played for `ticks` ticks (StartDemoLevel).
void StartShadowDemo(int ticks, bool real, bool letterbox = true);
// Puts the root camera above the hero and to its side, looking down at its feet, so that the shadows on
// the floor show; the frame composed next is seen from there.
void LookAtShadows();
// The 256 x 256 texels of "OMBRE2" as a grey picture: texel 0 black, 1 white, any other by its value.
std::vector<uint16_t> ShadowTexturePicture();

} // namespace kalder_test
