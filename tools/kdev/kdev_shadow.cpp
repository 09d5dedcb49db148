// kdev shadows: the demo level played with its shadows, the shadow slots, the frame and the
// silhouette's texels.
#include "tools/kdev/kdev_shadow.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/scr.h"
#include "engine3d/object.h"
#include "tests/support/level_start.h"
#include "tests/support/png16.h"
#include "tests/support/screen_target.h"
#include "tests/support/shadow_pictures.h"
#include "tools/kdev/kdev_level.h"
#include "world/actor.h"
#include "world/shadow.h"

namespace {

void Print_Slots()
{
    std::printf("%-4s %-4s %-15s %-10s %-22s %s\n", "slot", "mode", "owner", "character", "laid at", "pairs");
    for (int32_t i = 0; i < SHADOW_SLOT_COUNT; i++) {
        const SHADOW_Slot &s = SHADOW_Slots[i];
        int32_t at[3];
        Get_Obj_Pos(s.mode == SHADOW_REAL && s.character != 0 ? s.real : s.flat, at);
        char laid[40];
        std::snprintf(laid, sizeof laid, "%d %d %d", int(at[0]), int(at[1]), int(at[2]));
        std::printf("%-4d %-4d %-15.16s 0x%08X %-22s", int(i), int(s.mode), s.owner != nullptr ? s.owner->node_name : "-",
                    unsigned(s.character), s.mode != 0 ? laid : "-");
        for (const auto &pair : s.pairs) {
            std::printf(" %d,%d", int(pair[0]), int(pair[1]));
        }
        std::printf("\n");
    }
    std::printf("attached %d\n", int(SHADOW_AttachedCount));
}

bool Write(const char *path, const uint16_t *pixels, int width, int height)
{
    if (!kalder_test::WritePng16(path, pixels, width, height, false)) {
        std::fprintf(stderr, "kdev: cannot write %s\n", path);
        return false;
    }
    std::printf("picture %s\n", path);
    return true;
}

} // namespace

int KdevShadows(int argc, char **argv)
{
    const char *folder = argv[0];
    bool real = false;
    int32_t ticks = 40;
    const char *png = nullptr, *texture = nullptr;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--real") == 0) {
            real = true;
        } else if (std::strcmp(argv[i], "--ticks") == 0 && i + 1 < argc) {
            ticks = int32_t(std::strtol(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png = argv[++i];
        } else if (std::strcmp(argv[i], "--texture") == 0 && i + 1 < argc) {
            texture = argv[++i];
        } else {
            return 2;
        }
    }
    if (!KdevMapDrives(folder)) {
        return 1;
    }
    kalder_test::ScreenTarget screen(640, 480);
    kalder_test::StartShadowDemo(ticks, real);
    Print_Slots();
    int status = 0;
    if (png != nullptr) {
        kalder_test::LookAtShadows();
        SCR_ComposeFrame();
        status |= Write(png, SCR_FrameBuffer, 640, 480) ? 0 : 1;
    }
    if (texture != nullptr) {
        const std::vector<uint16_t> picture = kalder_test::ShadowTexturePicture();
        status |= Write(texture, picture.data(), 256, 256) ? 0 : 1;
    }
    kalder_test::StopLevelCore();
    return status;
}
