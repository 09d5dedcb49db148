// Scene textures: registering the material cache's textures, their colours and contrast, the shading
// tables the tint rebuilds, and the fade and flicker that move the tint.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "core/rand.h"
#include "tests/world/stream_fixture.h"
#include "tests/world/tex_fixture.h"

namespace {

using tex_test::TexBench;

// Two test colours of the file, then grey.
uint16_t TwoColours(int i)
{
    if (i == 0) {
        return uint16_t(16 << 11 | 32 << 5 | 16); // 128, 128, 128
    }
    if (i == 1) {
        return uint16_t(31 << 11 | 0 << 5 | 8); // 248, 0, 64
    }
    return tex_test::GreyRamp(i);
}

TEST(TexRegisterTest, SlotsAreTakenInOrderAndTheSixtyFifthIsRefused)
{
    TexBench bench(8000000);
    std::vector<int32_t> index;
    for (int m = 0; m < 65; m++) {
        index.push_back(bench.Add((m < 10 ? "m0" : "m") + std::to_string(m)));
    }
    for (int m = 0; m < 65; m++) {
        EXPECT_EQ(TEX_Register(Get_Cache_Name_Field(index[size_t(m)])), m < 64 ? 1 : 0) << m;
    }
    // The cache's own name is upper-cased, so that later look-ups by the slot's name find it.
    EXPECT_STREQ(Get_Cache_Name(index[0]), "M00");
    EXPECT_STREQ(TEX_Slots[0].name, "M00");
    EXPECT_EQ(TEX_Slots[0].flags, TEX_SHADED);
    EXPECT_EQ(TEX_Slots[0].texels, Find_Cached_File("M00"));
    EXPECT_NE(TEX_Slots[0].texels, nullptr);
    EXPECT_STREQ(TEX_Slots[63].name, "M63");
    // The refused one keeps its name and the colours of its file, even after the tables are built.
    EXPECT_STREQ(Get_Cache_Name(index[64]), "m64");
    uint8_t *refused = Find_Cached_File("m64");
    const std::vector<uint8_t> before(refused - 32768, refused);
    TEX_Prepare();
    EXPECT_EQ(std::vector<uint8_t>(refused - 32768, refused), before);
}

TEST(TexRegisterTest, EmptyUnknownAndLongNames)
{
    TexBench bench;
    char empty[16] = "";
    char unknown[16] = "NOWHERE";
    EXPECT_EQ(TEX_Register(empty), 0);
    EXPECT_EQ(TEX_Register(unknown), 0);
    EXPECT_EQ(TEX_Register(nullptr), 0);
    EXPECT_STREQ(unknown, "NOWHERE");
    // A name that fills the cache's whole 16-byte field keeps 15 characters in the slot.
    const int32_t i = bench.Add("abcdefghijklmno");
    EXPECT_EQ(TEX_Register(Get_Cache_Name_Field(i)), 1);
    EXPECT_STREQ(TEX_Slots[0].name, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(Get_Cache_Name_Field(-1), nullptr);
    EXPECT_EQ(Get_Cache_Name_Field(Name_Cache_Entries), nullptr);
}

TEST(TexPaletteTest, ContrastAndItsExemption)
{
    struct Case {
        const char *name;
        int32_t factor;
        int32_t exempt_switch;
        const char *scene_node; // object slot 2's node name
        uint32_t colour0, colour1; // entries 0 (128, 128, 128) and 1 (248, 0, 64)
    };
    const Case cases[] = {
        {"no contrast: the file's colours", 0, 0, "", 0x808080, 0xF80040},
        {"64 leaves the colour", 64, 0, "", 0x808080, 0xF80040},
        {"128 doubles the distance from 127", 128, 0, "", 0x818181, 0xFF0001},
        {"96 truncates toward zero", 96, 0, "", 0x808080, 0xFF0021},
        {"-64 mirrors about 127", -64, 0, "", 0x7E7E7E, 0x06FEBE},
        {"2^30 saturates", 1 << 30, 0, "", 0xFFFFFF, 0xFF0000},
        {"exempt: the scene's first three letters", 128, 1, "ecr_scene", 0x808080, 0xF80040},
        {"the switch alone exempts nothing", 128, 1, "", 0x818181, 0xFF0001},
        {"other letters are not exempt", 128, 1, "EAU", 0x818181, 0xFF0001},
        {"a node name shorter than three letters", 128, 1, "EC", 0x818181, 0xFF0001},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TexBench bench;
        bench.record.tint_strength = c.factor;
        bench.record.tint_switch = c.exempt_switch;
        std::strncpy(ACTOR_Slots[ACTOR_SCENE].node_name, c.scene_node, 16);
        TEX_Slot *slot = bench.Registered("ecran", TwoColours);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->palette[0], c.colour0);
        EXPECT_EQ(slot->palette[1], c.colour1);
    }
}

TEST(TexPaletteTest, A555ConvertedTextureReadsAsItsTwin)
{
    TexBench bench;
    // Even green levels: the 5-bit conversion keeps every colour.
    auto colours = [](int i) { return uint16_t((i & 31) << 11 | ((i * 2) & 62) << 5 | ((i >> 3) & 31)); };
    const int32_t converted = bench.Add("converted", colours);
    Convert_Cache_To_555();
    const int32_t plain = bench.Add("plain", colours);
    EXPECT_EQ(Is_Cached_File_555("converted"), 1);
    EXPECT_EQ(Is_Cached_File_555("plain"), 0);
    ASSERT_EQ(TEX_Register(Get_Cache_Name_Field(converted)), 1);
    ASSERT_EQ(TEX_Register(Get_Cache_Name_Field(plain)), 1);
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(TEX_Slots[0].palette[i], TEX_Slots[1].palette[i]) << i;
    }
    EXPECT_EQ(TEX_Slots[1].palette[255], uint32_t(31 << 3) << 16 | uint32_t(62 << 2) << 8 | uint32_t(31 << 3));
}

