// Animated scene textures: the scene start and its bindings, the film-fed texture's film and
// palette, the scrolling, flowing and particle sprite slots, on a film player that answers as scripted.
#include <cstring>
#include <string>
#include <vector>

#include "core/dsk.h"
#include "core/mgm.h"
#include "interface/menu.h"
#include "interface/slot.h"
#include "tests/support/film_standin.h"
#include "tests/world/stream_fixture.h"
#include "tests/world/tex_fixture.h"

namespace {

using tex_test::TexBench;

void SetName(char (&field)[16], const char *name) { std::strncpy(field, name, sizeof field); }

struct TexAnimTest : stream_test::StreamTest {
    void SetUp() override
    {
        StreamTest::SetUp();
        film_standin::Reset();
        SLOT_AutoSaveCalls = 0;
        MENU_KeepSpellsCalls = 0;
        MGM_Flags = 0;
    }
    void TearDown() override
    {
        film_standin::Reset();
        MGM_Flags = 0;
        StreamTest::TearDown();
    }
    static std::string FilmPath()
    {
        char path[260];
        EXPECT_EQ(GAME_AnimFilmPath(path, sizeof path), 1);
        return path;
    }
};

TEST_F(TexAnimTest, TheSceneStartsOnceAfterItsStream)
{
    struct Case {
        const char *name;
        bool stream_open;
        int32_t started;
        int32_t cd_track, save_mode;
        std::vector<int32_t> tracks;
        int32_t saves, spells_only;
    };
    const Case cases[] = {
        {"while the stream is open: nothing", true, 0, 3, 0, {}, 0, 0},
        {"once started: nothing", false, 1, 3, 0, {}, 0, 0},
        {"no track, save mode 0: a save", false, 0, 0, 0, {}, 1, 0},
        {"track 0x105 plays track 5; mode 1: save and spells only", false, 0, 0x105, 1, {5}, 1, 1},
        {"mode 2: no save", false, 0, 7, 2, {7}, 0, 0},
        {"mode -1: no save", false, 0, 0, -1, {}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TexBench bench;
        SLOT_AutoSaveCalls = MENU_KeepSpellsCalls = 0;
        MGM_PlaylistCount = 0;
        film_standin::Reset();
        bench.record.cd_track = c.cd_track;
        bench.record.entry_mode = c.save_mode;
        // One texture for all three: the film, the scroll and the flow bind in that order.
        bench.Registered("water");
        SetName(bench.record.anim_texture, "WATER");
        SetName(bench.record.anim_film, "water.hnm");
        SetName(bench.record.scroll_texture, "WATER");
        SetName(bench.record.flow_texture, "WATER");
        TEX_SceneStarted = c.started;
        if (c.stream_open) {
            kalder_test::DsnWriter none;
            none.model = stream_test::SampleFile(100);
            none.collision = stream_test::SampleFile(50);
            ASSERT_EQ(DSN_Open(Put("S.DSN", none.Bytes()).c_str()), 1);
        }
        TEX_SceneStart();
        DSN_Reset();
        const bool runs = !c.stream_open && c.started == 0;
        EXPECT_EQ(TEX_SceneStarted, runs ? 1 : c.started);
        EXPECT_EQ(std::vector<int32_t>(MGM_PlaylistTracks, MGM_PlaylistTracks + MGM_PlaylistCount), c.tracks);
        EXPECT_EQ(SLOT_AutoSaveCalls, c.saves);
        EXPECT_EQ(MENU_KeepSpellsCalls, c.spells_only);
        EXPECT_EQ(TEX_Slots[0].flags, runs ? TEX_SHADED | TEX_FILM | TEX_SCROLL | TEX_FLOW : TEX_SHADED);
        EXPECT_EQ(HNM_TargetTexture, runs ? TEX_Slots[0].texels : nullptr);
        EXPECT_EQ(film_standin::OpenedPaths().size(), runs ? 1u : 0u);
    }
}

TEST_F(TexAnimTest, TheFilmFedTexture)
{
    struct Case {
        const char *name;
        const char *texture;
        int32_t opens; // what the film player answers
        int32_t result;
    };
    const Case cases[] = {
        {"an empty name", "", 1, 0},
        {"a name the cache does not hold", "LAVA", 1, 0},
        {"the compare is exact: lower case finds nothing", "screen", 1, 0},
        {"a film that does not open leaves the slot film-fed", "SCREEN", 0, 1},
        {"a film that opens is started", "SCREEN", 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TexBench bench;
        film_standin::Reset();
        film_standin::SetOpenResult(c.opens);
        MGM_Flags = 0;
        bench.Registered("plain");
        TEX_Slot *slot = bench.Registered("screen");
        SetName(bench.record.anim_texture, c.texture);
        SetName(bench.record.anim_film, "demo4.hnm");
        EXPECT_EQ(TEX_AnimStart(), c.result);
        EXPECT_EQ(TEX_HasAnimated(), c.result);
        EXPECT_EQ(slot->flags, c.result == 1 ? TEX_SHADED | TEX_FILM : TEX_SHADED);
        EXPECT_EQ(HNM_TargetTexture, c.result == 1 ? slot->texels : nullptr);
        const std::vector<std::string> opened = film_standin::OpenedPaths();
        if (c.result == 1) {
            // The frame handler's loop at a film end asks for the very same path.
            EXPECT_EQ(opened, std::vector<std::string>{FilmPath()});
            EXPECT_EQ(FilmPath(), std::string(DSK_InstallPath()) + "data\\anim\\demo4.hnm");
        } else {
            EXPECT_TRUE(opened.empty());
        }
        EXPECT_EQ((MGM_Flags & MGM_FILM_TICKED) != 0, c.result == 1 && c.opens == 1);
        // The next level's load forgets the texture.
        TEX_Reset();
        EXPECT_EQ(HNM_TargetTexture, nullptr);
        EXPECT_EQ(TEX_HasAnimated(), 0);
    }
}

TEST_F(TexAnimTest, TheFlowTextureTakesTheFilmOnlyWhenNoTextureIsFilmFed)
{
    for (bool film : {false, true}) {
        SCOPED_TRACE(film);
        TexBench bench;
        TEX_Slot *screen = bench.Registered("screen");
        TEX_Slot *water = bench.Registered("water");
        if (film) {
            SetName(bench.record.anim_texture, "SCREEN");
            SetName(bench.record.anim_film, "demo4.hnm");
            ASSERT_EQ(TEX_AnimStart(), 1);
        }
        SetName(bench.record.flow_texture, "WATER");
        EXPECT_EQ(TEX_BindFlow(), 1);
        EXPECT_EQ(water->flags, TEX_SHADED | TEX_FLOW);
        EXPECT_EQ(HNM_TargetTexture, film ? screen->texels : water->texels);
    }
}

TEST_F(TexAnimTest, ScrollAndFlowStepOnlyTheirSlots)
{
    TexBench bench;
    TEX_Slot *plain = bench.Registered("plain");
    TEX_Slot *arrows = bench.Registered("arrows");
    TEX_Slot *water = bench.Registered("water");
    SetName(bench.record.scroll_texture, "ARROWS");
    SetName(bench.record.flow_texture, "WATER");
    EXPECT_EQ(TEX_BindScroll(), 1);
    EXPECT_EQ(TEX_BindFlow(), 1);
    auto texels = [](const TEX_Slot *s) { return std::vector<uint8_t>(s->texels, s->texels + 65536); };
    const std::vector<uint8_t> start = texels(plain);
    TEX_ScrollAll();
    EXPECT_EQ(texels(plain), start);
    EXPECT_EQ(texels(water), start);
    // Two rows up, wrapping round.
    std::vector<uint8_t> scrolled(start.begin() + 512, start.end());
    scrolled.insert(scrolled.end(), start.begin(), start.begin() + 512);
    EXPECT_EQ(texels(arrows), scrolled);
    TEX_FlowAll();
    EXPECT_EQ(texels(plain), start);
    EXPECT_EQ(texels(arrows), scrolled);
    EXPECT_NE(texels(water), start);
}

TEST_F(TexAnimTest, TheParticleSpriteIsTheLastSpriteSlot)
{
    TexBench bench;
    bench.Registered("plain");
    TEX_Slot *sprite = bench.Registered("sprite");
    TEX_SpriteFrame();
    EXPECT_EQ(TEX_SpriteTexels, nullptr);
    // The level load's preparation binds "SPRITE".
    TEX_Prepare();
    EXPECT_EQ(sprite->flags, TEX_SHADED | TEX_SPRITE);
    TEX_SpriteFrame();
    EXPECT_EQ(TEX_SpriteTexels, sprite->texels);
    TEX_Slots[0].flags |= TEX_SPRITE;
    TEX_SpriteFrame();
    EXPECT_EQ(TEX_SpriteTexels, sprite->texels);
}

TEST(FilmPaletteTest, RunsOfAPaletteChunk)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> payload;
        std::vector<std::pair<int, uint32_t>> written; // entry, colour; the rest keep 0x11111111
    };
    std::vector<uint8_t> all = {0, 0};
    std::vector<std::pair<int, uint32_t>> all_written;
    for (int i = 0; i < 256; i++) {
        all.insert(all.end(), {uint8_t(i & 63), uint8_t(63 - (i & 63)), uint8_t(i >> 2)});
        all_written.push_back({i, uint32_t((i & 63) << 2) << 16 | uint32_t((63 - (i & 63)) << 2) << 8 |
                                      uint32_t((i >> 2) << 2)});
    }
    std::vector<uint8_t> past_end = {200, 100};
    std::vector<std::pair<int, uint32_t>> past_written;
    for (int i = 0; i < 100; i++) {
        past_end.insert(past_end.end(), {1, 2, 3});
        if (200 + i < 256) {
            past_written.push_back({200 + i, 0x04080C});
        }
    }
    past_end.insert(past_end.end(), {7, 1, 63, 0, 0}); // the run after them is read
    past_written.push_back({7, 0xFC0000});
    const Case cases[] = {
        {"count 0 is 256 entries", all, all_written},
        {"two runs", {2, 2, 1, 1, 1, 2, 2, 2, 10, 1, 0, 0, 63}, {{2, 0x040404}, {3, 0x080808}, {10, 0x0000FC}}},
        {"a run past entry 255 writes up to 255", past_end, past_written},
        {"a run cut inside a triple", {5, 3, 1, 1, 1, 2, 2, 2, 3, 3}, {{5, 0x040404}, {6, 0x080808}}},
        {"0xFF as start ends the chunk", {3, 1, 9, 9, 9, 0xFF, 1, 1, 1, 1}, {{3, 0x242424}}},
        {"0xFF as count ends the chunk", {4, 0xFF, 1, 1, 1}, {}},
        {"bytes above 63 lose their top bits", {0, 1, 0x40, 0xFF, 0x3F}, {{0, 0x00FCFC}}},
        {"one byte left", {0}, {}},
        {"empty", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> palette(256, 0x11111111);
        TEX_DecodeFilmPalette(c.payload.data(), uint32_t(c.payload.size()), palette.data());
        std::vector<uint32_t> expected(256, 0x11111111);
        for (const auto &[entry, colour] : c.written) {
            expected[size_t(entry)] = colour;
        }
        EXPECT_EQ(palette, expected);
    }
}

TEST(FilmPaletteTest, TheFilmFedSlotTakesThePaletteAndItsTables)
{
    const std::vector<uint8_t> chunk = {0, 2, 63, 0, 0, 0, 63, 0};
    for (bool film_fed : {false, true}) {
        SCOPED_TRACE(film_fed);
        TexBench bench;
        TEX_Slot *slot = bench.Registered("screen");
        TEX_Slot *other = bench.Registered("other");
        if (film_fed) {
            slot->flags |= TEX_FILM;
        }
        const std::vector<uint32_t> before(slot->palette, slot->palette + 256);
        const std::vector<uint8_t> tables(slot->texels - 32768, slot->texels);
        const std::vector<uint32_t> other_before(other->palette, other->palette + 256);
        TEX_Shading.tint[0] = 50; // the film's colours are not tinted
        TEX_ApplyFilmPalette(chunk.data(), uint32_t(chunk.size()));
        EXPECT_EQ(std::vector<uint32_t>(other->palette, other->palette + 256), other_before);
        if (!film_fed) {
            EXPECT_EQ(std::vector<uint32_t>(slot->palette, slot->palette + 256), before);
            EXPECT_EQ(std::vector<uint8_t>(slot->texels - 32768, slot->texels), tables);
            continue;
        }
        EXPECT_EQ(slot->palette[0], 0xFC0000u);
        EXPECT_EQ(slot->palette[1], 0x00FC00u);
        EXPECT_EQ(slot->palette[2], before[2]);
        std::vector<uint8_t> expected(1024);
        GFX_TintPalette(0, 0, 0, reinterpret_cast<const uint8_t *>(slot->palette), expected.data());
        EXPECT_EQ(std::vector<uint8_t>(tex_test::Table(slot->texels, 16), tex_test::Table(slot->texels, 15)), expected);
    }
}

} // namespace
