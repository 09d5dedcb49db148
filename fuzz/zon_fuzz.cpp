// Fuzzes the zones over their records from outside: the input is the 12 zone records (3,072 bytes),
// then the hero's position (3 x i32) and flag byte 0, then up to 4 creatures of 37 bytes each (in use,
// flag bytes 0..9, position 3 x i32, animation, frame position, radius, zone and point as i32). On a
// started library with the test figure, it builds the fields of every zone, runs ten ticks of the
// zones and the spawners, and draws respawn points, nearest points and path steps for each zone.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine3d/image.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "fuzz/area_poison.h"
#include "plat/test.h"
#include "tests/support/character_writer.h"
#include "tests/support/mem_file_source.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/level_record.h"
#include "world/prj.h"
#include "world/zon.h"

namespace {

constexpr size_t Area_Size = 2 << 20;
alignas(16) uint8_t Area[Area_Size];
constexpr size_t Zones_Size = sizeof(ZoneRecord) * ZON_COUNT;
constexpr size_t Creature_Size = 37;
constexpr int32_t Creatures = 4;

// Reads little-endian words from the input, zero past its end.
struct Reader {
    const uint8_t *data;
    size_t size, at;
    uint8_t U8() { return at < size ? data[at++] : (at++, uint8_t(0)); }
    int32_t I32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++) {
            v |= uint32_t(U8()) << (8 * i);
        }
        return int32_t(v);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < Zones_Size) {
        return 0;
    }
    test::SetExitHook(test::ThrowOnExit);
    static const std::vector<kalder_test::NamedFile> anims = [] {
        kalder_test::CharacterOptions options;
        options.numbers = {0, 4, 50};
        return kalder_test::CharacterAnims(options);
    }();
    static const std::vector<uint8_t> model = kalder_test::CharacterModel().bytes;
    static bool camera = CAM_Init() == 1;
    (void)camera;
    try {
        Init_3D(Area, Area_Size);
        Cache_Count = 0;
        kalder_test::MemFiles_Clear();
        Set_File_Source(kalder_test::MemFileSource);
        kalder_test::MemFiles_Add("FIGURE.3DC", model);
        const OBJ_Handle figure = Load_Obj("FIGURE.3DC");
        if (figure < 0) {
            return 0;
        }
        ANIM_InitSlots();
        const int32_t numbers[3] = {0, 4, 50};
        for (size_t i = 0; i < 3; i++) {
            kalder_test::MemFiles_Add(anims[i].name, anims[i].bytes);
            ANIM_Slots[0][numbers[i]].handle = Load_Obj(anims[i].name.c_str());
        }
        for (int32_t n = 1; n < ANIM_NUMBER_COUNT; n++) {
            if (ANIM_Slots[0][n].handle == -1) {
                ANIM_Slots[0][n].handle = ANIM_Slots[0][n - 1].handle;
            }
        }
        ANIM_Slots[0][0].flags |= ANIM_SLOT_IN_USE;

        static LevelRecord record;
        std::memset(static_cast<void *>(&record), 0, sizeof record);
        std::memcpy(record.zones, data, Zones_Size);
        PRJ_Current = &record;
        Reader in{data, size, Zones_Size};

        for (ActorRecord &slot : ACTOR_Slots) {
            ACTOR_InitRecord(&slot);
        }
        ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
        hero->flags[0] = ACTOR_F0_IN_USE | ACTOR_F0_HERO;
        hero->node = figure;
        for (double &p : hero->position) {
            p = in.I32();
        }
        hero->flags[0] |= in.U8();
        for (int32_t c = 0; c < Creatures && in.at < size; c++) {
            ActorRecord *a = &ACTOR_Slots[3 + c];
            const bool used = in.U8() & 1;
            for (uint8_t &f : a->flags) {
                f = in.U8();
            }
            a->flags[0] = uint8_t((a->flags[0] & ~ACTOR_F0_IN_USE) | (used ? ACTOR_F0_IN_USE : 0));
            for (double &p : a->position) {
                p = in.I32();
            }
            a->current_anim = in.U8() % ANIM_NUMBER_COUNT;
            a->frame_position = float(in.U8());
            a->frame_count = 30;
            a->radius = in.I32();
            a->zone = in.I32();
            a->point = in.I32();
            a->anim_set = 0;
            a->node = Clone_Obj(figure);
        }
        ACTOR_BuildActiveLists();
        KALDER_POISON(Area + Mem_libre, Area_Size - Mem_libre);

        ZON_Load();
        for (ZoneRecord &zone : record.zones) {
            ZON_WalkPath(&zone);
        }
        for (int tick = 0; tick < 10; tick++) {
            ZON_Update(hero);
            CAM_CompCameraPos();
            ZON_UpdateSpawners(hero);
        }
        for (ZoneRecord &zone : record.zones) {
            ZON_RandomPoint(hero);
            ZON_NearestPoint(&zone, hero);
            ZON_FollowPath(&zone, hero);
        }
        KALDER_UNPOISON(Area + Mem_libre, Area_Size - Mem_libre);
    } catch (const test::ExitCalled &) {
        KALDER_UNPOISON(Area + Mem_libre, Area_Size - Mem_libre);
    }
    PRJ_Current = &PRJ_CurrentRecord;
    return 0;
}
