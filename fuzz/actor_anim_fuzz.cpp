// Fuzzes the actor's players over an animation from outside: the input's first 12 bytes steer (the
// number it is loaded under, the extended keys, the time factor and ten actions), the rest is the .3da
// file. The test figure, its idle and walk from the figure writer stand beside it in the set; the
// actor then runs 48 steps of actions, switches, fades, pairs and plays, aiming at an opponent, with
// the area's free remainder poisoned.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/game_frame.h"
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

namespace {

constexpr size_t Area_Size = 2 << 20;
alignas(16) uint8_t Area[Area_Size];
constexpr size_t Steer_Bytes = 12;

struct Fixtures {
    std::vector<uint8_t> figure, idle, walk, spline_idle, spline_walk;
};

const Fixtures &Fixture_Files()
{
    static const Fixtures f = [] {
        using namespace kalder_test;
        CharacterOptions linear, spline;
        linear.numbers = spline.numbers = {0, 4};
        spline.kind = 6;
        const std::vector<NamedFile> a = CharacterAnims(linear), b = CharacterAnims(spline);
        return Fixtures{CharacterModel().bytes, a[0].bytes, a[1].bytes, b[0].bytes, b[1].bytes};
    }();
    return f;
}

// The actions an input can ask for: moves, pairs, locking and held actions, turns, pitches, death.
constexpr int32_t Actions[16] = {0, 4, 5, 12, 16, 2, 9, 20, 50, 60, 61, 36, 38, 1, 57, 63};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < Steer_Bytes) {
        return 0;
    }
    test::SetExitHook(test::ThrowOnExit);
    try {
        Init_3D(Area, Area_Size);
        Cache_Count = 0;
        kalder_test::MemFiles_Clear();
        Set_File_Source(kalder_test::MemFileSource);
        const Fixtures &f = Fixture_Files();
        const bool extended = data[1] & 1;
        kalder_test::MemFiles_Add("FIGURE.3DC", f.figure);
        kalder_test::MemFiles_Add("IDLE.3DA", extended ? f.spline_idle : f.idle);
        kalder_test::MemFiles_Add("WALK.3DA", extended ? f.spline_walk : f.walk);
        kalder_test::MemFiles_Add("FUZZ.3DA", std::vector<uint8_t>(data + Steer_Bytes, data + size));
        const OBJ_Handle figure = Load_Obj("FIGURE.3DC");
        if (figure < 0) {
            return 0;
        }
        ANIM_InitSlots();
        ANIM_Slots[0][0].handle = Load_Obj("IDLE.3DA");
        ANIM_Slots[0][4].handle = Load_Obj("WALK.3DA");
        ANIM_Slots[0][data[0] % 64].handle = Load_Obj("FUZZ.3DA");
        for (int32_t n = 1; n < ANIM_NUMBER_COUNT; n++) {
            if (ANIM_Slots[0][n].handle == -1) {
                ANIM_Slots[0][n].handle = ANIM_Slots[0][n - 1].handle;
            }
        }
        ANIM_Slots[0][0].flags |= ANIM_SLOT_IN_USE;
        KALDER_POISON(Area + Mem_libre, Area_Size - Mem_libre);

        static ActorRecord actor, opponent;
        ACTOR_InitRecord(&actor);
        ACTOR_InitRecord(&opponent);
        actor.flags[0] = ACTOR_F0_IN_USE | (data[1] & 0x02 ? ACTOR_F0_HERO : 0);
        actor.flags[1] = ACTOR_F1_AI | ACTOR_F1_HAS_ANIMS;
        actor.flags[2] = data[1] & 0x0C;
        actor.flags[7] = uint8_t((extended ? ACTOR_F7_EXTENDED_KEYS : 0) | (data[1] & 0xC0));
        actor.physics_mode = 1 + (data[1] >> 4) % 3;
        actor.motion_scale = 16.0f;
        actor.node = figure;
        actor.head_node = figure + 2;
        actor.torso_node = figure + 1;
        actor.anim_set = 0;
        opponent.position[0] = 500.0;
        opponent.position[2] = -300.0;
        actor.enemies[0] = &opponent;
        actor.enemy_count = 1;
        GAME_TimeFactor = 0.2 + double(data[2] % 49) * 0.1;
        ANIM_DoAction(&actor, 0);
        ANIM_ChangeAnim(&actor);
        ANIM_ResetAnim(&actor);
        for (int step = 0; step < 48; step++) {
            const uint8_t a = data[Steer_Bytes - 9 + size_t(step % 9)];
            ANIM_DoAction(&actor, Actions[a & 15]);
            if (a & 0x10) {
                ANIM_DoAction(&actor, data[0] % 64);
            }
            ACTOR_Step(&actor);
        }
        KALDER_UNPOISON(Area + Mem_libre, Area_Size - Mem_libre);
    } catch (const test::ExitCalled &) {
        KALDER_UNPOISON(Area + Mem_libre, Area_Size - Mem_libre);
    }
    GAME_TimeFactor = 1.0;
    return 0;
}
