// Fuzzes the inventory's saved image: the input, cut or padded to 952 bytes, is read into the record,
// asked and added to, and shown by one HUD frame with the quick slots' icons and counts.
#include <cstdint>
#include <cstring>
#include <vector>

#include "interface/ico.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/screen_target.h"
#include "world/actor.h"
#include "world/inv.h"

namespace {

kalder_test::DemoHud &hud()
{
    static kalder_test::DemoHud *the_hud = new kalder_test::DemoHud();
    return *the_hud;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    hud();
    uint8_t image[INV_IMAGE_BYTES] = {};
    if (size > 0) {
        std::memcpy(image, data, size < sizeof image ? size : sizeof image);
    }
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    hero->inventory = &INV_Data;
    INV_Data.owner = hero;
    INV_FromImage(&INV_Data, image);
    // Each hand slot shows the icon of its quick item, so that its count is drawn.
    for (int32_t k = 0; k < 3; k++) {
        const int32_t q = INV_Data.quick[k];
        if (q >= 0) {
            MENJ_Hands[k].set = -1;
            ICO_Find(INV_Data.names[q], &MENJ_Hands[k].set, &MENJ_Hands[k].sprite);
        }
    }
    INV_Has(hero, "feu");
    INV_Has(hero, INV_Data.names[0]);
    INV_Add(hero, "feu");
    {
        kalder_test::ScreenTarget screen(640, 480);
        MENJ_Update(1);
        if (!screen.GuardIntact()) {
            __builtin_trap();
        }
    }
    uint8_t back[INV_IMAGE_BYTES];
    INV_ToImage(INV_Data, back);
    kalder_test::ClearHudScene();
    hero->inventory = nullptr;
    return 0;
}
