// The level load on the demo installation: the slots it fills, the hero's carried gauges, the scene
// stream's first frame and its reset, the shading state and the view, characters put back at their
// start, and the picture of Project0.
#include <cstring>
#include <vector>

#include "core/dsk.h"
#include "core/opt.h"
#include "core/scr.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "tests/support/golden.h"
#include "tests/world/level_fixture.h"
#include "world/cam.h"
#include "world/dan.h"
#include "world/dsn.h"
#include "world/game.h"
#include "world/phy.h"
#include "world/tex.h"

namespace {

using level_test::LevelTest;

std::vector<int32_t> Node_Pos(int32_t node)
{
    int32_t v[3];
    Get_Obj_Pos(node, v);
    return {v[0], v[1], v[2]};
}

std::vector<double> Pos(const ActorRecord &a) { return {a.position[0], a.position[1], a.position[2]}; }

std::vector<uint8_t> Texels(const char *material)
{
    const uint8_t *t = Find_Cached_File(material);
    return t == nullptr ? std::vector<uint8_t>{} : std::vector<uint8_t>(t, t + 65536);
}

// The picture of a map after its first `parts` parts.
std::vector<uint8_t> After_Parts(const std::vector<uint8_t> &picture, int parts)
{
    std::vector<uint8_t> map(65536, 0);
    for (int p = 0; p < parts; p++) {
        DSN_DecodeMap(kalder_test::DsnPart(picture, p).data(), map.data(), p);
    }
    return map;
}

struct LevelLoadTest : LevelTest {
    // The camera started, as the system's start-up leaves it.
    void SetUp() override
    {
        LevelTest::SetUp();
        CAM_Init();
    }
    void TearDown() override
    {
        CAM_Exit();
        LevelTest::TearDown();
    }
    static void Load()
    {
        PRJ_PendingFlag = 1;
        PRJ_LoadPending();
    }
    // Makes a copy of the record current with its load pending, as the end of a fade does.
    static void Enter(const LevelRecord &record)
    {
        PRJ_MakeCurrent(&record);
        PRJ_PendingFlag = 1;
    }
};

TEST_F(LevelLoadTest, Project0FillsTheSlotsWithTheHeroTheBoxesAndTheSceneLast)
{
    ASSERT_EQ(PRJ_PendingFlag, 1);
    PRJ_LoadPending();
    EXPECT_EQ(PRJ_PendingFlag, 0);

    const ActorRecord &reserved = ACTOR_Slots[0], &hero = ACTOR_Slots[1], &scene = ACTOR_Slots[2];
    EXPECT_EQ(ACTOR_FlagWord(&reserved), 0x13u);
    EXPECT_EQ(reserved.node, 0);
    EXPECT_EQ(ACTOR_FlagWord(&hero), 0xC615u) << "with its animations";
    EXPECT_EQ(hero.flags[7], ACTOR_F7_EXTENDED_KEYS | ACTOR_F7_BOW_HIDDEN) << "its bow hidden in its hand";
    EXPECT_EQ(hero.flags[6], ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_HIDDEN | ACTOR_F6_BOW_CARRIED);
    EXPECT_EQ(hero.flags[8] & 0x07, ACTOR_F8_GUN_CARRIED | ACTOR_F8_GUN_HIDDEN);
    EXPECT_STREQ(hero.node_name, "XH_"); // the texture binding upper-cases a character's node name
    EXPECT_EQ(Pos(hero), (std::vector<double>{-600, 140, 0}));
    EXPECT_EQ(Node_Pos(hero.node), (std::vector<int32_t>{-600, 140, 0}));
    EXPECT_EQ(hero.definition, nullptr);

    const int32_t box_at[2][3] = {{-1400, 172, 400}, {-200, 172, 900}};
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(i);
        const ActorRecord &box = ACTOR_Slots[3 + i];
        EXPECT_EQ(ACTOR_FlagWord(&box), 0x00080011u);
        EXPECT_STREQ(box.node_name, "box");
        EXPECT_EQ(box.definition, &PRJ_CurrentRecord.elements[1 + i]);
        EXPECT_EQ(Pos(box), (std::vector<double>{double(box_at[i][0]), double(box_at[i][1]), double(box_at[i][2])}));
        EXPECT_EQ(Node_Pos(box.node), (std::vector<int32_t>{box_at[i][0], box_at[i][1], box_at[i][2]}));
        EXPECT_EQ(box.life, 100.0f);
        // The scene came after the characters: its model sits in a later handle table.
        EXPECT_GT(scene.node >> 16, box.node >> 16);
    }
    EXPECT_STREQ(scene.node_name, "sc1");
    EXPECT_EQ(scene.definition, &PRJ_CurrentRecord.elements[0]);
    EXPECT_EQ(Pos(scene), (std::vector<double>{0, 0, 0}));
    EXPECT_STREQ(Get_Obj_Name(scene.node), "SC1");
    EXPECT_EQ(MDL_SceneCollReady, 1);
    // The creature, which stays at its far start until a spawner brings it in.
    const ActorRecord &creature = ACTOR_Slots[5];
    EXPECT_STREQ(creature.node_name, "CR1"); // upper-cased by the texture binding, as the hero's
    EXPECT_EQ(creature.definition, &PRJ_CurrentRecord.elements[3]);
    EXPECT_TRUE(creature.flags[1] & ACTOR_F1_AI);
    EXPECT_EQ(Pos(creature), (std::vector<double>{9000, 140, 0}));
    // The crystal, an object to pick up.
    const ActorRecord &crystal = ACTOR_Slots[6];
    EXPECT_STREQ(crystal.node_name, "LIF1");
    EXPECT_EQ(crystal.definition, &PRJ_CurrentRecord.elements[4]);
    EXPECT_EQ(Pos(crystal), (std::vector<double>{-300, 260, 300}));
    // The two pick-ups, each named by its model file: the fire spell's gem and the key object.
    const struct {
        const char *node;
        int element;
        double x, y, z;
    } pick_ups[] = {{"feu", 5, -600, 260, -700}, {"object01", 6, -300, 260, -900}};
    for (int i = 0; i < 2; i++) {
        const ActorRecord &pick_up = ACTOR_Slots[7 + i];
        EXPECT_STREQ(pick_up.node_name, pick_ups[i].node);
        EXPECT_EQ(pick_up.definition, &PRJ_CurrentRecord.elements[pick_ups[i].element]);
        EXPECT_EQ(Pos(pick_up), (std::vector<double>{pick_ups[i].x, pick_ups[i].y, pick_ups[i].z}));
        EXPECT_EQ(pick_up.flags[1] & ACTOR_F1_AI, 0);
    }
    // The crate that a trigger shows later, hidden until then, and the scroll.
    const ActorRecord &crate = ACTOR_Slots[9];
    EXPECT_EQ(crate.definition, &PRJ_CurrentRecord.elements[7]);
    EXPECT_TRUE(crate.flags[3] & ACTOR_F3_DISABLED);
    EXPECT_EQ(ACTOR_Slots[10].definition, &PRJ_CurrentRecord.elements[8]);
    EXPECT_STREQ(ACTOR_Slots[10].node_name, "temps");
    EXPECT_FALSE(ACTOR_Slots[10].flags[3] & ACTOR_F3_DISABLED);
    EXPECT_EQ(ACTOR_Slots[11].flags[0], 0);
    EXPECT_EQ(ACTOR_ActiveCount2, 11);
    EXPECT_EQ(ACTOR_ActiveCount1, 11);
    EXPECT_EQ(MDL_LoadingScene, 0);
    EXPECT_EQ(DAN_IsOpen(), 0);

