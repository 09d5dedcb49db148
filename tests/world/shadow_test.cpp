// Shadows: the start on the shadow models, the slots given and freed, the blob laid under an actor on
// flat and sloped ground, and the hero's silhouette rendered into its texture on the demo level
// without disturbing the game's view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/opt.h"
#include "core/scr.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/level_start.h"
#include "tests/support/physics_scene.h"
#include "tests/support/scene_builder.h"
#include "tests/support/screen_target.h"
#include "tests/support/shadow_pictures.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/game.h"
#include "world/level_record.h"
#include "world/mdl.h"
#include "world/phy.h"
#include "world/prj_load.h"
#include "world/shadow.h"

namespace {

using kalder_test::PhysicsScene;

constexpr const char *kStartError = "Kalder Internal Error : shadow can't be started";

uint32_t Flags(OBJ_Handle h) { return uint32_t(W_Get32(kalder_test::SceneArea::Record(h) + offsetof(OBJ_Record, flags))); }
bool TreeHidden(OBJ_Handle h) { return (Flags(h) & OBJ_FLAG_SKIP_TREE) != 0; }

std::vector<int32_t> Pos(OBJ_Handle h)
{
    int32_t p[3];
    Get_Obj_Pos(h, p);
    return {p[0], p[1], p[2]};
}

std::vector<int32_t> Matrix(OBJ_Handle h)
{
    int32_t m[9];
    Get_Obj_Matrix(h, m);
    return std::vector<int32_t>(m, m + 9);
}

std::vector<int32_t> DirX(const int32_t *n, int32_t angle)
{
    int32_t m[9];
    Mat_From_Dir_X(n, angle, m);
    return std::vector<int32_t>(m, m + 9);
}

// A one-node model of a small quad in a keyed type, named and textured as asked.
std::vector<uint8_t> Quad(const std::string &node, const std::string &material, const std::string &file)
{
    const kalder_test::ObjectSpec o =
        kalder_test::MeshObject(node, -1, {0, 0, 0}, kalder_test::GridMesh(-10, 10, -10, 10, 0, 1, 1), -14, material);
    return kalder_test::HierarchyImage({o}, {{material, file, 0x4208}}).Finish().bytes;
}

template <typename F> void ExpectStartStop(F &&f)
{
    const size_t boxes = test::MessageBoxes().size();
    test::SetExitHook(test::ThrowOnExit);
    try {
        f();
        ADD_FAILURE() << "no stop";
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, 999);
        ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(test::MessageBoxes().back().text, kStartError);
    }
    test::SetExitHook(nullptr);
}

