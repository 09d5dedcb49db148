// kdev saves: the installation's save slots, their games and thumbnails.
#include "tools/kdev/kdev_saves.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/dsk.h"
#include "interface/menj.h"
#include "plat/files.h"
#include "tests/support/png16.h"
#include "world/actor.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/save.h"
#include "world/visited.h"
#include "tools/kdev/kdev_level.h"

namespace {

// The bytes of a game path, empty when it does not resolve.
std::vector<uint8_t> read_game_file(const char *path)
{
    std::string host;
    if (!PLAT_ResolvePath(path, PLAT_RESOLVE_EXISTING, &host)) {
        return {};
    }
    std::ifstream in(host, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void print_game()
{
    std::printf("    project %.20s, life %.2f, gauge %.2f, ring cursor %d\n", PRJ_Current->name,
                double(ACTOR_Slots[ACTOR_HERO].life), double(ACTOR_Slots[ACTOR_HERO].second_gauge), int(VIS_Cursor));
    std::printf("    ring:");
    for (const VisitedRecord &record : VIS_Ring) {
        std::printf(" \"%.16s\"", record.name);
    }
    std::printf("\n");
    for (int32_t i = 0; i < INV_ITEMS; i++) {
        if (INV_Data.names[i][0] != '\0') {
            std::printf("    item %2d %-15.16s count %d level %d%s\n", int(i), INV_Data.names[i], int(INV_Data.count[i]),
                        int(INV_Data.level[i]), i == INV_Data.selected ? " (selected)" : "");
        }
    }
    std::printf("    quick slots %d %d %d, hand slots", int(INV_Data.quick[0]), int(INV_Data.quick[1]), int(INV_Data.quick[2]));
    for (const MENJ_HandSlot &hand : MENJ_Hands) {
        std::printf(" (%d, %d)", int(hand.set), int(hand.sprite));
    }
    std::printf("\n");
}

} // namespace

int KdevSaves(const char *folder, const char *png_folder)
{
    if (!KdevMapDrives(folder)) {
        return 2;
    }
    DSK_Locate();
    char table[260];
    std::snprintf(table, sizeof table, "%sdata\\game\\game.dat", DSK_InstallPath());
    std::string host;
    if (!PLAT_ResolvePath(table, PLAT_RESOLVE_EXISTING, &host)) {
        std::printf("kdev saves: no game.dat in %s\n", folder);
        return 2;
    }
    PRJ_LoadDatabase();
    if (png_folder != nullptr) {
        std::error_code error;
        std::filesystem::create_directories(png_folder, error);
    }
    if (SAVE_ReadSlots() != 0) {
        std::printf("game.dat is damaged: read as an empty table\n");
    }
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        const SAVE_Slot &slot = SAVE_Slots[i];
        std::printf("slot %d \"%s\" %s stamp %d file %d\n", int(i), slot.name, slot.locked != 0 ? "locked" : "unlocked",
                    int(slot.stamp), int(slot.file_number));
    }
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        const SAVE_Slot &slot = SAVE_Slots[i];
        if (slot.name[0] == '\0') {
            continue;
        }
        std::printf("slot %d \"%s\":\n", int(i), slot.name);
        char path[260];
        std::snprintf(path, sizeof path, "%sdata\\game\\game%d.dat", DSK_InstallPath(), int(slot.file_number));
        const std::vector<uint8_t> bytes = read_game_file(path);
        const char *fault = slot.file_number < 0 ? "no file number" : bytes.empty() ? "no game file"
                                                                                  : SAVE_GameFault(bytes.data(), bytes.size());
        if (fault != nullptr || SAVE_ReadGame(slot.name) != 0) {
            std::printf("    refused: %s\n", fault != nullptr ? fault : "cannot be read");
        } else {
            print_game();
        }
        if (png_folder != nullptr) {
            const int32_t thumbnail = SAVE_ReadThumbnail(slot.name);
            const std::string out = (std::filesystem::path(png_folder) / ("slot" + std::to_string(i) + ".png")).string();
            if (!kalder_test::WritePng16(out, SAVE_Thumbnail, SAVE_THUMB_SIDE, SAVE_THUMB_SIDE, false)) {
                std::fprintf(stderr, "kdev saves: cannot write %s\n", out.c_str());
                return 1;
            }
            std::printf("    thumbnail %s%s\n", out.c_str(), thumbnail != 0 ? " (none: cleared)" : "");
        }
    }
    return 0;
}