    // The root camera placed behind the hero, the view and the stream's first frame (palettes, parts 0
    // and 1).
    EXPECT_EQ(CAM_Mode, CAM_FOLLOW);
    EXPECT_EQ(CAM_Follow.subject, &ACTOR_Slots[ACTOR_HERO]);
    EXPECT_EQ(Node_Pos(0), (std::vector<int32_t>(CAM_Follow.camera, CAM_Follow.camera + 3)));
    EXPECT_EQ(OBJ_View.near_clip, 140);
    EXPECT_EQ(OBJ_View.far_clip, 0xFFFFF);
    EXPECT_EQ(GAME_FarClip, 0xFFFFF);
    EXPECT_EQ(DSN_IsLoaded(), 1);
    EXPECT_EQ(DSN_Stream.frame, 1);
    EXPECT_EQ(Texels("FLOOR"), After_Parts(kalder_test::DemoFloorPicture(), 2));
    for (int i = 1; i < 32; i++) {
        DSN_UpdateFrame();
    }
    EXPECT_EQ(Texels("FLOOR"), kalder_test::DemoFloorPicture());
    EXPECT_EQ(Texels("CRATE"), kalder_test::DemoCratePicture());
}

TEST_F(LevelLoadTest, TheHeroCarriesItsGaugesAndALifeOf0BecomesFive)
{
    struct Row {
        bool was_loaded;
        float life, gauge;
        float expected_life, expected_gauge;
    };
    for (const Row &row : {Row{true, 0.0f, 3.0f, 5.0f, 3.0f}, Row{true, 42.5f, 77.0f, 42.5f, 77.0f},
                           Row{true, 120.0f, 0.0f, 120.0f, 0.0f},
                           // A slot that never held a hero has nothing to carry.
                           Row{false, 0.0f, 0.0f, 100.0f, 10.0f}}) {
        SCOPED_TRACE(row.life);
        ClearSlots();
        ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        hero.flags[0] = row.was_loaded ? ACTOR_F0_IN_USE : 0;
        hero.life = row.life;
        hero.second_gauge = row.gauge;
        Load();
        EXPECT_EQ(hero.life, row.expected_life);
        EXPECT_EQ(hero.second_gauge, row.expected_gauge);
        EXPECT_EQ(ACTOR_FlagWord(&hero), 0xC615u);
    }
}

