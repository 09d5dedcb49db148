// kdev fight: the hero's fight step frame by frame while the demo's creature pursues it (the program
// played headless, as kdev play does), and its weapons in hand.
#include "tools/kdev/kdev_fight.h"
#include "tools/kdev/kdev_level.h"
#include "tools/kdev/kdev_play.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/game_frame.h"
#include "core/rand.h"
#include "engine3d/view.h"
#include "plat/test.h"
#include "tests/support/fight_pictures.h"
#include "tests/support/level_start.h"
#include "tests/support/png16.h"
#include "tests/support/screen_target.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/fgt.h"
#include "world/prj_load.h"

namespace {

// One frame's line: the target's slot, the fight step's distance d to it (the height four times), in
// reach, "F92" near, danger, the stance bits and the hold.
void print_frame(int round)
{
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    int target = -1;
    double d = 0.0;
    if (hero->target != nullptr && hero->target >= ACTOR_Slots && hero->target < ACTOR_Slots + ACTOR_SLOT_COUNT) {
        const ActorRecord *e = hero->target;
        const double dx = e->position[0] - hero->position[0], dy = e->position[1] - hero->position[1],
                     dz = e->position[2] - hero->position[2];
        target = int(e - ACTOR_Slots);
        d = std::sqrt(dx * dx + 4.0 * dy * dy + dz * dz);
    }
    std::printf("%-5d %-6d %-9.1f %-8d %-7d %-6d 0x%02X/0x%02X %.1f\n", round, target, d, int(FGT_LastInReach),
                int(FGT_LastF92Near), int(FGT_Danger), unsigned(hero->flags[4] & 0x60), unsigned(hero->flags[5] & 0x40),
                double(FGT_StanceHoldTime));
}

// The hero with each weapon in hand and the sword blinking, on the demo level loaded again.
int write_pictures(const char *folder, const char *png_folder)
{
    test::Reset();
    if (!KdevMapDrives(folder)) {
        return 1;
    }
    kalder_test::ScreenTarget screen(320, 240);
    kalder_test::StartLevelCore();
    CAM_Init();
    PRJ_LoadPending();
    // The weapons drain and blink by the frame's time: one frame of the game's rate each.
    GAME_TimeFactor = 1.0;
    int status = 0;
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
    CAM_Exit();
    kalder_test::StopLevelCore();
    return status;
}

} // namespace

int KdevFight(const char *folder, int32_t ticks, const char *png_folder)
{
    KdevPlayArgs args;
    args.folder = folder;
    args.options.rounds = ticks + 1;
    args.options.between_rounds = [](int round) {
        // Round 1's tick loaded Project0; the frames count from the first one after it.
        if (round == 1) {
            SYS_SRand(1);
            std::printf("fight option %s\n", FGT_FightOption != 0 ? "manual" : "automatic");
            std::printf("%-5s %-6s %-9s %-8s %-7s %-6s %-9s %s\n", "tick", "target", "d", "in reach", "F92", "danger",
                        "stance", "hold");
            return;
        }
        print_frame(round - 1);
    };
    kalder_test::PlayResult result;
    if (KdevPlayFolder("fight", args, result) != 0) {
        return 1;
    }
    return png_folder != nullptr ? write_pictures(folder, png_folder) : 0;
}