TEST(TexBindTest, CharactersTakeTheSlotsTheirNameBeginsAndAFixedTint)
{
    struct Case {
        const char *name;
        int32_t fade_kind;
        const char *node;
        std::vector<const char *> bound;
        int32_t tint, word;
    };
    const Case cases[] = {
        {"brightening fade", 0, "hero", {"HERO", "HERO_ARM"}, 64, 0xFFFF},
        {"darkening fade", 1, "HERO", {"HERO", "HERO_ARM"}, -64, 0},
        {"an empty node name binds nothing", 0, "", {}, 64, 0xFFFF},
        {"a longer node name than any slot", 1, "HERO_ARM_LEFT", {}, -64, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TexBench bench;
        bench.record.fade_kind = c.fade_kind;
        for (const char *name : {"hero", "hero_arm", "her", "xhero"}) {
            bench.Registered(name);
        }
        ActorRecord actor{};
        std::strncpy(actor.node_name, c.node, sizeof actor.node_name);
        TEX_BindShaded(&actor);
        std::vector<std::string> bound;
        for (const TEX_Slot &slot : TEX_Slots) {
            if (slot.flags & TEX_CHARACTER) {
                EXPECT_EQ(slot.character, &actor);
                bound.push_back(slot.name);
            }
        }
        EXPECT_EQ(bound, std::vector<std::string>(c.bound.begin(), c.bound.end()));
        for (int32_t t : actor.hit_tint) {
            EXPECT_EQ(t, c.tint);
        }
        EXPECT_EQ(actor.tint_word, c.word);
        // The node name is upper-cased in its own field.
        for (size_t k = 0; k < std::strlen(c.node); k++) {
            EXPECT_EQ(actor.node_name[k], std::toupper(static_cast<unsigned char>(c.node[k])));
        }
    }
}

// ---- Shading tables --------------------------------------------------------------------------------

struct ShadeTest : stream_test::StreamTest {};

TEST_F(ShadeTest, WhichTablesChangeAndByWhichOffsets)
{
    enum Moment { Open, Fading, Still };
    constexpr uint8_t Canary = 0xA5;
    const int32_t phase = 5;
    const int32_t scene_tint[3] = {10, -20, 30};
    const int32_t character_tint[3] = {-40, 0, 40};
    for (bool character : {false, true}) {
        for (bool lights : {false, true}) {
            for (Moment moment : {Open, Fading, Still}) {
                for (int32_t step : {0, 2, 8}) {
                    SCOPED_TRACE(testing::Message() << "character " << character << " lights " << lights
                                                    << " moment " << moment << " step " << step);
                    TexBench bench;
                    TEX_Slot *slot = bench.Registered("wall");
                    ASSERT_NE(slot, nullptr);
                    ActorRecord actor{};
                    std::memcpy(actor.hit_tint, character_tint, sizeof actor.hit_tint);
                    if (character) {
                        slot->flags |= TEX_CHARACTER;
                        slot->character = &actor;
                    }
                    TEX_Shading.character_shade_step = character ? step : 99;
                    TEX_Shading.scene_shade_step = character ? 99 : step;
                    TEX_Shading.shade_phase = phase;
                    TEX_Shading.fade_frames = moment == Fading ? 10.0f : 0.0f;
                    FLICK_LightsPresent = lights ? 1 : 0;
                    if (moment == Open) {
                        kalder_test::DsnWriter none;
                        none.model = stream_test::SampleFile(100);
                        none.collision = stream_test::SampleFile(50);
                        ASSERT_EQ(DSN_Open(Put("S.DSN", none.Bytes()).c_str()), 1);
                    }
                    uint8_t *texels = slot->texels;
                    std::memset(texels - 32768, Canary, 32768);
                    const std::vector<uint8_t> texels_before(texels, texels + 65536);

                    TEX_BuildShadeTables(slot, scene_tint[0], scene_tint[1], scene_tint[2]);
                    DSN_Reset();

                    // The expected offset of each table; none: untouched.
                    std::vector<int> offset(33, -1000);
                    const bool all = moment != Still;
                    if (!lights) {
                        if (character || step != 0) {
                            offset[size_t(phase + 1)] = ((phase + 1) * step) >> 2;
                        }
                        offset[16] = 0;
                    } else if (character || step != 0) {
                        for (int32_t i = 0; i < 32; i++) {
                            if (all) {
                                offset[size_t(i + 1)] = (i * step) >> 2;
                            }
                        }
                        if (!all) {
                            offset[size_t(phase + 1)] = ((phase + 1) * step) >> 2;
                        }
                    }
                    const int32_t *tint = character ? character_tint : scene_tint;
                    for (int32_t k = 1; k <= 32; k++) {
                        const uint8_t *table = tex_test::Table(texels, k);
                        std::vector<uint8_t> expected(1024, Canary);
                        if (offset[size_t(k)] != -1000) {
                            const int o = offset[size_t(k)];
                            GFX_TintPalette(tint[0] + o, tint[1] + o, tint[2] + o,
                                            reinterpret_cast<const uint8_t *>(slot->palette), expected.data());
                        }
                        ASSERT_EQ(std::vector<uint8_t>(table, table + 1024), expected) << "table " << k;
                    }
                    EXPECT_EQ(std::vector<uint8_t>(texels, texels + 65536), texels_before);
                }
            }
        }
    }
}

TEST(ShadeLimitsTest, OffsetsBeyondTheRangeClampAndAVanishedNameWritesNothing)
{
    TexBench bench;
    TEX_Slot *slot = bench.Registered("wall");
    ASSERT_NE(slot, nullptr);
    TEX_Shading.scene_shade_step = std::numeric_limits<int32_t>::max();
    TEX_Shading.shade_phase = 31;
    TEX_BuildShadeTables(slot, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), -100);
    // Table 32: the tint and (32 x step) >> 2 summed without wrapping, then held to -127..127.
    std::vector<uint8_t> expected(1024);
    GFX_TintPalette(127, 127, 127, reinterpret_cast<const uint8_t *>(slot->palette), expected.data());
    EXPECT_EQ(std::vector<uint8_t>(tex_test::Table(slot->texels, 32), tex_test::Table(slot->texels, 31)), expected);
    GFX_TintPalette(127, -127, -100, reinterpret_cast<const uint8_t *>(slot->palette), expected.data());
    EXPECT_EQ(std::vector<uint8_t>(tex_test::Table(slot->texels, 16), tex_test::Table(slot->texels, 15)), expected);

    // The material left the cache under that name: the slot's texels are not written.
    uint8_t *texels = slot->texels;
    std::memset(texels - 32768, 0xA5, 32768);
    std::memcpy(Get_Cache_Name_Field(0), "GONE", 5);
    TEX_BuildShadeTables(slot, 0, 0, 0);
    EXPECT_EQ(std::vector<uint8_t>(texels - 32768, texels), std::vector<uint8_t>(32768, 0xA5));
}