TEST_F(LevelLoadTest, ElementsKeptForLaterAndTheCharacterSwitchLeaveSlotsEmpty)
{
    PRJ_CurrentRecord.elements[1].flags_b = 0x01;
    Load();
    EXPECT_EQ(ACTOR_Slots[3].definition, &PRJ_CurrentRecord.elements[2]);
    EXPECT_EQ(ACTOR_Slots[4].definition, &PRJ_CurrentRecord.elements[3]);
    EXPECT_EQ(ACTOR_Slots[5].definition, &PRJ_CurrentRecord.elements[4]);
    EXPECT_EQ(ACTOR_Slots[6].definition, &PRJ_CurrentRecord.elements[5]);
    EXPECT_EQ(ACTOR_Slots[7].definition, &PRJ_CurrentRecord.elements[6]);
    EXPECT_EQ(ACTOR_Slots[8].definition, &PRJ_CurrentRecord.elements[7]);
    EXPECT_EQ(ACTOR_Slots[9].definition, &PRJ_CurrentRecord.elements[8]);
    EXPECT_EQ(ACTOR_Slots[10].flags[0], 0);
    EXPECT_TRUE(ACTOR_Slots[2].flags[0] & ACTOR_F0_IN_USE);

    PRJ_LoadCharacters = 0;
    Load();
    EXPECT_EQ(ACTOR_ActiveCount2, 2); // the reserved slot and the hero
    EXPECT_EQ(DSN_IsLoaded(), 0);
}

// The stream of the level left would go on writing its parts into the new heap: a load closes it.
TEST_F(LevelLoadTest, ALoadClosesTheStreamOfTheLevelLeft)
{
    Load();
    for (int i = 0; i < 3; i++) {
        DSN_UpdateFrame();
    }
    ASSERT_EQ(DSN_IsLoaded(), 1);
    // A level without a stream: its scene is the box.
    LevelRecord plain = PRJ_CurrentRecord;
    std::strcpy(plain.elements[0].file, "box.3dc");
    Enter(plain);
    PRJ_LoadPending();
    EXPECT_EQ(DSN_IsLoaded(), 0);
    const std::vector<uint8_t> material = kalder_test::DemoBoxMaterial();
    const std::vector<uint8_t> box(material.begin() + 8 + 20 + 32768, material.end());
    for (int i = 0; i < 31; i++) {
        DSN_UpdateFrame();
    }
    EXPECT_EQ(Texels("BOX"), box);
    EXPECT_EQ(Texels("FLOOR"), std::vector<uint8_t>{});

    // Back to the streamed scene after 3 ticks: the new stream alone fills its pictures.
    LevelRecord streamed = plain;
    std::strcpy(streamed.elements[0].file, "sc1.3dc");
    Enter(streamed);
    PRJ_LoadPending();
    for (int i = 0; i < 3; i++) {
        DSN_UpdateFrame();
    }
    Enter(streamed);
    PRJ_LoadPending();
    EXPECT_EQ(DSN_Stream.frame, 1);
    for (int i = 0; i < 31; i++) {
        DSN_UpdateFrame();
    }
    EXPECT_EQ(Texels("FLOOR"), kalder_test::DemoFloorPicture());
    EXPECT_EQ(Texels("CRATE"), kalder_test::DemoCratePicture());
}

