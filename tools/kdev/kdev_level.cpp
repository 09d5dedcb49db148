// kdev level: a project loaded as the game tick loads it, its object slots, and the picture.
#include "tools/kdev/kdev_level.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/scr.h"
#include "engine3d/object.h"
#include "plat/files.h"
#include "tests/support/level_start.h"
#include "world/cam.h"
#include "tests/support/png16.h"
#include "tests/support/screen_target.h"
#include "world/actor.h"
#include "world/dsn.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/prj_load.h"

bool KdevMapDrives(const char *folder)
{
    std::error_code error;
    const std::string base = std::filesystem::absolute(folder, error).string();
    if (!std::filesystem::is_directory(base + "/drives", error) || PLAT_LoadDriveMap(nullptr, base.c_str()) == 0) {
        std::fprintf(stderr, "kdev: %s holds no drives folder\n", folder);
        return false;
    }
    return true;
}

int KdevLevel(const char *folder, int32_t ticks, const char *png)
{
    if (!KdevMapDrives(folder)) {
        return 1;
    }
    kalder_test::ScreenTarget screen(640, 480);
    kalder_test::StartLevelCore();
    CAM_Init(); // the level load places the camera behind the hero, as at start-up
    PRJ_LoadPending();
    for (int32_t i = 0; i < ticks; i++) {
        DSN_UpdateFrame();
    }
    std::printf("project %.20s\n", PRJ_Current->name);
    std::printf("%-4s %-15s %-29s %-26s %-7s %-10s %s\n", "slot", "node name", "flag bytes 0..9", "position",
                "heading", "node", "element");
    for (int32_t s = 0; s < ACTOR_SLOT_COUNT; s++) {
        const ActorRecord &a = ACTOR_Slots[s];
        if (!(a.flags[0] & ACTOR_F0_IN_USE)) {
            continue;
        }
        char flags[32];
        for (int i = 0; i < 10; i++) {
            std::snprintf(flags + 3 * i, 4, "%02X ", a.flags[i]);
        }
        flags[29] = '\0';
        char position[40];
        std::snprintf(position, sizeof position, "%.1f %.1f %.1f", a.position[0], a.position[1], a.position[2]);
        const long element = a.definition != nullptr ? long(a.definition - PRJ_Current->elements) : -1;
        std::printf("%-4d %-15s %-29s %-26s %-7d 0x%08X %ld\n", int(s), a.node_name, flags, position, int(a.heading),
                    unsigned(a.node), element);
    }
    if (MDL_SkyNode != 0) {
        std::printf("sky node 0x%08X %s\n", unsigned(MDL_SkyNode), Get_Obj_Name(MDL_SkyNode));
    } else {
        std::printf("sky node none\n");
    }
    int status = 0;
    if (png != nullptr) {
        SCR_ComposeFrame();
        if (!kalder_test::WritePng16(png, SCR_FrameBuffer, 640, 480, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", png);
            status = 1;
        } else {
            std::printf("picture %s\n", png);
        }
    }
    kalder_test::StopLevelCore();
    return status;
}
