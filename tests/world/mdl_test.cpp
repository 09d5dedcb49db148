// Models: the file source over the scene stream, the container and the disk; images loaded through
// it into the 3D library; models, characters and the scene put into object slots; the sky; the stops.
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "core/dsk.h"
#include "core/game_frame.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/records.h"
#include "engine3d/workarea.h"
#include "tests/support/image_builder.h"
#include "tests/support/level_writer.h"
#include "tests/support/scene_builder.h"
#include "tests/world/level_fixture.h"
#include "world/anim.h"
#include "world/dan.h"
#include "world/dsn.h"
#include "world/game.h"

namespace {

using kalder_test::Vec3;
using level_test::LevelTest;
namespace level = kalder_test::level;

constexpr const char *kStream = "D:\\DATA\\3DC\\SC1.DSN";
constexpr const char *kContainer = "D:\\DATA\\3DC\\XH_.DAN";

std::vector<uint8_t> Body(const std::vector<uint8_t> &file) { return kalder_test::DsnImage(file); }

// A bound map as the stream hands it over: the record, then the colour area and picture cleared.
std::vector<uint8_t> Bound(const std::vector<uint8_t> &materialFile)
{
    std::vector<uint8_t> image(DSN_MapBytes, 0);
    const std::vector<uint8_t> record = kalder_test::DsnMapRecord(materialFile);
    std::memcpy(image.data(), record.data(), record.size());
    return image;
}

struct MdlTest : LevelTest {
    // Every open of a game path from here on.
    std::vector<std::string> opened;
    void WatchOpens()
    {
        opened.clear();
        test::SetOpenObserver([this](const char *path) { opened.emplace_back(path); });
    }

