// The physics scene (see physics_scene.h).
#include "tests/support/physics_scene.h"

#include <string>
#include <utility>

#include "core/game_frame.h"
#include "editor/edt.h"
#include "engine3d/coll.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "tests/support/character_writer.h"
#include "tests/support/demo_level.h"
#include "tests/support/mem_file_source.h"
#include "world/col.h"
#include "world/mdl.h"
#include "world/phy.h"
#include "world/plt.h"
#include "world/shadow.h"

namespace kalder_test {

CollMeshSpec Flipped(CollMeshSpec mesh)
{
    for (Vec3 &t : mesh.triangles) {
        std::swap(t[1], t[2]);
    }
    return mesh;
}

CollMeshSpec GameFloor(int32_t x0, int32_t z0, int32_t size, int32_t y)
{
    return Flipped(FloorGrid(1, 1, size, 0, 0, {x0, y, z0}));
}

static void Clear_Slots()
{
    for (ActorRecord &a : ACTOR_Slots) {
        ACTOR_InitRecord(&a);
    }
}

PhysicsScene::PhysicsScene(const CollMeshSpec &mesh, int32_t actors, int32_t objects)
    : area_(std::make_unique<SceneArea>(8000000)), count_(actors + objects)
{
    COL_FreeSpheres();
    PLT_Clear();
    Clear_Slots();
    GAME_TimeFactor = 1.0;
    EDT_Active = 0;
    MemFiles_Add("physics.3di", mesh.Bytes());
    Coll_Add_Mesh(Load_Obj("physics.3di"));
    MDL_SceneCollReady = 1;
    PHY_ClearFields();
    PHY_Field gravity{};
    gravity.kind = PHY_FIELD_UNIFORM;
    gravity.vector[1] = PHY_GRAVITY;
    PHY_AddField(&gravity);
    // The moving actors get their shadows as a level's do.
    MemFiles_Add("ombre.3dc", DemoShadowModel());
    MemFiles_Add("ombre.3dm", DemoShadowMaterial());
    MemFiles_Add("ombre2.3dc", DemoRealShadowModel());
    MemFiles_Add("ombre2.3dm", DemoRealShadowMaterial());
    SHADOW_Start();

    const std::vector<ObjectSpec> figure = CharacterObjects();
    for (int32_t i = 0; i < count_; i++) {
        ActorRecord *a = Actor(i);
        a->node = area_->Load("tf" + std::to_string(i) + ".3dc", HierarchyImage(figure, CharacterMaterials()));
        a->flags[0] = ACTOR_F0_IN_USE;
        a->flags[1] = i < actors ? ACTOR_F1_AI : ACTOR_F1_OBJECT;
        Place(a, 0.0, 0.0, 0.0);
    }
}

PhysicsScene::~PhysicsScene()
{
    COL_FreeSpheres();
    PLT_Clear();
    Clear_Slots();
    PHY_ClearFields();
    MDL_SceneCollReady = 0;
    Coll_Forget_Meshes();
}

void PhysicsScene::Place(ActorRecord *actor, double x, double y, double z)
{
    const double p[3] = {x, y, z};
    int32_t node[3];
    for (int i = 0; i < 3; i++) {
        actor->position[i] = p[i];
        node[i] = int32_t(p[i]);
    }
    Set_Obj_Pos(actor->node, node);
    if (actor->coll_body == nullptr) {
        PHY_ResetBody(actor);
        return;
    }
    // Already registered: only the body's state starts again.
    for (int i = 0; i < 3; i++) {
        actor->previous_position[i] = p[i];
        actor->prev_int_pos[i] = node[i];
        actor->phy_velocity[i] = 0.0;
        actor->motion_vector[i] = 0;
    }
    Copy_Vec(actor->coll_body->centre, node);
}

ActorRecord *PhysicsScene::AddPlatform(const std::vector<Vec3> &centres, const Vec3 &half, const Vec3 &position,
                                       const Vec3 &motion)
{
    ActorRecord *p = &ACTOR_Slots[1 + count_];
    const NamedFile model = PlatformModel("plt", centres, half);
    p->node = area_->Load(model.name, HierarchyImage(PlatformObjects(centres, half), CharacterMaterials()));
    p->flags[0] = ACTOR_F0_IN_USE;
    p->flags[5] = ACTOR_F5_PLATFORM_OWNER;
    for (int i = 0; i < 3; i++) {
        p->position[i] = position[i];
    }
    PHY_ResetBody(p);
    platform_ = p;
    platform_motion_ = motion;
    PLT_Update();
    return p;
}

void PhysicsScene::Step()
{
    if (platform_ != nullptr) {
        // The platform's own animation moves it; the test gives it a steady motion instead.
        for (int i = 0; i < 3; i++) {
            platform_->position[i] += platform_motion_[i];
        }
        PLT_Update();
    }
    for (int32_t i = 0; i < count_; i++) {
        PHY_MoveObject(Actor(i));
    }
    COL_Collide();
}

} // namespace kalder_test