TEST_F(LevelLoadTest, TheRecordsColoursAndSettingsReachTheShadingStateAndTheView)
{
    struct Row {
        int32_t fade_kind;
        int32_t shade_step, smoothed;
        int32_t depth, mode, view_distance, water;
        int32_t character_step, scene_step, far_clip;
    };
    for (const Row &row : {Row{0, 64, 128, 0, 0, 0, 0, 8, 2, 0xFFFFF}, Row{1, -64, -128, 5, 3, 60000, -200, 5, 3, 60000},
                           Row{2, 0, 0, 0, 0, 0, 0, 8, 2, 0xFFFFF}}) {
        SCOPED_TRACE(row.fade_kind);
        LevelRecord &p = PRJ_CurrentRecord;
        for (int i = 0; i < 3; i++) {
            p.colour_a[i] = 1 + i;
            p.colour_b[i] = 4 + i;
            p.colour_c[i] = 7 + i;
            p.colour_d[i] = 10 + i;
        }
        for (int i = 0; i < 4; i++) {
            p.shade_table_values[i] = 13 + i;
        }
        p.shade_value = 17;
        p.fade_kind = row.fade_kind;
        p.shading_depth = row.depth;
        p.shading_mode = row.mode;
        p.view_distance = row.view_distance;
        p.water_height = row.water;
        TEX_Shading = TEX_ShadingState{};
        Load();
        const TEX_ShadingState &s = TEX_Shading;
        EXPECT_EQ(std::vector<int32_t>(s.tint, s.tint + 3), (std::vector<int32_t>{1, 2, 3}));
        EXPECT_EQ(std::vector<int32_t>(s.flicker, s.flicker + 3), (std::vector<int32_t>{4, 5, 6}));
        EXPECT_EQ(std::vector<int32_t>(s.colour_c, s.colour_c + 3), (std::vector<int32_t>{9, 8, 7}));
        EXPECT_EQ(std::vector<int32_t>(s.fade_target, s.fade_target + 3), (std::vector<int32_t>{10, 11, 12}));
        EXPECT_EQ(std::vector<int32_t>(s.water_offset, s.water_offset + 3), (std::vector<int32_t>{13, 14, 15}));
        EXPECT_EQ(s.water_extra, 16);
        EXPECT_EQ(s.fade_seconds, 17);
        EXPECT_EQ(std::vector<int32_t>(s.shade_steps, s.shade_steps + 3), std::vector<int32_t>(3, row.shade_step));
        EXPECT_EQ(std::vector<int32_t>(s.smoothed, s.smoothed + 3), std::vector<int32_t>(3, row.smoothed));
        EXPECT_EQ(s.character_shade_step, row.character_step);
        EXPECT_EQ(s.scene_shade_step, row.scene_step);
        EXPECT_EQ(PHY_WaterHeight, row.water);
        EXPECT_EQ(GAME_FarClip, row.far_clip);
        EXPECT_EQ(OBJ_View.far_clip, row.far_clip);
        EXPECT_EQ(OBJ_View.near_clip, 140);
    }
}

TEST_F(LevelLoadTest, TheViewIsTheScreenOrItsLetterboxedMiddle)
{
    for (int32_t letterbox : {0, 1}) {
        SCOPED_TRACE(letterbox);
        OPT_Cinemascope = letterbox;
        Load();
        EXPECT_EQ(OBJ_View.screen_width, 640);
        EXPECT_EQ(OBJ_View.view_width, 640);
        EXPECT_EQ(OBJ_View.view_height, letterbox ? 360 : 480);
    }
}