    // The element of the current project's record that the character tests fill.
    static ElementRecord *Element(int i) { return &PRJ_CurrentRecord.elements[i]; }
    static void SetElement(int i, const char *file, uint8_t flags_a, uint8_t flags_b = 0)
    {
        ElementRecord *e = Element(i);
        std::memset(e, 0, sizeof *e);
        std::strncpy(e->file, file, sizeof e->file);
        e->flags_a = flags_a;
        e->flags_b = flags_b;
    }
    // A fresh heap and empty slots, as each load starts.
    static void FreshHeap()
    {
        GAME_Init3DEngine();
        MDL_ResetSlots();
        // As the level load does before any model: no animation set is taken.
        ANIM_InitSlots();
    }
};

// --- The file source ---

enum Open { None = 0, Stream = 1, Container = 2 };

struct HookRow {
    const char *name;
    int open;                      // Open bits
    int32_t loading;               // the loading-the-scene-element flag
    int32_t room;
    std::function<void()> prepare; // after the sources opened
    int32_t result;
    std::vector<uint8_t> bytes;    // what the destination starts with
    int32_t collision_ready;
    size_t disk_opens;
};

TEST_F(MdlTest, TheFileSourceServesTheStreamThenTheContainerThenTheDisk)
{
    const std::vector<uint8_t> scene = kalder_test::DemoSceneModel();
    const std::vector<uint8_t> collision = kalder_test::DemoSceneCollision();
    const kalder_test::DanWriter hero = kalder_test::DemoHeroContainer();
    const kalder_test::DanEntry &walk = *std::find_if(hero.anims.begin(), hero.anims.end(), [](const auto &a) {
        return a.name == "XH_AN004.3DA";
    });
    const std::vector<uint8_t> box = kalder_test::DemoBoxModel();
    const std::vector<uint8_t> box_material = kalder_test::DemoBoxMaterial();
    const int32_t material_size = int32_t(box_material.size());
    PutModel("short.bin", {1, 2, 3, 4, 5, 6, 7});
    const auto consume_model = [] {
        std::vector<uint8_t> out(1 << 20);
        ASSERT_GT(DSN_Load3DC("SC1", out.data(), int32_t(out.size())), 0);
    };
    // The container's blocks are read in their order: the model, then the maps, then the animations.
    const auto read_maps = [] {
        std::vector<uint8_t> out(1 << 20);
        ASSERT_GT(DAN_ReadBlock("XH_", out.data(), int32_t(out.size())), 0);
        ASSERT_EQ(DAN_ReadMapData(), 1);
    };
    const auto read_anims = [read_maps] {
        read_maps();
        ASSERT_EQ(DAN_ReadAnimData(), 1);
    };
    constexpr int32_t Big = 1 << 20;

    const std::vector<HookRow> rows = {
        {"", Stream | Container, 1, Big, nullptr, 0, {}, 0, 0},
        {"data\\3dc\\sc1.3DC", Stream, 1, Big, nullptr, int32_t(scene.size() - 8), Body(scene), 0, 0},
        // Lower case still goes to the stream; a model already given is not looked for elsewhere.
        {"data\\3dc\\sc1.3dc", Stream, 1, Big, nullptr, int32_t(scene.size() - 8), Body(scene), 0, 0},
        {"data\\3dc\\sc1.3DC", Stream | Container, 1, Big, consume_model, 0, {}, 0, 0},
        {"data\\3dc\\sc1.3DI", Stream, 1, Big, consume_model, int32_t(collision.size() - 8), Body(collision), 1, 0},
        {"data\\3dc\\sc1.3DI", Stream, 1, Big, nullptr, 0, {}, 0, 0},
        {"D:\\data\\3dc\\FLOOR.3DM", Stream, 1, Big, nullptr, DSN_MapBytes, Bound(kalder_test::DemoFloorMaterial()), 0, 0},
        // Animations are not the stream's: the container serves them.
        {"data\\3dc\\XH_AN004.3DA", Stream | Container, 1, Big, read_anims, int32_t(walk.file.size() - 8),
         Body(walk.file), 0, 0},
        {"data\\3dc\\xh_.3DC", Container, 0, Big, nullptr, int32_t(hero.model.size() - 8), Body(hero.model), 0, 0},
        {"D:\\data\\3dc\\HERO.3DM", Container, 0, Big, read_maps, int32_t(hero.maps[0].file.size() - 8),
         Body(hero.maps[0].file), 0, 0},
        {"data\\3dc\\xh_an000.3da", Container, 0, Big, read_anims, int32_t(hero.anims[0].file.size() - 8),
         Body(hero.anims[0].file), 0, 0},
        // A map the container lacks is refused, even with the file on the disk.
        {"D:\\data\\3dc\\BOX.3DM", Container, 0, Big, read_maps, 0, {}, 0, 0},
        // Without the loading flag the stream is not asked.
        {"data\\3dc\\BOX.3dc", Stream, 0, Big, nullptr, int32_t(box.size()), Body(box), 0, 1},
        {"D:\\data\\3dc\\box.3dm", None, 0, Big, nullptr, material_size, Body(box_material), 0, 1},
        {"D:\\data\\3dc\\none.3dm", None, 0, Big, nullptr, -1, {}, 0, 1},
        {"D:\\data\\3dc\\box.3dm", None, 0, material_size, nullptr, 0, {}, 0, 1},
        {"D:\\data\\3dc\\box.3dm", None, 0, material_size + 1, nullptr, material_size, Body(box_material), 0, 1},
        {"D:\\data\\3dc\\short.bin", None, 0, Big, nullptr, 0, {}, 0, 1},
    };
    for (size_t i = 0; i < rows.size(); i++) {
        const HookRow &row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << " " << row.name);
        DSN_Reset();
        DAN_Release();
        if (row.open & Stream) {
            ASSERT_EQ(DSN_Open(kStream), 1);
        }
        if (row.open & Container) {
            ASSERT_EQ(DAN_Load3DC(kContainer), 1);
        }
        if (row.prepare) {
            row.prepare();
        }
        MDL_LoadingScene = row.loading;
        MDL_SceneCollReady = 0;
        std::vector<uint8_t> out(size_t(row.room) + 64, 0xEE);
        WatchOpens();
        EXPECT_EQ(MDL_FileHook(row.name, out.data(), row.room), row.result);
        EXPECT_EQ(opened.size(), row.disk_opens);
        ASSERT_LE(row.bytes.size(), out.size());
        EXPECT_TRUE(std::equal(row.bytes.begin(), row.bytes.end(), out.begin()));
        if (row.result <= 0) {
            EXPECT_EQ(out[0], 0xEE);
        }
        EXPECT_EQ(MDL_SceneCollReady, row.collision_ready);
    }
    // A container model read also reads its map blocks.
    DAN_Release();
    ASSERT_EQ(DAN_Load3DC(kContainer), 1);
    std::vector<uint8_t> out(Big);
    ASSERT_GT(MDL_FileHook("data\\3dc\\xh_.3DC", out.data(), Big), 0);
    EXPECT_EQ(DAN_Container.maps_read, 1);
}

