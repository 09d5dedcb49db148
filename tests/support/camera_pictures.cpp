// The camera's demonstration walk: the test figure on the floor, the camera step once a frame.
#include "tests/support/camera_pictures.h"

#include <cmath>
#include <cstring>

#include "core/game_frame.h"
#include "core/opt.h"
#include "editor/edt.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/demo_level.h"
#include "tests/support/mem_file_source.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/prj.h"

namespace kalder_test {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int32_t Walk = 4;      // the figure's walk animation
constexpr int32_t Stride = 8;    // units a frame
constexpr int32_t Floor = 400;
constexpr int32_t Ground = Floor - 150; // the root: its foot marker about on the floor, the camera above it

// A leg of the walk: a heading (0 walks toward -x, 1024 toward +z) held for a number of frames.
struct Leg {
    int32_t heading;
    int32_t frames;
};
// The square, then back along its last side after a turn about, then on around the corner.
constexpr Leg Legs[] = {{0, 250}, {1024, 250}, {2048, 250}, {0, 60}, {1024, 400}};

// The scripted moments of the walk, by frame.
constexpr int32_t FollowFrame = 125;
constexpr int32_t CornerFrame = 262;
constexpr int32_t TurnAboutFrame = 750;
constexpr int32_t OverheadOn = 830, OverheadOff = 870;
constexpr int32_t FixedAt = 900, FixedFrames = 45;
constexpr int32_t ShotAt = 960, ShotFrames = 60;
constexpr int32_t ReturnFrame = 1050;

// The walk's heading at a frame, -1 past its end.
int32_t HeadingAt(int32_t frame)
{
    for (const Leg &leg : Legs) {
        if (frame < leg.frames) {
            return leg.heading;
        }
        frame -= leg.frames;
    }
    return -1;
}

std::vector<uint16_t> RenderRoot()
{
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    std::memset(Row_Repeat_Table, 0, sizeof Row_Repeat_Table);
    Render_Frame(frame.data());
    return frame;
}

} // namespace

void ResetCameraWorld()
{
    PRJ_CurrentRecord = LevelRecord{};
    PRJ_Current = &PRJ_CurrentRecord;
    PRJ_Current->camera_hold = 1;
    OPT_CameraPreset = 0;
    GAME_TimeFactor = 1.0;
    GAME_Paused = 0;
    EDT_Active = 0;
    for (int32_t &c : CTRL_Controls) {
        c = 0;
    }
}

std::vector<NamedPicture> CameraDemoPictures()
{
    std::vector<NamedPicture> pictures;
    SceneArea area(7850000, 640, 480);
    // The demo level's green checker under the walk, in cells of 500 units.
    MemFiles_Add("floor.3dm", DemoFloorMaterial());
    const std::vector<ObjectSpec> ground = {
        MeshObject("Ground", -1, {0, 0, 0}, GridMesh(-4000, 4000, -2000, 8000, Floor, 16, 20), 3, "FLOOR")};
    const OBJ_Handle floor = area.Load("ground.3dc", HierarchyImage(ground, {{"FLOOR", "floor", 0}}));
    const OBJ_Handle figure = floor < 0 ? -1 : LoadStageFigure(area, 4);
    if (figure < 0) {
        return pictures;
    }

    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    ACTOR_InitRecord(&hero);
    hero.flags[0] = ACTOR_F0_IN_USE;
    hero.flags[1] = ACTOR_F1_HAS_ANIMS;
    hero.node = figure;
    hero.head_node = figure + 2;
    hero.torso_node = figure + 1;
    hero.anim_set = 0;
    hero.physics_mode = 1;
    hero.position[0] = 1000.0;
    hero.position[1] = Ground;
    hero.position[2] = 2000.0;

    ResetCameraWorld();
    if (CAM_Init() != 1) {
        return pictures;
    }
    CAM_LoadPreset();
    CAM_PostEvent('+', reinterpret_cast<intptr_t>(&hero), 0);

    // The scripted shots' records live as long as their events, as the game's posters keep them.
    static CAM_FixedRecord fixed;
    static CAM_ShotRecord shot;
    bool close_taken = false;
    for (int32_t frame = 0;; frame++) {
        const int32_t heading = HeadingAt(frame);
        if (heading < 0) {
            break;
        }
        hero.heading = heading;
        const double angle = heading * Pi / 2048.0;
        hero.position[0] -= Stride * std::cos(angle);
        hero.position[2] += Stride * std::sin(angle);
        PlayingAt(&hero, Walk, float(1 + frame % 16), 0.0f);
        ANIM_PlayFrame(&hero);
        const int32_t at[3] = {int32_t(std::lround(hero.position[0])), Ground, int32_t(std::lround(hero.position[2]))};
        Set_Obj_Pos(hero.node, at);

        if (frame == OverheadOn || frame == OverheadOff) {
            CAM_PostEvent('0', reinterpret_cast<intptr_t>(&hero), 0);
        } else if (frame == FixedAt) {
            // High over the walk's start, looking down at the middle of the square.
            fixed = {{1600, -900, 1200}, {0, Ground, 3000}, FixedFrames};
            CAM_PostEvent(',', reinterpret_cast<intptr_t>(&fixed), 0);
        } else if (frame == ShotAt) {
            // The shot starts at the side of the walk and closes half the way to the figure a frame.
            shot = {{-2500, -400, at[2]}, &hero, ShotFrames};
            CAM_PostEvent('-', reinterpret_cast<intptr_t>(&shot), 0);
        }
        CAM_CompCameraPos();

        const char *name = nullptr;
        if (frame == FollowFrame) {
            name = "follow";
        } else if (frame == CornerFrame) {
            name = "corner";
        } else if (frame > TurnAboutFrame && CAM_Close != 0 && !close_taken) {
            close_taken = true;
            name = "close";
        } else if (frame == OverheadOn + 10) {
            name = "overhead";
        } else if (frame == FixedAt + 10) {
            name = "fixed";
        } else if (frame == ShotAt + 2) {
            name = "shot";
        } else if (frame == ReturnFrame) {
            name = "return";
        }
        if (name != nullptr) {
            pictures.push_back({name, RenderRoot()});
        }
    }
    CAM_Exit();
    ANIM_InitSlots();
    return pictures;
}

} // namespace kalder_test