TEST(Shadow, TheStartLoadsBothModelsOrStops)
{
    using kalder_test::MemFiles_Add;
    const std::vector<uint8_t> material = kalder_test::DemoRealShadowMaterial();
    struct Case {
        const char *what;
        bool flat, flat_material, real, real_material;
        std::string flat_uses, real_uses; // the material each model names
        bool starts;
    };
    const Case cases[] = {
        {"both models with their materials", true, true, true, true, "OMBRE", "OMBRE2", true},
        {"no blob model", false, true, true, true, "OMBRE", "OMBRE2", false},
        {"no silhouette model", true, true, false, true, "OMBRE", "OMBRE2", false},
        {"the blob's material file missing", true, false, true, true, "OMBRE", "OMBRE2", false},
        {"the silhouette's material file missing", true, true, true, false, "OMBRE", "OMBRE2", false},
        {"no material called OMBRE", true, true, true, true, "NOIR", "OMBRE2", false},
        {"no material called OMBRE2", true, true, true, true, "OMBRE", "NOIR2", false},
        // A material without an image has no texels for the silhouette.
        {"OMBRE2 without its texels", true, true, true, true, "OMBRE", "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::SceneArea area(4000000);
        if (c.flat) {
            // Lower case: the start upper-cases the names.
            MemFiles_Add("ombre.3dc", Quad("ombre", c.flat_uses, c.flat_uses));
        }
        if (c.flat_material) {
            MemFiles_Add(c.flat_uses + ".3dm", material);
        }
        if (c.real) {
            const std::string name = c.real_uses.empty() ? "OMBRE2" : c.real_uses;
            MemFiles_Add("ombre2.3dc", Quad("ombre2", name, c.real_uses));
        }
        if (c.real_material && !c.real_uses.empty()) {
            MemFiles_Add(c.real_uses + ".3dm", material);
        }
        if (!c.starts) {
            ExpectStartStop([] { SHADOW_Start(); });
            continue;
        }
        SHADOW_Start();
        EXPECT_GT(SHADOW_Camera, 0);
        EXPECT_STREQ(Get_Obj_Name(SHADOW_Camera), "Camera");
        EXPECT_NE(Flags(SHADOW_Camera) & OBJ_FLAG_CAMERA, 0u);
        EXPECT_EQ(SHADOW_AttachedCount, 0);
        std::vector<OBJ_Handle> seen;
        for (int32_t i = 0; i < SHADOW_SLOT_COUNT; i++) {
            const SHADOW_Slot &s = SHADOW_Slots[i];
            EXPECT_EQ(s.mode, 0) << i;
            EXPECT_STREQ(Get_Obj_Name(s.flat), "OMBRE") << i;
            EXPECT_STREQ(Get_Obj_Name(s.real), "OMBRE2") << i;
            EXPECT_TRUE(TreeHidden(s.flat) && TreeHidden(s.real)) << i;
            EXPECT_EQ(Get_Obj_Parent(s.flat), 0) << i;
            EXPECT_EQ(Get_Obj_Parent(s.real), 0) << i;
            seen.push_back(s.flat);
            seen.push_back(s.real);
        }
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "every slot holds instances of its own";
        // Instance 0 is the loaded model: the copies follow it.
        EXPECT_LT(SHADOW_Slots[0].flat, SHADOW_Slots[1].flat);
    }
}

TEST(Shadow, SlotsAreGivenHeldAgainAndFreed)
{
    PhysicsScene scene(kalder_test::GameFloor(-4000, -4000, 8000, 0), 17);
    // The scene's body resets gave the moving actors their shadows in turn; the 17th got none.
    for (int32_t i = 0; i < 16; i++) {
        EXPECT_EQ(scene.Actor(i)->shadow_slot, i);
        EXPECT_EQ(SHADOW_Slots[i].mode, SHADOW_FLAT);
        EXPECT_EQ(SHADOW_Slots[i].owner, scene.Actor(i));
        EXPECT_EQ(SHADOW_Slots[i].character, 0);
    }
    ActorRecord *last = scene.Actor(16);
    EXPECT_EQ(last->shadow_slot, ACTOR_NO_SHADOW);
    EXPECT_EQ(SHADOW_AttachedCount, 16);
    EXPECT_EQ(SHADOW_FindFree(), SHADOW_SLOT_COUNT);

    // A body reset again keeps the slot and takes the new kind.
    ActorRecord *a = scene.Actor(3);
    SHADOW_Attach(a, SHADOW_REAL);
    EXPECT_EQ(a->shadow_slot, 3);
    EXPECT_EQ(SHADOW_Slots[3].mode, SHADOW_REAL);
    EXPECT_EQ(SHADOW_Slots[3].character, a->node);
    EXPECT_EQ(SHADOW_AttachedCount, 16);

    // Detach: the instance hidden, the slot free, the character's node alive.
    ActorRecord *b = scene.Actor(5);
    scene.Step();
    EXPECT_FALSE(TreeHidden(SHADOW_Slots[5].flat));
    SHADOW_Detach(b);
    EXPECT_TRUE(TreeHidden(SHADOW_Slots[5].flat));
    EXPECT_EQ(SHADOW_Slots[5].mode, 0);
    EXPECT_EQ(SHADOW_AttachedCount, 15);
    EXPECT_EQ(b->shadow_slot, ACTOR_NO_SHADOW);
    EXPECT_NE(Get_Obj_Ptr(b->node), nullptr);
    SHADOW_Detach(b); // nothing left to free
    EXPECT_EQ(SHADOW_AttachedCount, 15);
    // A real shadow detached leaves its character's node where it was.
    SHADOW_Detach(a);
    EXPECT_NE(Get_Obj_Ptr(a->node), nullptr);
    EXPECT_EQ(SHADOW_AttachedCount, 14);

    // The freed slots are the next given, lowest first.
    EXPECT_EQ(SHADOW_FindFree(), 3);
    SHADOW_Attach(last, SHADOW_FLAT);
    EXPECT_EQ(last->shadow_slot, 3);
    SHADOW_Attach(b, SHADOW_FLAT);
    EXPECT_EQ(b->shadow_slot, 5);
    EXPECT_EQ(SHADOW_AttachedCount, 16);

    // The reset frees everything and hides every instance.
    SHADOW_Reset();
    EXPECT_EQ(SHADOW_AttachedCount, 0);
    for (const SHADOW_Slot &s : SHADOW_Slots) {
        EXPECT_EQ(s.mode, 0);
        EXPECT_EQ(s.character, 0);
        EXPECT_TRUE(TreeHidden(s.flat) && TreeHidden(s.real));
        // The blob's last six corners, a quarter each (24 corners: the gathering cycles four times).
        EXPECT_EQ(s.pairs[0][0], int32_t(int64_t(255 << 16) * 90 / 180 / 4)) << "the centre's u";
    }
}

TEST(Shadow, TheBlobLiesOnTheGroundUnderTheActor)
{
    // A ramp rising along +x: y falls by 500 over 2000.
    PhysicsScene scene(kalder_test::Flipped(kalder_test::Ramp(-1000, 1000, 0, -500, -1000, 1000)), 1);
    ActorRecord *a = scene.Actor(0);
    scene.Place(a, 0, -250 - 165, 0);
    scene.Step();
    ASSERT_NE(a->ground_contact, 0);
    const int32_t up[3] = {0, -32767, 0};
    // The ramp's normal: up, and leaning back from the rise toward -x.
    int32_t ramp[3] = {-500, -2000, 0};
    Vec_Normalise(ramp, ramp);

    struct Case {
        const char *what;
        bool body, contact;
        int32_t heading, angle;
        const int32_t *normal;
    };
    const Case cases[] = {
        {"no body", false, true, 0, 3071, up},
        {"a body without a ground triangle", true, false, 1024, 2047, up},
        {"a body over the ramp", true, true, 3071, 0, ramp},
        {"heading 0 on the ramp", true, true, 0, 3071, ramp},
    };
    const SHADOW_Slot &s = SHADOW_Slots[a->shadow_slot];
    OBJ_CollBody *body = a->coll_body;
    const intptr_t contact = a->ground_contact;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        a->coll_body = c.body ? body : nullptr;
        a->ground_contact = c.contact ? contact : 0;
        a->heading = c.heading;
        a->ground_height = 777;
        SHADOW_Place(a);
        EXPECT_FALSE(TreeHidden(s.flat));
        EXPECT_TRUE(TreeHidden(s.real));
        const std::vector<int32_t> node = Pos(a->node);
        EXPECT_EQ(Pos(s.flat), (std::vector<int32_t>{node[0], 767, node[2]}));
        const std::vector<int32_t> m = Matrix(s.flat);
        // The blob's z axis is the ground's normal; its turn is the heading's.
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(m[size_t(3 * k + 2)], c.normal[k], 64) << k;
        }
        int32_t n[3] = {m[2], m[5], m[8]};
        EXPECT_EQ(m, DirX(n, c.angle));
    }
    a->coll_body = body;
    a->ground_contact = contact;

    // No slot: nothing moves or shows.
    SHADOW_Reset();
    const int32_t held = a->shadow_slot;
    a->shadow_slot = ACTOR_NO_SHADOW;
    SHADOW_Place(a);
    for (const SHADOW_Slot &t : SHADOW_Slots) {
        EXPECT_TRUE(TreeHidden(t.flat) && TreeHidden(t.real));
    }
    a->shadow_slot = held;
}