// A stream or container image is checked over all of its bytes: a bound map of 98,324 bytes is a
// whole material. Loaded from the stream, each image takes 8 bytes less of the heap than from disk.
TEST_F(MdlTest, ASceneLoadsItsMaterialsFromTheStreamAndTheirPicturesFillOver32Frames)
{
    ASSERT_EQ(DSN_Open(kStream), 1);
    MDL_LoadingScene = 1;
    const Addr before = Mem_libre;
    ASSERT_NE(Load_Obj("data\\3dc\\sc1.3DC"), -1);
    ASSERT_NE(Load_Obj("data\\3dc\\sc1.3DI"), -1);
    const Addr streamed = Mem_libre - before;
    uint8_t *texels = Find_Cached_File("FLOOR");
    ASSERT_NE(texels, nullptr);
    EXPECT_GE(texels, Work_Area + before);
    EXPECT_LE(texels + DSN_PictureBytes, Work_Area + Mem_libre);
    for (int i = 0; i < 32; i++) {
        DSN_UpdateFrame();
    }
    EXPECT_EQ(DSN_IsLoaded(), 0);
    const std::vector<uint8_t> floor = kalder_test::DemoFloorPicture();
    EXPECT_EQ(0, std::memcmp(texels, floor.data(), floor.size()));
    const std::vector<uint8_t> crate = kalder_test::DemoCratePicture();
    EXPECT_EQ(0, std::memcmp(Find_Cached_File("CRATE"), crate.data(), crate.size()));

    // The same images from the disk.
    MDL_LoadingScene = 0;
    GAME_Init3DEngine();
    PutModel("sc1.3dc", kalder_test::DemoSceneModel());
    PutModel("sc1.3di", kalder_test::DemoSceneCollision());
    PutModel("floor.3dm", kalder_test::DemoFloorMaterial());
    PutModel("crate.3dm", kalder_test::DemoCrateMaterial());
    PutModel("ecran.3dm", kalder_test::DemoScreenMaterial());
    PutModel("eau.3dm", kalder_test::DemoWaterMaterial());
    PutModel("fleche.3dm", kalder_test::DemoArrowMaterial());
    PutModel("mur.3dm", kalder_test::DemoWallMaterial());
    const Addr start = Mem_libre;
    ASSERT_NE(Load_Obj("data\\3dc\\sc1.3DC"), -1);
    ASSERT_NE(Load_Obj("D:\\data\\3dc\\sc1.3DI"), -1);
    // Eight files (the model, the collision model, six materials), each 8 bytes of prefix more.
    EXPECT_EQ(streamed, Mem_libre - start - 8 * 8);
}

// --- Models into slots ---

TEST_F(MdlTest, AReservedSlotHasItsFlagsAndNoModel)
{
    FreshHeap();
    WatchOpens();
    ActorRecord *a = MDL_LoadModel("", 0x02);
    ASSERT_EQ(a, &ACTOR_Slots[0]);
    EXPECT_EQ(ACTOR_FlagWord(a), 0x13u);
    EXPECT_EQ(a->node, 0);
    EXPECT_EQ(a->definition, nullptr);
    EXPECT_TRUE(opened.empty());
    // The next model takes the next slot; none is left once all 32 are taken.
    EXPECT_EQ(MDL_LoadModel("", 0x02), &ACTOR_Slots[1]);
    for (int i = 2; i < ACTOR_SLOT_COUNT; i++) {
        ASSERT_NE(MDL_LoadModel("", 0x02), nullptr);
    }
    EXPECT_EQ(MDL_LoadModel("", 0x02), nullptr);
    SetElement(1, "box.3dc", 0x01);
    EXPECT_EQ(MDL_LoadCharacter(Element(1)), nullptr);
}

