// The zones per game tick and at the level load: µs per tick of ZON_Update and ZON_UpdateSpawners
// with 12 zones of 16 points (spawners, cameras and drains) and 30 active objects, and µs per ZON_Load
// of 12 path zones of 16 points (180 fields asked for). No peer: this is the game's own logic.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine3d/image.h"
#include "tests/support/character_writer.h"
#include "tests/support/image_area.h"
#include "tests/support/level_writer.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/prj.h"
#include "world/zon.h"

namespace {

constexpr int32_t Objects = 30;

std::vector<int32_t> Points(int32_t z)
{
    std::vector<int32_t> p;
    for (int32_t j = 0; j < 16; j++) {
        p.insert(p.end(), {(z % 4) * 3000 - 4500 + j * 150, 140, (z / 4) * 3000 - 3000 + (j % 4) * 400});
    }
    return p;
}

void Use(const kalder_test::LevelRecordBuilder &b)
{
    std::memcpy(static_cast<void *>(&PRJ_CurrentRecord), b.Bytes().data(), sizeof PRJ_CurrentRecord);
    PRJ_Current = &PRJ_CurrentRecord;
}

// A started library with the test figure, 30 objects on clones of it (the hero and 29 creatures
// spread over the level) and the zone record.
struct World {
    kalder_test::ImageArea area{6000000};

    World()
    {
        kalder_test::CharacterOptions options;
        options.numbers = {0, 50};
        kalder_test::MemFiles_Add("FIGURE.3DC", kalder_test::CharacterModel(options).bytes);
        const OBJ_Handle figure = Load_Obj("FIGURE.3DC");
        if (figure < 0 || CAM_Init() != 1) {
            std::fprintf(stderr, "zone_bench: cannot start the library\n");
            std::exit(1);
        }
        ANIM_InitSlots();
        for (int32_t s = 0; s < ACTOR_SLOT_COUNT; s++) {
            ACTOR_InitRecord(&ACTOR_Slots[s]);
        }
        for (int32_t s = 1; s <= Objects; s++) {
            ActorRecord *a = &ACTOR_Slots[s];
            a->flags[0] = ACTOR_F0_IN_USE;
            a->flags[1] = ACTOR_F1_AI;
            a->node = Clone_Obj(figure);
            a->position[0] = (s % 6) * 2500.0 - 6000.0;
            a->position[1] = 140.0;
            a->position[2] = (s / 6) * 2500.0 - 5000.0;
        }
        ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
        hero->flags[0] = ACTOR_F0_IN_USE | ACTOR_F0_HERO;
        hero->flags[1] = 0;
        hero->position[0] = hero->position[1] = hero->position[2] = 0.0;
        ACTOR_BuildActiveLists();
    }
};

World &Level()
{
    static World world;
    return world;
}

void BM_ZoneTick(benchmark::State &state)
{
    Level();
    kalder_test::LevelRecordBuilder b;
    const int32_t types[3] = {ZON_SPAWNER, ZON_CAMERA, ZON_DRAIN};
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        b.Zone(size_t(z), "Z", types[z % 3], Points(z)).ZoneRate(size_t(z), 10);
        b.ZoneBox(size_t(z), {-5000, -1000, -5000}, {5000, 1000, 5000});
    }
    Use(b);
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    for (auto _ : state) {
        hero->life = 100.0f;
        ZON_Update(hero);
        ZON_UpdateSpawners(hero);
    }
    CAM_CompCameraPos();
}
BENCHMARK(BM_ZoneTick)->Name("zones/tick")->Unit(benchmark::kMicrosecond);

void BM_ZoneLoad(benchmark::State &state)
{
    Level();
    kalder_test::LevelRecordBuilder b;
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        b.Zone(size_t(z), "PATH", ZON_PATH, Points(z)).ZoneRate(size_t(z), 40);
    }
    Use(b);
    for (auto _ : state) {
        ZON_Load();
    }
}
BENCHMARK(BM_ZoneLoad)->Name("zones/load")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