TEST_F(LevelLoadTest, ACharacterGoesBackToItsStart)
{
    Load();
    ActorRecord &box = ACTOR_Slots[3];
    ElementRecord &e = PRJ_CurrentRecord.elements[1];
    e.start_heading = 512;
    e.life = 0;
    e.range = 1001;
    struct Row {
        const char *what;
        ActorRecord *actor;
        bool no_definition, editor;
        uint8_t f3, f7;
        bool moved, gauges;
    };
    ActorRecord &scene = ACTOR_Slots[ACTOR_SCENE];
    const std::vector<Row> rows = {
        {"a character", &box, false, false, 0, 0, true, true},
        {"no definition", &box, true, false, 0, 0, false, false},
        {"in the editor", &box, false, true, 0, 0, true, false},
        {"disabled", &box, false, false, ACTOR_F3_DISABLED, 0, true, false},
        {"fixed at its start", &box, false, false, 0, ACTOR_F7_UNSTRUCK, true, false},
        {"the scene", &scene, false, false, 0, 0, false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ActorRecord &a = *row.actor;
        ElementRecord *definition = a.definition;
        if (row.no_definition) {
            a.definition = nullptr;
        }
        EDT_Active = row.editor ? 1 : 0;
        a.flags[3] = row.f3;
        a.flags[7] = row.f7;
        for (int i = 0; i < 3; i++) {
            a.position[i] = 5.5 + i;
            a.previous_position[i] = -1.0;
        }
        a.heading = 7;
        a.life = 3.0f;
        a.range = 4;
        const int32_t node_before[3] = {1, 2, 3};
        Set_Obj_Pos(a.node, node_before);
        ACTOR_ResetToStart(&a);
        a.definition = definition;

        if (&a == &scene) {
            EXPECT_EQ(Pos(a), (std::vector<double>{0, 0, 0}));
            EXPECT_EQ(a.heading, 7);
            EXPECT_EQ(Node_Pos(a.node), (std::vector<int32_t>{1, 2, 3}));
            continue;
        }
        if (!row.moved) {
            EXPECT_EQ(Pos(a), (std::vector<double>{5.5, 6.5, 7.5}));
            EXPECT_EQ(a.heading, 7);
            EXPECT_EQ(a.life, 3.0f);
            continue;
        }
        EXPECT_EQ(Pos(a), (std::vector<double>{-1400, 172, 400}));
        EXPECT_EQ(std::vector<double>(a.previous_position, a.previous_position + 3), Pos(a));
        EXPECT_EQ(a.heading, 512);
        int32_t matrix[9], turned[9];
        Get_Obj_Matrix(a.node, matrix);
        Mat_Rotate(0, 512, 0, turned);
        EXPECT_EQ(0, std::memcmp(matrix, turned, sizeof matrix));
        EXPECT_EQ(Node_Pos(a.node), (std::vector<int32_t>{-1400, 172, 400}));
        EXPECT_EQ(a.life, row.gauges ? 100.0f : 3.0f);
        EXPECT_EQ(a.range, row.gauges ? 200 : 4);
    }
    EDT_Active = 0;
    box.flags[3] = box.flags[7] = 0;
    // A definition's own life and a range of 0.
    e.life = 60;
    e.range = 0;
    ACTOR_ResetToStart(&box);
    EXPECT_EQ(box.life, 60.0f);
    EXPECT_EQ(box.range, 1000);
}

TEST_F(LevelLoadTest, StartUpNamesTheMaterialFolderBelowTheModelRoot)
{
    const DSK_LocationRecord saved = DSK_Location;
    for (int32_t full : {0, 1}) {
        SCOPED_TRACE(full);
        std::strcpy(DSK_Location.cd_root, "E:\\");
        std::strcpy(DSK_Location.install_folder, "C:\\VORN\\KALDER\\");
        DSK_Location.full = full;
        GAME_Init3DEngine();
        EXPECT_STREQ(Material_Dir, full ? "C:\\VORN\\KALDER\\data\\3dc\\" : "E:\\data\\3dc\\");
        EXPECT_EQ(Work_Area, GAME_3DHeap);
        EXPECT_EQ(Work_Size, GAME_3DHeapSize);
    }
    DSK_Location = saved;
}

// The routines the game keeps without calling them: a second actor beside a character, an animation
// node given to an actor, the hero's place for the editor, a node by name, and every slot released.
TEST_F(LevelLoadTest, TheUncalledRoutinesCloneStoreFindAndRelease)
{
    Load();
    ActorRecord &box = ACTOR_Slots[3];
    box.current_anim = 4;
    box.requested_anim = 5;
    box.anim_handles[0] = 0x70000;
    box.anim_handles[1] = 0x80000;
    box.frame_count = 12;
    box.saved_frame_count = 13;
    box.frame_position = 2.5f;
    box.anim_blend = 0.25f;
    box.anim_speed = 1.25f;
    ActorRecord *clone = ACTOR_CloneActor(&box);
    ASSERT_EQ(clone, &ACTOR_Slots[11]);
    EXPECT_EQ(clone->flags[0], ACTOR_F0_IN_USE);
    // The clone shares the box's animation set: set 0, which every record starts with.
    EXPECT_EQ(clone->flags[1], ACTOR_F1_AI | ACTOR_F1_HAS_ANIMS);
    EXPECT_EQ(Pos(*clone), (std::vector<double>{-1300, 172, 500}));
    EXPECT_EQ(Node_Pos(clone->node), (std::vector<int32_t>{-1300, 172, 500}));
    EXPECT_NE(clone->node, box.node);
    EXPECT_EQ(Get_Obj_Parent(clone->node), 0);
    EXPECT_EQ(clone->current_anim, 4);
    EXPECT_EQ(clone->requested_anim, 5);
    EXPECT_EQ(clone->anim_handles[1], 0x80000);
    EXPECT_EQ(clone->saved_frame_count, 13);
    EXPECT_EQ(clone->frame_position, 2.5f);
    EXPECT_EQ(clone->anim_blend, 0.25f);
    EXPECT_EQ(clone->anim_speed, 1.25f);
    EXPECT_EQ(clone->definition, nullptr);

    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    ACTOR_SetAnimation(hero.node, &hero);
    EXPECT_EQ(hero.anim_handles[0], hero.node);
    EXPECT_EQ(hero.frame_position, 0.0f);
    EXPECT_EQ(hero.anim_speed, 1.5f);

    hero.position[0] = -600.4;
    hero.position[1] = 140.5;
    hero.position[2] = 1.5;
    hero.heading = 99;
    ACTOR_Slots[ACTOR_SCENE].position[2] = -10.0;
    int32_t stored[4];
    MDL_StoreHeroPosition(stored);
    EXPECT_EQ(std::vector<int32_t>(stored, stored + 4), (std::vector<int32_t>{-600, 140, 12, 99}));

    EXPECT_EQ(MDL_FindNode(hero.node, "tete"), hero.head_node);
    EXPECT_EQ(MDL_FindNode(hero.node, "NONE"), -1);

    for (int32_t s = 0; s < ACTOR_SLOT_COUNT; s++) {
        if (!(ACTOR_Slots[s].flags[0] & ACTOR_F0_IN_USE)) {
            ASSERT_NE(ACTOR_CloneActor(&box), nullptr);
        }
    }
    EXPECT_EQ(ACTOR_CloneActor(&box), nullptr);
    const int32_t box_node = box.node;
    MDL_ReleaseSlots();
    for (const ActorRecord &slot : ACTOR_Slots) {
        EXPECT_EQ(slot.flags[0], 0);
    }
    EXPECT_EQ(Get_Obj_Block(box_node), 0u);
}

TEST_F(LevelLoadTest, Project0AfterItsStreamHasRunShowsItsFloorCratesBoxesAndHero)
{
    Load();
    for (int i = 0; i < 31; i++) {
        DSN_UpdateFrame();
    }
    SCR_ComposeFrame();
    EXPECT_TRUE(kalder_test::MatchesGolden("demo-project0", SCR_FrameBuffer, 640, 480, false));
}

} // namespace
