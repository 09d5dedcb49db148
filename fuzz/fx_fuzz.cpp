// Fuzzes the effects over zone records from outside: the input gives three 256-byte zone records (any
// type, flags, count, rate, box and points), the water height (4 bytes), the hero's flag byte 4 and a
// path of the hero (a byte pair of x and z steps per tick). On the triggers' small level with those
// zones the level load runs the effects' loaders (the particle ring again with the hero's flags), then
// 60 ticks run the five updates while the hero walks the path, with an effect, a trail, hit particles
// and sparks every tick and one ring burst. A stop with the game's text is an answer, not a fault.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/game_frame.h"
#include "plat/test.h"
#include "tests/support/level_writer.h"
#include "tests/support/trigger_level.h"
#include "world/actor.h"
#include "world/fx.h"

namespace {

constexpr size_t Zone_Bytes = 256;
constexpr size_t First_Zone = 9; // after the level's own zones
constexpr size_t Header = 3 * Zone_Bytes + 4 + 1;

kalder_test::TriggerLevel &The_Level()
{
    test::SetExitHook(test::ThrowOnExit);
    static kalder_test::TriggerLevel level;
    return level;
}

const std::vector<uint8_t> &Base_Record()
{
    static const std::vector<uint8_t> bytes = kalder_test::TriggerLevelRecord().Bytes();
    return bytes;
}

} // namespace

// The level is started before the first input, so that its start-up (a cleared 3D work area and the
// level's files) does not count against the first input's time limit on a busy machine.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    The_Level();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kalder_test::TriggerLevel &level = The_Level();
    std::vector<uint8_t> in(data, data + size);
    in.resize(size > Header ? size : Header, 0);
    std::vector<uint8_t> record = Base_Record();
    namespace lv = kalder_test::level;
    std::memcpy(record.data() + lv::Zone(First_Zone), in.data(), 3 * Zone_Bytes);
    std::memcpy(record.data() + lv::kWaterHeight, in.data() + 3 * Zone_Bytes, 4);
    GAME_TimeFactor = 1.0;
    try {
        level.Load(record);
        ActorRecord *hero = kalder_test::TriggerLevel::Hero();
        hero->flags[4] = in[3 * Zone_Bytes + 4];
        FX_LoadShotModels();
        double x = hero->position[0], z = hero->position[2];
        const float centre[3] = {float(x), float(hero->position[1]), float(z) + 300.0f};
        FX_RingBurst(centre);
        for (size_t t = 0; t < 60; t++) {
            const size_t at = Header + 2 * t;
            if (at + 1 < in.size()) {
                x += double(int8_t(in[at])) * 8.0;
                z += double(int8_t(in[at + 1])) * 8.0;
            }
            kalder_test::TriggerLevel::Place(hero, x, hero->position[1], z);
            hero->motion_vector[0] = int32_t(t);
            FX_SpawnEffect(hero);
            FX_Trail(hero);
            FX_SpawnHitParticles(hero);
            FX_Sparks(hero);
            FX_UpdateEmitters(hero);
            FX_UpdateManaSpheres(hero);
            FX_UpdateParticles();
            FX_UpdateSparks();
            FX_UpdateGroundElements(hero);
        }
    } catch (const test::ExitCalled &) {
    }
    return 0;
}