TEST_F(MdlTest, ANameTooLongForItsPathIsAModelThatDoesNotLoad)
{
    FreshHeap();
    const std::string name = std::string(300, 'a') + ".3dc";
    ExpectStop([&] { MDL_LoadModel(name.c_str(), 0); },
               // The text keeps the first 323 characters of the stop.
               ("Kalder Internal Error : Read file Error " + name).substr(0, 323));
    // Node names keep 15 characters.
    FreshHeap();
    PutModel("abcdefghijklmnopq.3dc", kalder_test::DemoBoxModel());
    const ActorRecord *a = MDL_LoadModel("abcdefghijklmnopq.3dc", 0);
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->node_name, "abcdefghijklmno");
}

TEST_F(MdlTest, TheHeroComesFromItsContainerWithItsBonesAtTheProjectStart)
{
    FreshHeap();
    PRJ_CurrentRecord.start_heading = 1024;
    MDL_LoadModel("", 0x02);
    ActorRecord *hero = MDL_LoadModel("xh_.3dc", 0xC204);
    ASSERT_EQ(hero, &ACTOR_Slots[1]);
    EXPECT_EQ(ACTOR_FlagWord(hero), 0xC215u);
    EXPECT_STREQ(hero->node_name, "xh_");
    EXPECT_STREQ(Get_Obj_Name(hero->node), "XH_");
    EXPECT_STREQ(Get_Obj_Name(hero->head_node), "TETE");
    EXPECT_STREQ(Get_Obj_Name(hero->torso_node), "TORSE");
    EXPECT_EQ(hero->position[0], -600.0);
    EXPECT_EQ(hero->position[1], 140.0);
    EXPECT_EQ(hero->position[2], 0.0);
    EXPECT_EQ(hero->heading, 1024);
    int32_t position[3], matrix[9], turned[9];
    Get_Obj_Pos(hero->node, position);
    EXPECT_EQ(std::vector<int32_t>(position, position + 3), (std::vector<int32_t>{-600, 140, 0}));
    Get_Obj_Matrix(hero->node, matrix);
    Mat_Rotate(0, 1024, 0, turned);
    EXPECT_EQ(0, std::memcmp(matrix, turned, sizeof matrix));
    // The container stays open for the animation loader, which has all the hero's animations to read.
    const kalder_test::DanWriter container = kalder_test::DemoHeroContainer();
    EXPECT_EQ(DAN_IsOpen(), 1);
    ASSERT_EQ(DAN_AnimCount(), int32_t(container.anims.size()));
    for (size_t i = 0; i < container.anims.size(); i++) {
        EXPECT_EQ(DAN_AnimName(int32_t(i)), container.anims[i].name);
    }
    EXPECT_NE(Find_Cached_File("HERO"), nullptr);
}

