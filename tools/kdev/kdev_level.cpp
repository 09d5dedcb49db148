// kdev level and zones: a project loaded as the game tick loads it, its object slots, the picture and its
// zones.
#include "tools/kdev/kdev_level.h"
#include "tools/kdev/kdev_files.h"

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
#include "world/phy.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/zon.h"

bool KdevMapDrives(const char *folder)
{
    std::error_code error;
    const std::string base = std::filesystem::absolute(folder, error).string();
    if (!KdevHostFound(folder, base)) {
        return false;
    }
    if (!std::filesystem::is_directory(base + "/drives", error) || PLAT_LoadDriveMap(nullptr, base.c_str()) == 0) {
        std::fprintf(stderr, "kdev: %s holds no drives folder\n", folder);
        return false;
    }
    return true;
}

namespace {

const char *Zone_Type_Name(int32_t type)
{
    static const char *const names[] = {"patrol", "path", "mana spheres", "ground elements", "respawn",
                                        "arrival", "emitters", "spawner", "camera", "drain"};
    return type >= 0 && type <= ZON_DRAIN ? names[type] : "unknown";
}

// The physics field table after the load.
void Print_Fields()
{
    std::printf("%-5s %-4s %-3s %-26s %s\n", "field", "kind", "on", "vector", "box");
    for (int32_t i = 0; i < PHY_FieldCount; i++) {
        const PHY_Field &f = PHY_Fields[i];
        char vector[64];
        std::snprintf(vector, sizeof vector, "%.3f %.3f %.3f", f.vector[0], f.vector[1], f.vector[2]);
        std::printf("%-5d %-4d %-3d %-26s", int(i), int(f.kind), int(f.active), vector);
        if (f.kind == PHY_FIELD_BOX) {
            std::printf(" %.1f %.1f %.1f .. %.1f %.1f %.1f", f.min[0], f.min[1], f.min[2], f.max[0], f.max[1], f.max[2]);
        }
        std::printf("\n");
    }
}

} // namespace

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

int KdevZones(const char *folder, const char *project)
{
    if (!KdevMapDrives(folder)) {
        return 1;
    }
    kalder_test::ScreenTarget screen(640, 480);
    kalder_test::StartLevelCore();
    CAM_Init();
    if (project != nullptr) {
        char name[32] = {};
        std::snprintf(name, sizeof name, "%s", project);
        LevelRecord *record = PRJ_SwitchTo(name, sizeof name);
        if (record == nullptr || PRJ_ReturnedToPrevious != 0) {
            std::fprintf(stderr, "kdev: no project %s\n", project);
            kalder_test::StopLevelCore();
            return 1;
        }
        PRJ_MakeCurrent(record);
        PRJ_PendingFlag = 1;
    }
    PRJ_LoadPending();
    std::printf("project %.20s\n", PRJ_Current->name);
    std::printf("%-4s %-12s %-15s %-38s %-5s %-6s %-6s %s\n", "zone", "name", "type", "box", "count", "rate",
                "field", "points");
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        const ZoneRecord &zone = PRJ_Current->zones[z];
        if (!(zone.flags & ZON_IN_USE)) {
            continue;
        }
        char box[64];
        std::snprintf(box, sizeof box, "%d %d %d .. %d %d %d", int(zone.box_min[0]), int(zone.box_min[1]),
                      int(zone.box_min[2]), int(zone.box_max[0]), int(zone.box_max[1]), int(zone.box_max[2]));
        std::printf("%-4d %-12.12s %-15s %-38s %-5d %-6d %-6d", int(z), zone.name, Zone_Type_Name(zone.type), box,
                    int(zone.point_count), int(zone.rate), int(zone.field_handle));
        for (int32_t j = 0; j < ZON_PointCount(&zone); j++) {
            std::printf(" (%d %d %d)", int(zone.points[j][0]), int(zone.points[j][1]), int(zone.points[j][2]));
        }
        std::printf("\n");
    }
    Print_Fields();
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    std::printf("hero at %.1f %.1f %.1f\n", hero->position[0], hero->position[1], hero->position[2]);
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        const ZoneRecord &zone = PRJ_Current->zones[z];
        if (!(zone.flags & ZON_IN_USE)) {
            continue;
        }
        if (zone.type == ZON_SPAWNER) {
            for (int32_t j = 0; j < ZON_PointCount(&zone); j++) {
                if (ZON_SpawnCandidate(z, j, hero)) {
                    std::printf("spawn candidate zone %d \"%.12s\" point %d\n", int(z), zone.name, int(j));
                }
            }
        } else if ((zone.type == ZON_CAMERA || zone.type == ZON_DRAIN) && ZON_Applies(&zone, hero)) {
            std::printf("applies zone %d \"%.12s\" (%s)\n", int(z), zone.name, Zone_Type_Name(zone.type));
        }
    }
    kalder_test::StopLevelCore();
    return 0;
}