TEST(Shadow, ARealShadowWithoutItsCharacterIsDrawnFlatAndTheCameraFollowsTheMode)
{
    PhysicsScene scene(kalder_test::GameFloor(-4000, -4000, 8000, 0), 1);
    ActorRecord *a = scene.Actor(0);
    scene.Place(a, 100, -165, 200);
    scene.Step();
    SHADOW_Slot &s = SHADOW_Slots[a->shadow_slot];
    SHADOW_Attach(a, SHADOW_REAL);
    s.character = 0;
    SHADOW_Place(a);
    EXPECT_FALSE(TreeHidden(s.flat));
    EXPECT_TRUE(TreeHidden(s.real));

    s.character = a->node;
    const std::vector<int32_t> node = Pos(a->node);
    const int32_t physics_mode = a->physics_mode;
    for (const int32_t mode : {1, 3}) {
        SCOPED_TRACE(mode);
        a->physics_mode = mode;
        SHADOW_Place(a);
        EXPECT_TRUE(TreeHidden(s.flat));
        EXPECT_FALSE(TreeHidden(s.real));
        EXPECT_NE(Flags(s.real) & OBJ_FLAG_HIDDEN, 0u) << "the plane's root is not drawn";
        EXPECT_EQ(Pos(s.real), (std::vector<int32_t>{node[0], -10, node[2]}));
        EXPECT_EQ(Pos(SHADOW_Camera), (std::vector<int32_t>{node[0], node[1] - (mode == 1 ? 450 : 600), node[2] - 300}));
        EXPECT_EQ(Get_Obj_Parent(a->node), 0);
    }
    a->physics_mode = physics_mode;
}