TEST_F(MdlTest, TheProjectsModelSettingsApplyToEveryModelLoaded)
{
    struct Row {
        size_t offset;
        int32_t value;
        std::function<void(const ActorRecord &)> check;
    };
    ActorRecord defaults;
    ACTOR_InitRecord(&defaults);
    const auto physics = [](int32_t mode, uint8_t f3, uint8_t f4, uint8_t f5) {
        return [=](const ActorRecord &a) {
            EXPECT_EQ(a.physics_mode, mode);
            EXPECT_EQ(a.flags[3], f3);
            EXPECT_EQ(a.flags[4], f4);
            EXPECT_EQ(a.flags[5], f5);
        };
    };
    const std::vector<Row> rows = {
        {level::kPhysicsMode, 0, physics(1, 0, 0, 0)},
        {level::kPhysicsMode, 1, physics(1, 0, 0, 0)},
        {level::kPhysicsMode, 2, physics(2, 0, 0, 0)},
        {level::kPhysicsMode, 3, physics(3, 0x02, 0, 0)},
        {level::kPhysicsMode, 4, physics(3, 0x02, 0x01, 0)},
        {level::kPhysicsMode, 5, physics(1, 0, 0, 0x20)},
        {level::kPhysicsMode, 6, physics(3, 0x02, 0, 0x20)},
        {level::kModelValueA, 40,
         [](const ActorRecord &a) {
             EXPECT_EQ(a.flags[2], 0x08);
             EXPECT_EQ(a.motion_scale, 40.0f);
         }},
        {level::kModelValueB, 7,
         [](const ActorRecord &a) {
             EXPECT_EQ(a.flags[2], 0x20);
             EXPECT_EQ(a.motion_speed, 7);
         }},
        {level::kModelRadius, 301,
         [](const ActorRecord &a) {
             EXPECT_EQ(a.radius, 301);
             EXPECT_EQ(a.second_radius, 150);
         }},
        {level::kModelSight, 5000, [](const ActorRecord &a) { EXPECT_EQ(a.sight_radius, 5000); }},
        {level::kTinted, 1, [](const ActorRecord &a) { EXPECT_EQ(a.flags[3], 0x08); }},
        {level::kModelValueE, 96, [](const ActorRecord &a) { EXPECT_EQ(a.second_gauge, 1.5f); }},
        {level::kModelValueF, 24, [](const ActorRecord &a) { EXPECT_EQ(a.speed_factor, 1.5f); }},
        {level::kModelFlags, 0x07, [](const ActorRecord &a) { EXPECT_EQ(a.flags[8], 0x38); }},
        {level::kModelFlags, 0x02, [](const ActorRecord &a) { EXPECT_EQ(a.flags[8], 0x10); }},
    };
    const LevelRecord saved = PRJ_CurrentRecord;
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "offset " << row.offset << " value " << row.value);
        PRJ_CurrentRecord = saved;
        uint8_t *record = reinterpret_cast<uint8_t *>(&PRJ_CurrentRecord);
        if (row.offset == level::kModelFlags) {
            record[row.offset] = uint8_t(row.value);
        } else {
            std::memcpy(record + row.offset, &row.value, 4);
        }
        FreshHeap();
        const ActorRecord *a = MDL_LoadModel("box.3dc", 0);
        ASSERT_NE(a, nullptr);
        row.check(*a);
        // Nothing else moves away from the defaults.
        if (row.offset != level::kModelRadius) {
            EXPECT_EQ(a->radius, defaults.radius);
        }
        if (row.offset != level::kModelValueE) {
            EXPECT_EQ(a->second_gauge, defaults.second_gauge);
        }
    }
    PRJ_CurrentRecord = saved;
}

TEST_F(MdlTest, EachElementFlagGivesItsActorFlag)
{
    struct Row {
        uint8_t a, b;
        int byte;
        uint8_t bit;
    };
    const std::vector<Row> rows = {
        {0x01, 0x00, -1, 0},    {0x03, 0x00, 1, 0x02}, {0x05, 0x00, 1, 0x20}, {0x09, 0x00, 3, 0x08},
        {0x11, 0x00, 3, 0x01},  {0x21, 0x00, 4, 0x02}, {0x41, 0x00, 4, 0x08}, {0x81, 0x00, 4, 0x10},
        {0x01, 0x02, 5, 0x01},  {0x01, 0x04, 5, 0x10}, {0x01, 0x10, 6, 0x02}, {0x01, 0x20, 6, 0x04},
        {0x01, 0x40, -1, 0},    {0x01, 0x80, 7, 0x20},
        // An AI-driven character loses it again with flags B bit 3.
        {0x03, 0x08, 5, 0x08},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "A " << int(row.a) << " B " << int(row.b));
        FreshHeap();
        SetElement(1, "box.3dc", row.a, row.b);
        const ActorRecord *a = MDL_LoadCharacter(Element(1));
        ASSERT_EQ(a, &ACTOR_Slots[3]);
        uint8_t expected[10] = {0x11, 0, 0x08, 0, 0, 0, 0, 0, 0, 0};
        if (row.byte >= 0) {
            expected[row.byte] |= row.bit;
        }
        EXPECT_EQ(0, std::memcmp(a->flags, expected, sizeof expected));
        EXPECT_EQ(a->motion_scale, 16.0f);
        EXPECT_EQ(a->definition, Element(1));
    }
}

