// The shadows on the demo level (see shadow_pictures.h).
#include "tests/support/shadow_pictures.h"

#include "core/opt.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "tests/support/level_start.h"
#include "world/actor.h"
#include "world/shadow.h"

namespace kalder_test {

void StartShadowDemo(int ticks, bool real, bool letterbox)
{
    OPT_RealShadow = real ? 1 : 0;
    StartDemoLevel(ticks, letterbox);
}

void LookAtShadows()
{
    const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    int32_t at[3];
    Get_Obj_Pos(hero.node, at);
    at[1] = hero.ground_height;
    // From the side: a silhouette runs along z, across the picture.
    const int32_t eye[3] = {at[0] + 800, at[1] - 800, at[2] + 150};
    int32_t d[3], unit[3], m[9];
    Vec_Sub(at, eye, d);
    Vec_Normalise(d, unit);
    Mat_From_Dir(unit, 0, m);
    Set_Obj_Matrix(0, m);
    Set_Obj_Pos(0, eye);
}

std::vector<uint16_t> ShadowTexturePicture()
{
    std::vector<uint16_t> picture(static_cast<size_t>(SHADOW_TEXEL_BYTES));
    for (size_t i = 0; i < picture.size(); i++) {
        const uint32_t v = SHADOW_RealTexels[i] == 1 ? 255 : SHADOW_RealTexels[i];
        picture[i] = uint16_t((v >> 3) << 11 | (v >> 2) << 5 | (v >> 3));
    }
    return picture;
}

} // namespace kalder_test