// The demo level with the true shadows on, loaded on a screen of a size, with the letterbox on or off.
struct DemoShadowTest : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;
    std::unique_ptr<kalder_test::ScreenTarget> screen;

    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives));
    }
    void TearDown() override
    {
        Stop();
        // The slots' collision bodies went with the level's space: no later test may step them.
        for (ActorRecord &slot : ACTOR_Slots) {
            std::memset(static_cast<void *>(&slot), 0, sizeof slot);
        }
        MDL_LoadingScene = MDL_SceneCollReady = MDL_SkyNode = 0;
        MDL_SkyAngle = 0.0f;
        kalder_test::ResetCore();
        drives.reset();
    }
    void Start(int width, int height, int ticks, bool real, bool letterbox)
    {
        screen = std::make_unique<kalder_test::ScreenTarget>(width, height);
        kalder_test::StartShadowDemo(ticks, real, letterbox);
    }
    void Stop()
    {
        if (screen != nullptr) {
            kalder_test::StopLevelCore();
            screen.reset();
        }
    }
    static ActorRecord *Hero() { return &ACTOR_Slots[ACTOR_HERO]; }

    // The tick by which the level is loaded and its creature is in use.
    static constexpr int kCreatureTick = 30;
    // The demo's creature waits far off the floor: it is put 450 units beside the hero (across the
    // picture of LookAtShadows) and its body reset there, so that it stands on the floor from then on.
    // Null when the level holds no creature.
    static ActorRecord *BringCreatureBesideHero()
    {
        for (ActorRecord &a : ACTOR_Slots) {
            if (!(a.flags[0] & ACTOR_F0_IN_USE) || a.definition == nullptr ||
                std::strncmp(a.definition->name, "CREA", sizeof a.definition->name) != 0) {
                continue;
            }
            a.position[0] = Hero()->position[0];
            a.position[1] = Hero()->position[1];
            a.position[2] = Hero()->position[2] + 450.0;
            PHY_ResetBody(&a);
            return &a;
        }
        return nullptr;
    }
};