// ---- Fade and flicker ------------------------------------------------------------------------------

TEST(TexFadeTest, DurationZeroAndATargetEqualToTheStart)
{
    TexBench bench;
    const int32_t start[3] = {12, -7, 100};
    for (int32_t duration : {0, 2}) {
        SCOPED_TRACE(duration);
        std::memcpy(TEX_Shading.tint, start, sizeof start);
        std::memcpy(TEX_Shading.fade_target, duration == 0 ? std::vector<int32_t>{90, 90, 90}.data() : start,
                    sizeof start);
        TEX_Shading.fade_seconds = duration;
        TEX_Prepare();
        for (int tick = 0; tick < 70; tick++) {
            TEX_Update();
            ASSERT_EQ(std::vector<int32_t>(TEX_Shading.tint, TEX_Shading.tint + 3),
                      std::vector<int32_t>(start, start + 3))
                << tick;
        }
        EXPECT_EQ(TEX_Shading.fade_frames, 0.0f);
    }
}

TEST(TexFadeTest, AThreeSecondFadeCountsOneAFrameAndStops)
{
    TexBench bench;
    TEX_Shading.fade_seconds = 3;
    TEX_Shading.fade_target[0] = TEX_Shading.fade_target[1] = TEX_Shading.fade_target[2] = 90;
    TEX_Prepare();
    EXPECT_EQ(TEX_Shading.fade_frames, 90.0f);
    EXPECT_EQ(TEX_Shading.shade_phase, 0);
    for (int tick = 1; tick <= 95; tick++) {
        TEX_Update();
        ASSERT_EQ(TEX_Shading.tint[1], tick <= 90 ? tick : 90) << tick;
    }
    EXPECT_EQ(TEX_Shading.fade_frames, 0.0f);

    // At a time factor of 1.5 the same fade runs out after 60 ticks.
    TEX_Shading.tint[0] = TEX_Shading.tint[1] = TEX_Shading.tint[2] = 0;
    GAME_TimeFactor = 1.5;
    TEX_Prepare();
    for (int tick = 1; tick <= 60; tick++) {
        TEX_Update();
        ASSERT_EQ(TEX_Shading.fade_frames > 0.0f, tick < 60) << tick;
    }
    EXPECT_EQ(TEX_Shading.tint[2], 90);
}

