// The container over containers written by the test writer: the model, maps and animations served by
// name, the block buffer's limits, damaged containers, and the arena shared with a scene stream.
#include <algorithm>
#include <cstring>
#include <functional>

#include "tests/world/stream_fixture.h"

namespace {

using kalder_test::DanWriter;
using stream_test::MaterialFile;
using stream_test::SampleFile;

DanWriter Character()
{
    DanWriter w;
    w.model = SampleFile(7000);
    w.maps = {{"skin", MaterialFile(1)}, {"armour", MaterialFile(2)}};
    w.anims = {{"xh_an4.3da", SampleFile(900, kalder_test::LzSample::Records, 3)},
               {"xh_an4x.3da", SampleFile(800, kalder_test::LzSample::Records, 4)},
               {"xh_run01.3da", SampleFile(700, kalder_test::LzSample::Records, 5)}};
    return w;
}

struct DanTest : stream_test::StreamTest {
    std::vector<uint8_t> out = std::vector<uint8_t>(1 << 20);
    int32_t Model() { return DAN_ReadBlock("xh", out.data(), int32_t(out.size())); }
    int32_t Map(const char *name) { return DAN_Load3DM(name, out.data(), int32_t(out.size())); }
    int32_t Anim(const char *name) { return DAN_Load3DA(name, out.data(), int32_t(out.size())); }
    bool Holds(int32_t size, const std::vector<uint8_t> &file)
    {
        return size > 0 && std::vector<uint8_t>(out.begin(), out.begin() + size) == kalder_test::DsnImage(file);
    }
};

TEST_F(DanTest, ServesTheModelMapsAndAnimationsByName)
{
    const DanWriter w = Character();
    ASSERT_EQ(DAN_Load3DC(Put("XH.DAN", w.Bytes()).c_str()), 1);
    EXPECT_EQ(DAN_IsOpen(), 1);
    EXPECT_EQ(DAN_Container.header, 0x4321);
    EXPECT_STREQ(DAN_Container.model_name, "C:\\XH.3DC");
    EXPECT_TRUE(Holds(Model(), w.model));
    EXPECT_EQ(DAN_ReadMapData(), 1);
    EXPECT_TRUE(Holds(Map("Armour"), w.maps[1].file));
    EXPECT_TRUE(Holds(Map("SKIN"), w.maps[0].file));
    EXPECT_EQ(Map("SKI"), 0);
    EXPECT_EQ(Map("SKINS"), 0);
    EXPECT_EQ(Map("SKIN-ARMOUR-X"), 0);
    EXPECT_EQ(Anim("xh_an4.3da"), 0); // not read yet

    EXPECT_EQ(DAN_AnimCount(), 3);
    EXPECT_EQ(DAN_AnimName(-1), nullptr);
    EXPECT_STREQ(DAN_AnimName(0), "XH_AN4.3DA");
    EXPECT_STREQ(DAN_AnimName(2), "XH_RUN01.3DA");
    EXPECT_EQ(DAN_AnimName(3), nullptr);

    EXPECT_EQ(DAN_ReadAnimData(), 1);
    EXPECT_EQ(Map("SKIN"), 0); // its bytes are gone
    const struct {
        const char *request;
        int entry; // -1: none
    } anims[] = {
        {"xh_an4.3da", 0}, {"XH_AN4.3XA", 0}, {"XH_AN4.3DB", 0}, {"xh_an4", -1}, {"xh_an4x.3da", 1}, {"XH_AN4X", -1},
        {"xh_run01", 2}, {"xh_run01.xxx", 2}, {"xh_run02.3da", -1}, {"xh_an", -1}, {"", -1},
    };
    for (const auto &a : anims) {
        const int32_t size = Anim(a.request);
        if (a.entry < 0) {
            EXPECT_EQ(size, 0) << a.request;
        } else {
            EXPECT_TRUE(Holds(size, w.anims[size_t(a.entry)].file)) << a.request;
        }
    }
    // A container with animations stays open for the animation loader.
    DAN_Close();
    EXPECT_EQ(DAN_IsOpen(), 1);
    DAN_Release();
    EXPECT_EQ(DAN_IsOpen(), 0);
    EXPECT_EQ(DAN_AnimCount(), 0);
    EXPECT_EQ(Anim("xh_an4.3da"), 0);

    DanWriter plain;
    plain.model = SampleFile(300);
    ASSERT_EQ(DAN_Load3DC(Put("ROCK.DAN", plain.Bytes()).c_str()), 1);
    EXPECT_EQ(Model(), 300);
    EXPECT_EQ(DAN_ReadMapData(), 1);
    DAN_Close();
    EXPECT_EQ(DAN_IsOpen(), 0);
}

TEST_F(DanTest, TheModelBlockMayFillTheBufferExactly)
{
    for (const auto &[packed, accepted] : {std::pair{614400u, true}, std::pair{614401u, false}}) {
        DanWriter w;
        w.model = SampleFile(20000);
        w.pad_block = 0;
        w.pad_to = packed;
        const size_t before = test::Stderr().size();
        ASSERT_EQ(DAN_Load3DC(Put("BIG.DAN", w.Bytes()).c_str()), 1);
        EXPECT_EQ(Model(), accepted ? 20000 : 0);
        EXPECT_EQ(test::Stderr().substr(before), accepted ? "" : "Debordement dans DAN_Load3DC\n");
        DAN_Release();
    }
}

// Pads the first map block so that both together hold `total` packed bytes.
void Fill_Maps(DanWriter &w, uint32_t total)
{
    const std::vector<uint8_t> second = kalder_test::DsnImage(w.maps[1].file);
    w.pad_block = 1;
    w.pad_to = total - uint32_t(kalder_test::LzPack(second.data(), second.size()).size());
}

struct Damage {
    const char *name;
    std::function<void(DanWriter &)> damage;
    int32_t open, model, maps, anims; // 1 when that step succeeds
};

TEST_F(DanTest, DamagedContainersFailWithoutHarm)
{
    const DanWriter good = Character();
    const std::vector<size_t> blocks = good.BlockOffsets();
    const Damage cases[] = {
        {"good", [](DanWriter &) {}, 1, 1, 1, 1},
        {"magic", [](DanWriter &w) { w.magic = "DANG"; }, 0, 0, 0, 0},
        {"byte 4", [](DanWriter &w) { w.byte4 = 1; }, 0, 0, 0, 0},
        {"tables of type 1", [](DanWriter &w) { w.tables_type = 1; }, 0, 0, 0, 0},
        {"cut in the map names", [&](DanWriter &w) { w.cut_at = w.MapNamesAt() + 15; }, 0, 0, 0, 0},
        {"cut in the animation names", [&](DanWriter &w) { w.cut_at = w.AnimNamesAt() + 20; }, 0, 0, 0, 0},
        {"cut in the model", [&](DanWriter &w) { w.cut_at = blocks[0] + 100; }, 1, 0, 0, 0},
        {"cut in a map", [&](DanWriter &w) { w.cut_at = blocks[2] + 100; }, 1, 1, 0, 0},
        {"7 maps", [](DanWriter &w) { w.map_count = 7; }, 0, 0, 0, 0},
        {"65 animations", [](DanWriter &w) { w.anim_count = 65; }, 0, 0, 0, 0},
        {"map of type 3", [](DanWriter &w) { w.retype_block = 1, w.new_type = 3; }, 1, 1, 0, 0},
        {"maps one byte past the buffer", [](DanWriter &w) { Fill_Maps(w, 614401); }, 1, 1, 0, 0},
        {"maps filling the buffer", [](DanWriter &w) { Fill_Maps(w, 614400); }, 1, 1, 1, 1},
        {"length 4", [](DanWriter &w) { w.relength_block = 2, w.new_length = 4; }, 1, 1, 0, 0},
        {"random animation", [](DanWriter &w) { w.raw_block = 3; }, 1, 1, 1, 0},
        {"random model", [](DanWriter &w) { w.raw_block = 0; }, 1, 0, 1, 1},
    };
    for (const Damage &c : cases) {
        SCOPED_TRACE(c.name);
        DanWriter w = good;
        c.damage(w);
        ASSERT_EQ(DAN_Load3DC(Put("D.DAN", w.Bytes()).c_str()), c.open);
        EXPECT_EQ(Model() > 0, c.model == 1);
        const int32_t maps = DAN_ReadMapData();
        EXPECT_EQ(maps == 1 && Map("SKIN") > 0 && Map("ARMOUR") > 0, c.maps == 1);
        const int32_t anims = DAN_ReadAnimData();
        EXPECT_EQ(anims == 1 && Anim("xh_an4.3da") > 0 && Anim("xh_an4x.3da") > 0 && Anim("xh_run01") > 0, c.anims == 1);
        DAN_Release();
    }
    // With no container open every read gives 0.
    EXPECT_EQ(Model(), 0);
    EXPECT_EQ(DAN_ReadMapData(), 0);
    EXPECT_EQ(DAN_ReadAnimData(), 0);
    EXPECT_EQ(Map("SKIN"), 0);
    EXPECT_EQ(Anim("xh_an4.3da"), 0);
    EXPECT_EQ(DAN_Load3DC("C:\\NONE.DAN"), 0);
    EXPECT_EQ(DAN_Load3DC("C:\\"), 0);
    EXPECT_EQ(DAN_Load3DC("DAN"), 0);
}

TEST_F(DanTest, NoRoomForTheBlockBuffer)
{
    MEM_DestroyStack(MEM_Arena);
    MEM_Arena = MEM_CreateStack(614403);
    ASSERT_EQ(DAN_Load3DC(Put("XH.DAN", Character().Bytes()).c_str()), 0);
    EXPECT_EQ(test::Stderr(), "Error, not enough memory in DAN_Load3DC\n");
    EXPECT_EQ(DAN_IsOpen(), 0);
}

// A character's container opened during a scene stream's first ticks shares the arena with its ring.
TEST_F(DanTest, ContainersAboveAnOpenSceneStream)
{
    kalder_test::DsnWriter scene;
    scene.maps = {stream_test::StreamMap("FLOOR", 1)};
    scene.model = SampleFile(4000);
    scene.collision = SampleFile(1000);
    ASSERT_EQ(DSN_Open(Put("LEVEL.DSN", scene.Bytes()).c_str()), 1);
    std::vector<uint8_t> image(DSN_MapBytes + 1);
    EXPECT_EQ(DSN_Load3DC("scene", out.data(), int32_t(out.size())), 4000);
    EXPECT_EQ(DSN_Load3DI("scene", out.data(), int32_t(out.size())), 1000);
    ASSERT_EQ(DSN_BindMap("FLOOR", image.data(), int32_t(image.size())), DSN_MapBytes);
    DSN_UpdateFrame();

    const DanWriter w = Character();
    const std::string path = Put("XH.DAN", w.Bytes());
    for (int round = 0; round < 3; round++) {
        ASSERT_EQ(DAN_Load3DC(path.c_str()), 1) << round;
        EXPECT_GE(DAN_Container.block, DPR_Main->buffer + DPR_Main->ring_size + DPR_Main->spare_size);
        EXPECT_TRUE(Holds(Model(), w.model));
        EXPECT_EQ(DAN_ReadMapData(), 1);
        EXPECT_EQ(DAN_ReadAnimData(), 1);
        EXPECT_TRUE(Holds(Anim("xh_run01"), w.anims[2].file));
        DSN_UpdateFrame();
        DAN_Release();
    }
    for (int tick = 4; tick < 32; tick++) {
        DSN_UpdateFrame();
    }
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 20 + DSN_ColourBytes, image.end() - 1), scene.maps[0].picture);

    // A film's opening resets the arena during the first ticks: the stream and the container count as
    // closed and leave the streaming buffer to the film.
    ASSERT_EQ(DSN_Open(Put("LEVEL.DSN", scene.Bytes()).c_str()), 1);
    ASSERT_EQ(DAN_Load3DC(path.c_str()), 1);
    DSN_UpdateFrame();
    MEM_ResetStack(MEM_Arena);
    const DPR_Buffer before = *DPR_Main;
    DSN_UpdateFrame();
    EXPECT_EQ(DSN_IsLoaded(), 0);
    EXPECT_EQ(0, std::memcmp(&before, DPR_Main, sizeof before));
    EXPECT_EQ(DAN_IsOpen(), 0);
    EXPECT_EQ(Model(), 0);
    EXPECT_EQ(DAN_ReadMapData(), 0);
    DSN_Reset();
    DAN_Release();
    EXPECT_EQ(0, std::memcmp(&before, DPR_Main, sizeof before));
    DPR_Close(DPR_Main); // the film's
}

} // namespace