TEST_F(MdlTest, AnElementsValuesReplaceTheDefaultsItGives)
{
    FreshHeap();
    SetElement(1, "box.3dc", 0x01);
    ElementRecord *e = Element(1);
    e->start_position[0] = 10;
    e->start_position[1] = 20;
    e->start_position[2] = 30;
    e->start_heading = 300;
    e->life = 40;
    e->second_gauge = 7;
    e->anim_time_scale = 32;
    e->physics_mode = 3;
    e->motion_scale = 20;
    e->fight_value = 9;
    e->radius = 200;
    e->second_radius = 77;
    e->sight_radius = 3000;
    e->ai_reach = 1234;
    e->range = 99;
    e->ai_param[0] = 5;
    e->speed_factor = 8;
    e->tilt_factor = 64;
    e->scale = 64;
    const ActorRecord *a = MDL_LoadCharacter(e);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->position[0], 10.0);
    EXPECT_EQ(a->position[2], 30.0);
    EXPECT_EQ(a->heading, 300);
    EXPECT_EQ(a->life, 40.0f);
    EXPECT_EQ(a->second_gauge, 7.0f);
    EXPECT_EQ(a->anim_time_scale, 0.5f);
    EXPECT_EQ(a->physics_mode, 3);
    EXPECT_EQ(a->flags[3], 0x02);
    EXPECT_EQ(a->coll_flags[0], 0x04);
    EXPECT_EQ(a->motion_scale, 20.0f);
    EXPECT_EQ(a->flags[2], 0x28);
    EXPECT_EQ(a->motion_speed, 9);
    EXPECT_EQ(a->radius, 200);
    EXPECT_EQ(a->second_radius, 77);
    EXPECT_EQ(a->sight_radius, 3000);
    EXPECT_EQ(a->ai_reach, 1234.0);
    EXPECT_EQ(a->range, 19); // 99 x 0.2 toward zero
    EXPECT_EQ(a->ai_param[0], 5);
    EXPECT_EQ(a->ai_param[1], 0);
    EXPECT_EQ(a->speed_factor, 0.5f);
    EXPECT_EQ(a->tilt_factor, 0.5f);
    // Scale 64/32 doubles every vertex of the model.
    int32_t v[3];
    ASSERT_EQ(Get_Vertex(a->node, 0, v), 0);
    EXPECT_EQ(std::abs(v[0]), 2 * kalder_test::demo::kCrateHalf);

    // Weights: as they are up to 256, doubled above, 100000 above 512. The third AI parameter is
    // always copied, 0 too.
    struct Weight {
        int32_t weight;
        double mass;
    };
    for (const Weight &w : {Weight{0, 80.0}, Weight{256, 256.0}, Weight{257, 514.0}, Weight{512, 1024.0},
                            Weight{513, 100000.0}}) {
        SCOPED_TRACE(w.weight);
        FreshHeap();
        SetElement(1, "box.3dc", 0x01);
        Element(1)->weight = w.weight;
        ActorRecord *c = MDL_LoadCharacter(Element(1));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->mass, w.mass);
        EXPECT_EQ(c->ai_param[2], 0);
    }
}

