// The HUD's pictures for the goldens and kdev: the demo fonts and icon pack on a scratch drive, MENJ
// started over them, and the scenes the goldens show.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_drives.h"
#include "tests/support/text_pictures.h"

namespace kalder_test {

// A drive C holding the demo fonts, the cursor set and the icon pack, with the fonts loaded and MENJ
// started as start-up does; MENJ is shut down and the sprite sets freed when it goes.
class DemoHud {
public:
    DemoHud();
    ~DemoHud();
    DemoHud(const DemoHud &) = delete;
    DemoHud &operator=(const DemoHud &) = delete;
    TempDrives &drives() { return *drives_; }

private:
    std::unique_ptr<TempDrives> drives_;
};

enum class HudScene {
    Empty,   // three empty hand slots, no information
    Slots,   // three spells with counts 1, 12 and 99, the second glowing at 3, the third blocked, "mcombat"
    Pickup,  // a spell arriving in the second slot at step 7, and the information of a visited exit
    Overlay, // a replay playing back: the controller with up, k2 and sel pressed, and "replay"
};

// Puts MENJ, the hero, the inventory, the replay and the controls into the scene's state, from the
// state ClearHudScene leaves.
void SetHudScene(HudScene scene);
// Gives the hero, the inventory, the replay, the controls and MENJ's display their start state back.
void ClearHudScene();
// The scene's HUD drawn by one MENJ_Update over the test card on a screen of width x height.
Picture16 HudPicture(HudScene scene, int width, int height);

struct HudGolden {
    std::string name;
    HudScene scene;
    int width, height;
};
// The golden HUD pictures, by name.
const std::vector<HudGolden> &HudGoldens();

// The gauges' state for a picture: the values shown before the frame (what the pyramids remember) and
// the values of the frame.
struct GaugeScene {
    float shown_life, shown_mana;
    float life, mana, oxygen, balance;
};
// Frames of the HUD drawn from start-up before a gauge picture, so that the fire burns.
constexpr int kGaugeFireFrames = 30;
// The gauges alone over the test card, where the HUD puts them, after kGaugeFireFrames HUD frames.
Picture16 GaugePicture(const GaugeScene &scene, int width, int height);
// The test card scaled into a save's 64 x 64 picture, drawn through the round window at (100, 100)
// over a dark grey screen.
Picture16 ThumbnailPicture(int width, int height);
// The demo's dialogue portrait made into the picture sprite (in a scratch arena when there is none)
// and drawn over the test card at (16, 64).
Picture16 PortraitPicture(int width, int height);

// The goldens of the gauges, the thumbnail and the picture sprite, by name.
struct IconGolden {
    std::string name;
    std::function<Picture16()> make;
};
const std::vector<IconGolden> &IconGoldens();

} // namespace kalder_test
