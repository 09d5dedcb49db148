// kdev fight: the hero's fight step frame by frame on the demo level, and its weapons in hand.
#include "tools/kdev/kdev_fight.h"
#include "tools/kdev/kdev_level.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engine3d/view.h"
#include "tests/support/fight_pictures.h"
#include "tests/support/level_start.h"
#include "tests/support/png16.h"
#include "tests/support/screen_target.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/dsn.h"
#include "world/fgt.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/zon.h"

int KdevFight(const char *folder, int32_t ticks, const char *png_folder)
{
    if (!KdevMapDrives(folder)) {
        return 1;
    }
    kalder_test::ScreenTarget screen(320, 240);
    kalder_test::StartLevelCore();
    CAM_Init();
    PRJ_LoadPending();
    AI_BuildGroups();
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    std::printf("project %.20s, fight option %s\n", PRJ_Current->name, FGT_FightOption != 0 ? "manual" : "automatic");
    std::printf("%-5s %-6s %-9s %-8s %-7s %-6s %-9s %s\n", "tick", "target", "d", "in reach", "F92", "danger",
                "stance", "hold");
    for (int32_t t = 0; t < ticks; t++) {
        FGT_HeroFight(hero);
        CAM_CompCameraPos();
        ZON_Update(hero);
        AI_Update();
        ANIM_UpdateActors();
        DSN_UpdateFrame();
        int target = -1;
        double d = 0.0;
        for (int32_t s = 0; s < ACTOR_SLOT_COUNT; s++) {
            if (hero->target == &ACTOR_Slots[s]) {
                const ActorRecord *e = hero->target;
                const double dx = e->position[0] - hero->position[0], dy = e->position[1] - hero->position[1],
                             dz = e->position[2] - hero->position[2];
                target = int(s);
                d = std::sqrt(dx * dx + 4.0 * dy * dy + dz * dz);
            }
        }
        std::printf("%-5d %-6d %-9.1f %-8d %-7d %-6d 0x%02X/0x%02X %.1f\n", int(t), target, d, int(FGT_LastInReach),
                    int(FGT_LastF92Near), int(FGT_Danger), unsigned(hero->flags[4] & 0x60), unsigned(hero->flags[5] & 0x40),
                    double(FGT_StanceHoldTime));
    }
    int status = 0;
    if (png_folder != nullptr) {
        std::error_code error;
        std::filesystem::create_directories(png_folder, error);
        for (const kalder_test::NamedPicture &p : kalder_test::FightPictures()) {
            const std::string path = std::string(png_folder) + "/" + p.name + ".png";
            if (!kalder_test::WritePng16(path.c_str(), p.pixels.data(), int(OBJ_View.screen_width),
                                         int(OBJ_View.screen_height), false)) {
                std::fprintf(stderr, "kdev: cannot write %s\n", path.c_str());
                status = 1;
            } else {
                std::printf("picture %s\n", path.c_str());
            }
        }
    }
    CAM_Exit();
    kalder_test::StopLevelCore();
    return status;
}