TEST_F(MdlTest, TwoAiDrivenCharactersOfOneModelShareItAndOthersLoadTwice)
{
    for (uint8_t flags_a : {uint8_t(0x03), uint8_t(0x01)}) {
        const bool ai = flags_a & 0x02;
        SCOPED_TRACE(ai);
        FreshHeap();
        SetElement(1, "box.3dc", flags_a);
        SetElement(2, "box.3dc", flags_a);
        WatchOpens();
        const ActorRecord *first = MDL_LoadCharacter(Element(1));
        const Addr after_first = Mem_libre;
        const ActorRecord *second = MDL_LoadCharacter(Element(2));
        ASSERT_EQ(first, &ACTOR_Slots[3]);
        ASSERT_EQ(second, &ACTOR_Slots[4]);
        size_t model_reads = 0;
        for (const std::string &path : opened) {
            model_reads += path.find("BOX.3DC") != std::string::npos;
        }
        EXPECT_EQ(model_reads, ai ? 1u : 2u);
        EXPECT_NE(second->node, first->node);
        EXPECT_EQ(second->definition, Element(2));
        // A clone copies the model's block alone: its material stays shared.
        EXPECT_EQ(Get_Block_Size(Get_Obj_Block(second->node)), Get_Block_Size(Get_Obj_Block(first->node)));
        if (ai) {
            EXPECT_EQ(Mem_libre - after_first, Addr(Get_Block_Size(Get_Obj_Block(second->node))));
        }
    }
}

// --- The sky ---

TEST_F(MdlTest, TheSkyIsFoundByPrefixThenByAShortNameHoldingIt)
{
    struct Row {
        std::vector<std::string> names; // the scene's nodes after its root
        int32_t view_distance;
        int expected;                   // index of the sky node; -1: none
    };
    const std::vector<Row> rows = {
        {{"XCIELX", "ciel2"}, 0, 2},
        {{"ROCK", "XCIELX"}, 50000, 2},
        {{"ABCDEFCIELXY"}, 0, -1}, // 12 characters: too long for the second pass
        {{"CIE", "TREE"}, 50000, -1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.names[0]);
        std::vector<kalder_test::ObjectSpec> objects;
        objects.push_back(kalder_test::MeshObject("SC", -1, {0, 0, 0}, kalder_test::CubeMesh(10), 1, "M"));
        for (const std::string &name : row.names) {
            objects.push_back(kalder_test::MeshObject(name, 0, {0, 0, 0}, kalder_test::CubeMesh(10), 1, "M"));
        }
        PutModel("sky.3dc", kalder_test::HierarchyImage(objects, {{"M", "", 0x1234}}).Finish().bytes);
        FreshHeap();
        PRJ_CurrentRecord.view_distance = row.view_distance;
        MDL_SkyAngle = 100.0f;
        ActorRecord *scene = &ACTOR_Slots[ACTOR_SCENE];
        scene->flags[0] = ACTOR_F0_IN_USE;
        scene->node = Load_Obj("data\\3dc\\sky.3dc");
        ASSERT_NE(scene->node, -1);
        MDL_FindSky(scene);
        EXPECT_EQ(MDL_SkyNode, row.expected < 0 ? 0 : scene->node + row.expected);
        EXPECT_EQ(MDL_SkyAngle, 0.0f);
        if (row.expected >= 0) {
            const int32_t flags = P_Get32(Get_Obj_Ptr(MDL_SkyNode) + 12);
            EXPECT_EQ((flags & OBJ_FLAG_NO_FAR_CULL) != 0, row.view_distance != 0);
        }
    }
}

TEST_F(MdlTest, TheSkyTurnsBySkySpeedAndWrapsAt4096)
{
    struct Row {
        int32_t speed;
        double time_factor;
        float from, to;
    };
    const std::vector<Row> rows = {
        {10, 1.0, 0.0f, 1.0f},   {10, 1.0, 4095.5f, 0.5f}, {-10, 1.0, 0.5f, 4095.5f},
        {-10, 2.0, 1.0f, 4095.0f}, {0, 1.0, 77.75f, 77.75f},
    };
    FreshHeap();
    PutModel("sky.3dc", kalder_test::HierarchyImage({kalder_test::MeshObject("CIEL", -1, {0, 0, 0}, kalder_test::CubeMesh(10), 1, "M")},
                                                    {{"M", "", 0x1234}})
                            .Finish()
                            .bytes);
    const int32_t node = Load_Obj("data\\3dc\\sky.3dc");
    ASSERT_NE(node, -1);
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.speed << " from " << row.from);
        PRJ_CurrentRecord.sky_speed = row.speed;
        GAME_TimeFactor = row.time_factor;
        MDL_SkyNode = node;
        MDL_SkyAngle = row.from;
        MDL_RotateSky();
        EXPECT_EQ(MDL_SkyAngle, row.to);
        int32_t matrix[9], expected[9];
        Get_Obj_Matrix(node, matrix);
        Mat_Rotate(0, int32_t(row.to), 0, expected);
        EXPECT_EQ(0, std::memcmp(matrix, expected, sizeof matrix));
    }
    // Without a sky nothing turns.
    MDL_SkyNode = 0;
    MDL_SkyAngle = 5.0f;
    MDL_RotateSky();
    EXPECT_EQ(MDL_SkyAngle, 5.0f);
    GAME_TimeFactor = 1.0;
}

