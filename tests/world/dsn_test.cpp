// The scene stream over streams written by the test writer: tables, models, map binding, the interlaced
// decoding over 32 ticks, the ring's limits, and damaged streams.
#include <algorithm>
#include <cstring>
#include <functional>

#include "tests/world/stream_fixture.h"

namespace {

using kalder_test::DsnWriter;
using stream_test::SampleFile;
using stream_test::StreamMap;

constexpr int32_t Room = DSN_MapBytes + 1;

DsnWriter Two_Maps()
{
    DsnWriter w;
    w.maps = {StreamMap("FLOOR", 1), StreamMap("CRATE", 2)};
    w.model = SampleFile(5000);
    w.collision = SampleFile(3000, kalder_test::LzSample::Records, 2);
    return w;
}

// The picture the reader should hold after the first `parts` parts of a map.
std::vector<uint8_t> After_Parts(const std::vector<uint8_t> &picture, int parts)
{
    std::vector<uint8_t> map(65536, 0);
    for (int p = 0; p < parts; p++) {
        DSN_DecodeMap(kalder_test::DsnPart(picture, p).data(), map.data(), p);
    }
    return map;
}

std::vector<uint8_t> Picture_Of(const std::vector<uint8_t> &image)
{
    return std::vector<uint8_t>(image.begin() + DSN_RecordBytes + DSN_ColourBytes, image.begin() + DSN_MapBytes);
}

struct DsnTest : stream_test::StreamTest {
    std::vector<uint8_t> Model(int32_t (*load)(const char *, uint8_t *, int32_t), int32_t *size,
                               int32_t capacity = 1 << 20)
    {
        std::vector<uint8_t> out(size_t(capacity), 0xEE);
        *size = load("scene", out.data(), capacity);
        out.resize(size_t(*size > 0 ? *size : 0));
        return out;
    }
};

TEST_F(DsnTest, TwoMapsOpenServeModelsBindAndDecodeOver32Ticks)
{
    const DsnWriter w = Two_Maps();
    ASSERT_EQ(DSN_Open(Put("LEVEL.DSN", w.Bytes()).c_str()), 1);
    EXPECT_EQ(DSN_IsLoaded(), 1);
    EXPECT_EQ(DSN_Stream.header, 0x1234);
    EXPECT_EQ(DSN_Stream.maps, 2);
    EXPECT_EQ(std::string(DSN_Stream.names[1], 5), "CRATE");
    EXPECT_EQ(0, std::memcmp(DSN_Stream.records[1], w.maps[1].record.data(), 20));
    EXPECT_STREQ(DSN_Stream.model_name, "C:\\LEVEL.3DC");
    EXPECT_STREQ(DSN_Stream.collision_name, "C:\\LEVEL.3DI");

    int32_t size;
    EXPECT_EQ(Model(DSN_Load3DC, &size), kalder_test::DsnImage(w.model));
    EXPECT_EQ(size, 5000);
    EXPECT_EQ(Model(DSN_Load3DI, &size), kalder_test::DsnImage(w.collision));

    // Only the floor is bound, in another case; the crate is reported at frame 0.
    std::vector<uint8_t> image(Room, 0xAA);
    EXPECT_EQ(DSN_BindMap("nosuch", image.data(), Room), 0);
    EXPECT_EQ(DSN_BindMap("FLOOR", image.data(), DSN_MapBytes), 0);
    EXPECT_EQ(image[0], 0xAA);
    ASSERT_EQ(DSN_BindMap("floor", image.data(), Room), DSN_MapBytes);
    EXPECT_EQ(0, std::memcmp(image.data(), w.maps[0].record.data(), 20));
    EXPECT_EQ(std::count(image.begin() + 20, image.begin() + DSN_MapBytes, 0), DSN_ColourBytes + DSN_PictureBytes);
    EXPECT_EQ(image[DSN_MapBytes], 0xAA);

    DSN_UpdateFrame();
    EXPECT_EQ(test::Stdout(), "map CRATE not used\n");
    for (int i = 0; i < 256; i++) {
        uint32_t entry;
        std::memcpy(&entry, image.data() + 20 + DSN_PaletteAt + 4 * i, 4);
        ASSERT_EQ(entry, uint32_t(w.maps[0].palette[size_t(i)]) << 16) << i;
    }
    EXPECT_EQ(std::count(image.begin() + 20, image.begin() + 20 + DSN_PaletteAt, 0), DSN_PaletteAt);
    EXPECT_EQ(Picture_Of(image), After_Parts(w.maps[0].picture, 2));
    for (int tick = 1; tick < 32; tick++) {
        EXPECT_EQ(DSN_IsLoaded(), 1);
        DSN_UpdateFrame();
        ASSERT_EQ(Picture_Of(image), After_Parts(w.maps[0].picture, 2 * tick + 2)) << tick;
    }
    EXPECT_EQ(Picture_Of(image), w.maps[0].picture);
    EXPECT_EQ(DSN_IsLoaded(), 0);
    EXPECT_FALSE(DPR_Main->flags & DPR_OPEN);
    const std::vector<uint8_t> done = image;
    DSN_UpdateFrame();
    EXPECT_EQ(image, done);
    EXPECT_EQ(test::Stdout(), "map CRATE not used\n");
}

TEST_F(DsnTest, PartsInterlaceCoarseToFine)
{
    const std::vector<uint8_t> source = kalder_test::DsnTestPicture(5);
    // Each block of the given side holds its top-left source texel throughout.
    auto blocky = [&](const std::vector<uint8_t> &map, int h, int w) {
        for (int y = 0; y < 256; y++) {
            for (int x = 0; x < 256; x++) {
                if (map[size_t(y * 256 + x)] != source[size_t((y - y % h) * 256 + x - x % w)]) {
                    return false;
                }
            }
        }
        return true;
    };
    EXPECT_TRUE(blocky(After_Parts(source, 1), 8, 8));
    EXPECT_FALSE(blocky(After_Parts(source, 2), 8, 8));
    EXPECT_TRUE(blocky(After_Parts(source, 2), 8, 4));
    EXPECT_TRUE(blocky(After_Parts(source, 4), 4, 4));
    EXPECT_TRUE(blocky(After_Parts(source, 16), 2, 2));
    EXPECT_TRUE(blocky(After_Parts(source, 32), 2, 1));
    EXPECT_EQ(After_Parts(source, 64), source);
    // A part outside the table writes nothing.
    std::vector<uint8_t> map(65536, 3);
    DSN_DecodeMap(kalder_test::DsnPart(source, 0).data(), map.data(), 64);
    DSN_DecodeMap(kalder_test::DsnPart(source, 0).data(), map.data(), -1);
    EXPECT_EQ(std::count(map.begin(), map.end(), 3), 65536);
}

TEST_F(DsnTest, NoMapsAndThirtyTwoMaps)
{
    DsnWriter none;
    none.model = SampleFile(100);
    none.collision = SampleFile(50);
    ASSERT_EQ(DSN_Open(Put("EMPTY.DSN", none.Bytes()).c_str()), 1);
    int32_t size;
    EXPECT_EQ(Model(DSN_Load3DC, &size).size(), 100u);
    EXPECT_EQ(Model(DSN_Load3DI, &size).size(), 50u);
    for (int tick = 0; tick < 32; tick++) {
        EXPECT_EQ(DSN_IsLoaded(), 1) << tick;
        DSN_UpdateFrame();
    }
    EXPECT_EQ(DSN_IsLoaded(), 0);

    // 32 maps: 32 KB a part block, 2 MB of parts through a 352 KB ring, every one bound.
    DsnWriter full;
    full.model = SampleFile(20000);
    full.collision = SampleFile(8000);
    for (uint32_t i = 0; i < 32; i++) {
        full.maps.push_back(StreamMap("M" + std::to_string(i), i));
    }
    ASSERT_EQ(DSN_Open(Put("FULL.DSN", full.Bytes()).c_str()), 1);
    EXPECT_EQ(Model(DSN_Load3DC, &size).size(), 20000u);
    EXPECT_EQ(Model(DSN_Load3DI, &size).size(), 8000u);
    std::vector<std::vector<uint8_t>> images(32, std::vector<uint8_t>(Room));
    for (int i = 0; i < 32; i++) {
        ASSERT_EQ(DSN_BindMap(("m" + std::to_string(i)).c_str(), images[size_t(i)].data(), Room), DSN_MapBytes);
    }
    for (int tick = 0; tick < 32; tick++) {
        DSN_UpdateFrame();
    }
    EXPECT_EQ(test::Stdout(), "");
    for (size_t i = 0; i < 32; i++) {
        EXPECT_EQ(Picture_Of(images[i]), full.maps[i].picture) << i;
    }
    EXPECT_EQ(DSN_IsLoaded(), 0);
}

TEST_F(DsnTest, APackedModelLongerThanTheRingFails)
{
    for (const auto &[data, loads] : {std::pair{size_t(360000), false}, std::pair{size_t(267000), true}}) {
        DsnWriter w = Two_Maps();
        w.model = SampleFile(data, kalder_test::LzSample::Random);
        const std::vector<uint8_t> packed = kalder_test::LzPack(w.model.data() + 8, data);
        EXPECT_GT(packed.size(), loads ? 290000u : 400000u);
        EXPECT_LT(packed.size(), loads ? 310000u : 420000u);
        ASSERT_EQ(DSN_Open(Put("BIG.DSN", w.Bytes()).c_str()), 1);
        int32_t size;
        EXPECT_EQ(Model(DSN_Load3DC, &size).size(), loads ? data : 0u);
        if (loads) {
            EXPECT_EQ(Model(DSN_Load3DI, &size), kalder_test::DsnImage(w.collision));
        }
        DSN_Reset();
    }
}

// Damaged streams, through every read: open, both models, a bound map, and up to 40 updates.
struct Damage {
    const char *name;
    std::function<void(DsnWriter &)> damage;
    int32_t open;
    bool model, collision; // served
    int updates;           // the update after which the stream has closed itself
    int parts;             // parts of the map decoded by then (-1: misplaced ones, not compared)
};

TEST_F(DsnTest, DamagedStreamsFailWithoutHarm)
{
    const DsnWriter good = Two_Maps();
    const size_t model_end = 9 + (5 + 2 + 62) + 5 + kalder_test::LzPack(good.model.data() + 8, 5000).size();
    const Damage cases[] = {
        {"good", [](DsnWriter &) {}, 1, true, true, 32, 64},
        {"magic", [](DsnWriter &w) { w.magic = "DSNG"; }, 0, false, false, 0, 0},
        {"eight bytes", [](DsnWriter &w) { w.cut_at = 8; }, 0, false, false, 0, 0},
        {"33 maps", [](DsnWriter &w) { w.count = 33; }, 0, false, false, 0, 0},
        {"tables cut", [](DsnWriter &w) { w.cut_at = 40; }, 0, false, false, 0, 0},
        {"model of type 2", [](DsnWriter &w) { w.retype_block = 1, w.new_type = 2; }, 1, false, true, 1, 0},
        {"models swapped", [](DsnWriter &w) { w.swap_a = 1, w.swap_b = 2; }, 1, false, true, 1, 0},
        {"length 3", [](DsnWriter &w) { w.relength_block = 1, w.new_length = 3; }, 1, false, false, 1, 0},
        {"length past the file", [](DsnWriter &w) { w.relength_block = 1, w.new_length = 300000; }, 1, false, false, 1, 0},
        {"length past the ring", [](DsnWriter &w) { w.relength_block = 1, w.new_length = 0x7FFFFFFF; }, 1, false, false, 1, 0},
        {"random model", [](DsnWriter &w) { w.raw_block = 1; }, 1, false, true, 32, 64},
        {"cut after the model", [=](DsnWriter &w) { w.cut_at = model_end; }, 1, true, false, 1, 0},
        {"no palettes", [](DsnWriter &w) { w.drop_block = 3; }, 1, true, true, 1, 0},
        {"part 40 of type 3", [](DsnWriter &w) { w.retype_block = 4 + 40, w.new_type = 3; }, 1, true, true, 21, 40},
        {"part 7 repeated", [](DsnWriter &w) { w.repeat_block = 4 + 7; }, 1, true, true, 32, -1},
        {"raw bytes appended", [](DsnWriter &w) { w.appended = std::vector<uint8_t>(5000, 0x5A); }, 1, true, true, 32, 64},
        {"cut in part 60", [](DsnWriter &w) { w.cut_at = w.Bytes().size() - 3 * (5 + 2048) - 100; }, 1, true, true, 31, 60},
    };
    for (const Damage &c : cases) {
        SCOPED_TRACE(c.name);
        DsnWriter w = good;
        c.damage(w);
        ASSERT_EQ(DSN_Open(Put("D.DSN", w.Bytes()).c_str()), c.open);
        int32_t size;
        EXPECT_EQ(Model(DSN_Load3DC, &size).empty(), !c.model);
        EXPECT_EQ(Model(DSN_Load3DI, &size).empty(), !c.collision);
        std::vector<uint8_t> image(Room, 0xAA);
        EXPECT_EQ(DSN_BindMap("FLOOR", image.data(), Room), c.open ? DSN_MapBytes : 0);
        int closed_after = 0;
        for (int tick = 1; tick <= 40 && DSN_IsLoaded(); tick++) {
            DSN_UpdateFrame();
            closed_after = tick;
        }
        EXPECT_EQ(DSN_IsLoaded(), 0);
        EXPECT_EQ(closed_after, c.updates);
        EXPECT_FALSE(DPR_Main->flags & DPR_OPEN);
        if (c.open && c.parts >= 0) {
            EXPECT_EQ(Picture_Of(image), After_Parts(good.maps[0].picture, c.parts));
            // Without the palette block every palette stays cleared.
            const bool palettes = c.parts > 0;
            EXPECT_EQ(std::count(image.begin() + 20, image.begin() + 20 + DSN_ColourBytes, 0) == DSN_ColourBytes,
                      !palettes);
        }
        DSN_Reset();
    }
}

TEST_F(DsnTest, AModelOneByteTooLargeForItsRoomWritesNothingPast)
{
    const DsnWriter w = Two_Maps();
    ASSERT_EQ(DSN_Open(Put("LEVEL.DSN", w.Bytes()).c_str()), 1);
    std::vector<uint8_t> out(5000 + 16, 0xEE);
    EXPECT_EQ(DSN_Load3DC("scene", out.data(), 4999), 0);
    EXPECT_EQ(std::count(out.begin() + 4999, out.end(), 0xEE), 17);
    // The collision model still follows.
    EXPECT_EQ(DSN_Load3DI("scene", out.data(), 5000), 3000);
}

TEST_F(DsnTest, ResetIsSafeInEveryState)
{
    DSN_Reset();
    EXPECT_EQ(DSN_IsLoaded(), 0);
    EXPECT_EQ(DSN_Open("C:\\MISSING.DSN"), 0);
    DSN_Reset();
    const DsnWriter w = Two_Maps();
    ASSERT_EQ(DSN_Open(Put("LEVEL.DSN", w.Bytes()).c_str()), 1);
    DSN_Reset();
    DSN_Reset();
    EXPECT_EQ(DSN_IsLoaded(), 0);
    EXPECT_EQ(DSN_Stream.dpr, DPR_Main);
    uint8_t out[16];
    EXPECT_EQ(DSN_Load3DC("scene", out, 16), 0);

    // A path whose model name would not fit is refused before anything opens.
    const std::string dir = "C:\\" + std::string(240, 'D');
    drives->MakeDir('C', std::string(240, 'D'));
    const std::string longer = dir + "\\L.DSN" + std::string(30, 'X');
    EXPECT_EQ(DSN_Open(longer.c_str()), 0);
    EXPECT_EQ(DAN_Load3DC(longer.c_str()), 0);
    EXPECT_FALSE(DPR_Main->flags & DPR_OPEN);
    EXPECT_EQ(DSN_Open((dir + "\\LEVEL.DSN").c_str()), 0); // fits, but no such file
}

} // namespace