TEST_F(DemoShadowTest, TheHerosSilhouetteFillsItsTextureWithMarkers)
{
    Start(640, 480, 40, true, true);
    ActorRecord *hero = Hero();
    ASSERT_LT(hero->shadow_slot, SHADOW_SLOT_COUNT);
    const SHADOW_Slot &s = SHADOW_Slots[hero->shadow_slot];
    ASSERT_EQ(s.mode, SHADOW_REAL);
    ASSERT_EQ(s.character, hero->node);
    std::memset(SHADOW_RealTexels, 7, SHADOW_TEXEL_BYTES);
    SHADOW_Place(hero);
    // One rendered row is one texture row: the node lies at the picture's centre (row 128, pixel 64).
    int32_t left = 256, right = -1, top = 256, bottom = -1, others = 0;
    for (int32_t y = 0; y < 256; y++) {
        for (int32_t x = 0; x < 256; x++) {
            const uint8_t t = SHADOW_RealTexels[y * 256 + x];
            others += t > 1;
            if (t == 1) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_EQ(others, 0);
    EXPECT_EQ(SHADOW_RealTexels[128 * 256 + 128], 1);
    // The hero stands upright and is as wide on both sides: head above the centre, feet below, the
    // outline centred across.
    EXPECT_LT(top, 100);
    EXPECT_GT(bottom, 160);
    EXPECT_NEAR(left + right, 255, 4);
    EXPECT_GT(left, 0);
    EXPECT_LT(right, 255);
    int32_t type = 0;
    ASSERT_EQ(Get_First_Prim_Type(hero->node, &type), 0);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(Get_Obj_Parent(hero->node), 0);
}

TEST_F(DemoShadowTest, TheGamesViewIsTheSameAfterASilhouette)
{
    struct Case {
        int width, height;
        bool letterbox;
    };
    for (const Case &c : {Case{640, 480, true}, Case{640, 480, false}, Case{320, 200, true}, Case{320, 200, false}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + (c.letterbox ? " letterbox" : ""));
        Stop();
        Start(c.width, c.height, 2, true, c.letterbox);
        const OBJ_ViewParams before = OBJ_View;
        EXPECT_EQ(before.view_y, c.letterbox ? c.height / 8 : 0);
        SHADOW_Place(Hero());
        EXPECT_EQ(std::memcmp(&before, &OBJ_View, sizeof before), 0);
    }
}

TEST_F(DemoShadowTest, AFrameAfterASilhouetteIsTheFrameWithoutOne)
{
    Start(640, 480, 40, true, true);
    const SHADOW_Slot &s = SHADOW_Slots[Hero()->shadow_slot];
    // The silhouette's plane left out of both frames: what remains must not depend on the render.
    Hide_Obj_Tree(s.real);
    SCR_ComposeFrame();
    const std::vector<uint16_t> without(SCR_FrameBuffer, SCR_FrameBuffer + 640 * 480);
    SHADOW_Place(Hero());
    Hide_Obj_Tree(s.real);
    SCR_ComposeFrame();
    EXPECT_TRUE(std::equal(without.begin(), without.end(), SCR_FrameBuffer));
}

TEST_F(DemoShadowTest, Pictures)
{
    struct Case {
        const char *golden;
        bool real, letterbox;
        bool creature; // the creature brought beside the hero, both on their shadows
    };
    const Case cases[] = {
        {"shadow-flat-640x480", false, true, true},
        {"shadow-real-640x480", true, true, false},
        {"shadow-real-fullscreen-640x480", true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.golden);
        Stop();
        if (c.creature) {
            Start(640, 480, kCreatureTick, c.real, c.letterbox);
            ActorRecord *creature = BringCreatureBesideHero();
            ASSERT_NE(creature, nullptr);
            for (int tick = kCreatureTick; tick < 40; tick++) {
                GAME_Tick(0);
            }
            // Its body stands on the floor at the hero's height, with its blob laid under it.
            ASSERT_LT(creature->shadow_slot, SHADOW_SLOT_COUNT);
            const SHADOW_Slot &s = SHADOW_Slots[creature->shadow_slot];
            EXPECT_EQ(s.mode, SHADOW_FLAT);
            EXPECT_NE(creature->ground_contact, 0);
            EXPECT_EQ(creature->ground_height, kalder_test::demo::kFloorY);
            int32_t node[3];
            Get_Obj_Pos(creature->node, node);
            EXPECT_EQ(Pos(s.flat), (std::vector<int32_t>{node[0], kalder_test::demo::kFloorY - 10, node[2]}));
            EXPECT_EQ(node[1], Pos(Hero()->node)[1]) << "both stand on the same floor";
            EXPECT_FALSE(TreeHidden(s.flat));
        } else {
            Start(640, 480, 40, c.real, c.letterbox);
        }
        kalder_test::LookAtShadows();
        SCR_ComposeFrame();
        EXPECT_TRUE(kalder_test::MatchesGolden(c.golden, SCR_FrameBuffer, 640, 480, false));
        if (c.real && c.letterbox) {
            const std::vector<uint16_t> texture = kalder_test::ShadowTexturePicture();
            EXPECT_TRUE(kalder_test::MatchesGolden("shadow-real-texture", texture.data(), 256, 256, false));
        }
    }
}

} // namespace
