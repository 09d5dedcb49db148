// The test figure played by an actor on the golden view.
#include "tests/support/actor_pictures.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine3d/image.h"
#include "engine3d/lights.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/scenes.h"
#include "world/aim.h"
#include "world/anim.h"

namespace kalder_test {

namespace {

// The heading that shows the figure from its left side, a little turned toward the camera.
constexpr int32_t Stage_Heading = 300;
constexpr double Pi = 3.14159265358979323846;

} // namespace

OBJ_Handle LoadStageFigure(SceneArea &area, int32_t kind)
{
    CharacterOptions options;
    options.kind = kind;
    const NamedFile model = CharacterModel(options);
    const OBJ_Handle figure = area.Load(model.name, HierarchyImage(CharacterObjects(options.type), CharacterMaterials()));
    // A lamp above and left of the camera: flat faces are shaded by it, one colour a box.
    const int32_t lamp[3] = {-600, -700, 100};
    int32_t m[9];
    Mat_Identity(m);
    const int32_t light = Add_Light(lamp, m, 1, 0, 4000, 31);
    for (int32_t r = 0; r < Get_Obj_Count(figure); r++) {
        Attach_Light(light, figure + r);
    }
    ANIM_InitSlots();
    for (const NamedFile &f : CharacterAnims(options)) {
        MemFiles_Add(f.name, f.bytes);
        const int32_t number = (f.name[6] - '0') * 10 + (f.name[7] - '0');
        ANIM_Slots[0][number].handle = Load_Obj(f.name.c_str());
    }
    for (int32_t n = 1; n < ANIM_NUMBER_COUNT; n++) {
        if (ANIM_Slots[0][n].handle == -1) {
            ANIM_Slots[0][n].handle = ANIM_Slots[0][n - 1].handle;
        }
    }
    ANIM_Slots[0][0].flags |= ANIM_SLOT_IN_USE;
    return figure;
}

ActorStage::ActorStage(int32_t kind) : area_(std::make_unique<SceneArea>(4000000))
{
    SetGoldenView();
    figure = LoadStageFigure(*area_, kind);

    ACTOR_InitRecord(&actor);
    actor.flags[0] = ACTOR_F0_IN_USE;
    actor.flags[1] = ACTOR_F1_AI | ACTOR_F1_HAS_ANIMS;
    if (kind == 6) {
        actor.flags[7] = ACTOR_F7_EXTENDED_KEYS;
    }
    actor.node = figure;
    actor.head_node = figure + 2;
    actor.torso_node = figure + 1;
    actor.anim_set = 0;
    Place();
    actor.heading = Stage_Heading;
    ANIM_DoAction(&actor, 0);
    ANIM_ChangeAnim(&actor);
    ANIM_ResetAnim(&actor);
}

ActorStage::~ActorStage() { ANIM_InitSlots(); }

int32_t ActorStage::Handle(int32_t number) const { return ANIM_Slots[0][number].handle; }

void PlayingAt(ActorRecord *actor, int32_t number, float frame, float speed)
{
    actor->current_anim = number;
    actor->requested_anim = -1;
    actor->anim_handles[0] = actor->anim_handles[1] = ANIM_Slots[actor->anim_set][number].handle;
    actor->frame_count = ANIM_FrameCount(actor->anim_handles[0]);
    actor->frame_position = frame;
    actor->anim_speed = speed;
    actor->flags[0] &= uint8_t(~(ACTOR_F0_ANIM_RESTART | ACTOR_F0_ANIM_RESTART2 | ACTOR_F0_ANIM_ENDED));
}

void ActorStage::Playing(int32_t number, float frame)
{
    PlayingAt(&actor, number, frame, 0.0f);
    // The root stands where the frame's keys put it: the stage shows poses, not the walk's progress.
    for (int i = 0; i < 3; i++) {
        actor.velocity[i] = 0.0f;
    }
}

void ActorStage::Place()
{
    actor.position[0] = 0.0;
    actor.position[1] = 60.0;
    actor.position[2] = 800.0;
    const int32_t spot[3] = {0, 60, 800};
    Set_Obj_Pos(actor.node, spot);
}

void ActorStage::Opponent(ActorRecord *opponent, double degrees, double distance)
{
    ACTOR_InitRecord(opponent);
    // Bearings are taken from the facing, (cos, -sin) of the heading in x and z.
    const double angle = (degrees + double(actor.heading) * 360.0 / 4096.0) * Pi / 180.0;
    opponent->position[0] = actor.position[0] + distance * std::cos(angle);
    opponent->position[1] = actor.position[1];
    opponent->position[2] = actor.position[2] - distance * std::sin(angle);
    actor.enemies[0] = opponent;
    actor.enemy_count = 1;
}

std::vector<uint16_t> ActorStage::Render() const
{
    std::vector<uint16_t> frame(size_t(Width()) * size_t(Height()));
    std::memset(Row_Repeat_Table, 0, sizeof Row_Repeat_Table);
    Render_Frame(frame.data());
    return frame;
}

int32_t ActorStage::Width() const { return OBJ_View.screen_width; }
int32_t ActorStage::Height() const { return OBJ_View.screen_height; }

std::vector<NamedPicture> ActorDemoPictures(int32_t kind)
{
    std::vector<NamedPicture> pictures;
    char name[64];
    {
        ActorStage stage(kind);
        for (int32_t f = 1; f <= 16; f++) {
            stage.Playing(4, float(f));
            ANIM_PlayFrame(&stage.actor);
            stage.Place();
            std::snprintf(name, sizeof name, "walk-%02d", f);
            pictures.push_back({name, stage.Render()});
        }
    }
    {
        ActorStage stage(kind);
        stage.Playing(0, 5.0f);
        stage.actor.requested_anim = 4;
        ANIM_ChangeAnim(&stage.actor);
        for (int step = 1; step <= 6 && (stage.actor.flags[0] & ACTOR_F0_ANIM_RESTART2); step++) {
            ANIM_BlendStep(&stage.actor);
            stage.Place();
            std::snprintf(name, sizeof name, "fade-%d", step);
            pictures.push_back({name, stage.Render()});
        }
    }
    {
        ActorStage stage(kind);
        ActorRecord opponent;
        for (int32_t degrees = -70; degrees <= 70; degrees += 10) {
            stage.Opponent(&opponent, degrees, 1500.0);
            // Each picture turns from straight ahead, so that the turns of its neighbour do not linger.
            stage.actor.head_yaw = stage.actor.head_pitch = stage.actor.torso_turn = 0;
            // Enough frames for the turns to settle.
            for (int k = 0; k < 12; k++) {
                stage.Playing(0, 5.0f);
                ANIM_PlayFrame(&stage.actor);
                ACTOR_AimHead(&stage.actor);
            }
            stage.Place();
            std::snprintf(name, sizeof name, "aim%+04d", degrees);
            pictures.push_back({name, stage.Render()});
        }
    }
    return pictures;
}

} // namespace kalder_test
