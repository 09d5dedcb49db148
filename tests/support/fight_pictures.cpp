// The hero's weapons in hand, rendered through a fixed camera in front of it.
#include "tests/support/fight_pictures.h"

#include <cstring>

#include "core/fconv.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/fgt.h"
#include "world/wpn.h"

namespace kalder_test {

namespace {

std::vector<uint16_t> Render()
{
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    std::memset(Row_Repeat_Table, 0, sizeof Row_Repeat_Table);
    Render_Frame(frame.data());
    return frame;
}

// Frames of the weapon step's updates for the hero's weapons, with the parity flipping.
void Step(void (*update)(), int frames)
{
    for (int i = 0; i < frames; i++) {
        FGT_FrameParity ^= 1;
        update();
    }
}

} // namespace

std::vector<NamedPicture> FightPictures()
{
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    const int32_t at[3] = {round_i32(hero->position[0]), round_i32(hero->position[1]), round_i32(hero->position[2])};
    // The camera keeps its record until the event has run.
    static CAM_FixedRecord view;
    view = CAM_FixedRecord{{at[0], at[1] - 60, at[2] - 600}, {at[0], at[1] - 60, at[2]}, 100000};
    CAM_PostEvent(',', reinterpret_cast<intptr_t>(&view), 0);
    CAM_CompCameraPos();

    std::vector<NamedPicture> pictures;
    hero->second_gauge = 120.0f;
    WPN_DrawSword();
    Step(WPN_SwordUpdate, 12);
    pictures.push_back({"hero-sword", Render()});

    hero->second_gauge = 15.05f;
    FGT_FrameParity = 0;
    WPN_SwordUpdate();
    pictures.push_back({"hero-sword-blink", Render()});
    hero->second_gauge = 15.05f;
    FGT_FrameParity = 1;
    WPN_SwordUpdate();
    pictures.push_back({"hero-sword-blink-odd", Render()});

    hero->second_gauge = 120.0f;
    WPN_DrawBow();
    Step(WPN_BowUpdate, 12);
    pictures.push_back({"hero-bow", Render()});

    WPN_DrawGun();
    Step(WPN_GunUpdate, 12);
    pictures.push_back({"hero-gun", Render()});
    return pictures;
}

} // namespace kalder_test