TEST(TexFlickerTest, TheSmoothedTintConvergesByEighths)
{
    TexBench bench;
    TEX_Shading.smoothed[0] = TEX_Shading.smoothed[1] = TEX_Shading.smoothed[2] = 128;
    const int32_t expected[] = {112, 98, 85, 74};
    for (int32_t e : expected) {
        TEX_Flicker();
        EXPECT_EQ(TEX_Shading.smoothed[0], e);
        EXPECT_EQ(TEX_Shading.smoothed[2], e);
    }
}

TEST(TexFlickerTest, UnderWaterAndInTheOpenWithASeededGenerator)
{
    // Seed 1234 draws (masked to 0..127) 100, 85, 89, then 54, 16, 37.
    struct Case {
        int32_t under_water;
        int32_t first[3], second[3];
    };
    // Under water, tick 1: red 10 - 30 + (100 x 48) >> 7 = 17, smoothed 0 + 17 >> 3 = 2; green -20 +
    // (85 x 80) >> 7 = 33 -> 4; blue 50 + (89 x 16) >> 7 = 61 -> 7. Tick 2: red -20 + 20 = 0 ->
    // 2 + (-2 >> 3) = 1; green -20 + 10 -> 4 + (-14 >> 3) = 2; blue 50 + 4 -> 7 + (47 >> 3) = 12.
    // In the open: red 10 + 25 = 35 -> 4, green -20 + 42 = 22 -> 2, blue 0 -> 0; then red 10 + 13 = 23
    // -> 4 + 2 = 6, green -20 + 8 = -12 -> 2 - 2 = 0, blue 0.
    const Case cases[] = {
        {1, {2, 4, 7}, {1, 2, 12}},
        {0, {4, 2, 0}, {6, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.under_water);
        TexBench bench;
        FGT_Underwater = c.under_water;
        TEX_Shading.tint[0] = 10;
        TEX_Shading.tint[1] = -20;
        TEX_Shading.flicker[0] = 32;
        TEX_Shading.flicker[1] = 64;
        TEX_Shading.water_offset[0] = -30;
        TEX_Shading.water_offset[2] = 50;
        TEX_Shading.water_extra = 16;
        SYS_SRand(1234);
        TEX_Flicker();
        EXPECT_EQ(std::vector<int32_t>(TEX_Shading.smoothed, TEX_Shading.smoothed + 3),
                  std::vector<int32_t>(c.first, c.first + 3));
        TEX_Flicker();
        EXPECT_EQ(std::vector<int32_t>(TEX_Shading.smoothed, TEX_Shading.smoothed + 3),
                  std::vector<int32_t>(c.second, c.second + 3));
    }
}

TEST(TexFlickerTest, HugeAmplitudesHoldTheSmoothedTintAndThePhaseWraps)
{
    TexBench bench;
    TEX_Slot *slot = bench.Registered("wall");
    ASSERT_NE(slot, nullptr);
    FGT_Underwater = 1;
    for (int i = 0; i < 3; i++) {
        TEX_Shading.tint[i] = std::numeric_limits<int32_t>::max();
        TEX_Shading.flicker[i] = std::numeric_limits<int32_t>::max();
        TEX_Shading.water_offset[i] = std::numeric_limits<int32_t>::max();
        TEX_Shading.smoothed[i] = std::numeric_limits<int32_t>::max() - 1;
    }
    TEX_Shading.water_extra = std::numeric_limits<int32_t>::max();
    TEX_Shading.scene_shade_step = 2;
    TEX_Shading.shade_phase = 30;
    TEX_Flicker();
    EXPECT_EQ(TEX_Shading.smoothed[0], std::numeric_limits<int32_t>::max());
    EXPECT_EQ(TEX_Shading.shade_phase, 31);
    TEX_Flicker();
    EXPECT_EQ(TEX_Shading.shade_phase, 0);
    // The last rebuild offset table 32 (phase 31): every channel at its top.
    std::vector<uint8_t> expected(1024);
    GFX_TintPalette(127, 127, 127, reinterpret_cast<const uint8_t *>(slot->palette), expected.data());
    EXPECT_EQ(std::vector<uint8_t>(tex_test::Table(slot->texels, 32), tex_test::Table(slot->texels, 31)), expected);
}

// ---- Routines nothing calls -----------------------------------------------------------------------

TEST(TexSpareTest, SmoothingPicksTheNearestColourOfTheFourNeighbours)
{
    TexBench bench;
    TEX_Slot *slot = bench.Registered("wall");
    ASSERT_NE(slot, nullptr);
    for (uint32_t i = 0; i < 256; i++) {
        slot->palette[i] = i * 0x010101u;
    }
    slot->palette[26] = slot->palette[25]; // two equal colours: the first index wins
    uint8_t *t = slot->texels;
    std::memset(t, 0, 65536);
    t[2 * 256 + 1] = 10;
    t[2 * 256 + 3] = 20;
    t[1 * 256 + 2] = 30;
    t[3 * 256 + 2] = 41; // (10 + 20 + 30 + 41) / 4 = 25
    t[2 * 256 + 2] = 200;
    t[4 * 256 + 4] = 99;  // neighbours 0: index 0
    t[0] = 7;             // row and column 0 are not smoothed
    t[254 * 256 + 254] = 7;
    TEX_Smooth(slot);
    EXPECT_EQ(t[2 * 256 + 2], 25);
    EXPECT_EQ(t[4 * 256 + 4], 0);
    EXPECT_EQ(t[0], 7);
    EXPECT_EQ(t[254 * 256 + 254], 7);
    EXPECT_EQ(t[2 * 256 + 1], 10); // odd places keep their texels

    TEX_ClearTexels(slot);
    EXPECT_EQ(std::vector<uint8_t>(t, t + 65536), std::vector<uint8_t>(65536, 0));
    EXPECT_EQ(TEX_FindFlag4(), nullptr);
    slot->flags |= TEX_FLAG4;
    EXPECT_EQ(TEX_FindFlag4(), slot);
}

TEST(TexSpareTest, TheSpritePaletteReachesTheFirstSpriteSlotOnly)
{
    TexBench bench;
    TEX_Slot *first = bench.Registered("sprite_a");
    TEX_Slot *second = bench.Registered("sprite_b");
    ASSERT_NE(second, nullptr);
    first->flags |= TEX_SPRITE;
    second->flags |= TEX_SPRITE;
    first->palette[3] = 0xAB000000u; // the fourth byte is kept
    const std::vector<uint32_t> second_before(second->palette, second->palette + 256);
    std::vector<uint8_t> source(1024);
    for (int i = 0; i < 256; i++) {
        source[size_t(4 * i)] = uint8_t(i);
        source[size_t(4 * i + 1)] = uint8_t(2 * i);
        source[size_t(4 * i + 2)] = uint8_t(3 * i);
        source[size_t(4 * i + 3)] = 0xEE;
    }
    TEX_SetSpritePalette(source.data());
    EXPECT_EQ(first->palette[1], 0x030201u);
    EXPECT_EQ(first->palette[3], 0xAB090603u);
    EXPECT_EQ(std::vector<uint32_t>(second->palette, second->palette + 256), second_before);
}

} // namespace