// --- Stops ---

TEST_F(MdlTest, MissingOrDamagedModelsStopTheLoadWithTheirTexts)
{
    struct Row {
        const char *what;
        std::function<void(MdlTest &)> damage;
        const char *text;
    };
    const std::vector<Row> rows = {
        {"damaged stream",
         [](MdlTest &t) {
             kalder_test::DsnWriter w = kalder_test::DemoSceneStream();
             w.magic = "DSNX";
             t.PutModel("sc1.dsn", w.Bytes());
         },
         "Kalder Internal Error : can't find DSN file"},
        {"damaged container",
         [](MdlTest &t) {
             kalder_test::DanWriter w = kalder_test::DemoHeroContainer();
             w.magic = "DANX";
             t.PutModel("xh_.dan", w.Bytes());
         },
         "Kalder Internal Error : can't find DAN file"},
        {"missing hero", [](MdlTest &t) { std::remove((t.drives->Host('D') + "/DATA/3DC/xh_.dan").c_str()); },
         "Kalder Internal Error : Read file Error xh_.3dc"},
        {"stream without its model",
         [](MdlTest &t) {
             kalder_test::DsnWriter w = kalder_test::DemoSceneStream();
             w.drop_block = 1;
             t.PutModel("sc1.dsn", w.Bytes());
         },
         "Kalder Internal Error : Read file Error sc1.3dc"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(kalder_test::WriteDemoModels(drives->Host('D') + "/DATA/3DC"));
        row.damage(*this);
        ClearSlots();
        MDL_LoadingScene = 0; // the stop before ended inside the scene's load
        PRJ_PendingFlag = 1;
        ExpectStop([] { PRJ_LoadPending(); }, row.text);
    }
}

TEST_F(MdlTest, AStopForAMissingModelEndsTheProcessWithTheLow8BitsOf999)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::SetExitHook(nullptr);
    FreshHeap();
    EXPECT_EXIT(MDL_LoadModel("none.3dc", 0), ::testing::ExitedWithCode(231), "");
}

TEST_F(MdlTest, ASceneWithoutCollisionModelSaysSoAndLoads)
{
    kalder_test::DsnWriter w = kalder_test::DemoSceneStream();
    w.drop_block = 2;
    PutModel("sc1.dsn", w.Bytes());
    PRJ_PendingFlag = 1;
    PRJ_LoadPending();
    EXPECT_NE(test::Stdout().find("No 3di file\n"), std::string::npos);
    EXPECT_EQ(MDL_SceneCollReady, 0);
    EXPECT_TRUE(ACTOR_Slots[ACTOR_SCENE].flags[0] & ACTOR_F0_IN_USE);
    EXPECT_EQ(ACTOR_Slots[ACTOR_SCENE].ground_contact, 0);
    EXPECT_EQ(PRJ_PendingFlag, 0);

    // With its collision model the scene registers it.
    ASSERT_TRUE(kalder_test::WriteDemoModels(drives->Host('D') + "/DATA/3DC"));
    PRJ_PendingFlag = 1;
    PRJ_LoadPending();
    EXPECT_EQ(MDL_SceneCollReady, 1);
    EXPECT_EQ(Get_Obj_Kind(int32_t(ACTOR_Slots[ACTOR_SCENE].ground_contact)), OBJ_KIND_MESH);
}

} // namespace
