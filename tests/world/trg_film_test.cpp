// The scene triggers' films, on the scripted film player: the path, the playlist stopped before the
// film opens, the game held while it shows, and the trigger ended whether or not the film opened; and
// every action on one record, the film among them, in the order they run.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/fconv.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/snd.h"
#include "core/sys.h"
#include "interface/menj.h"
#include "tests/support/film_standin.h"
#include "tests/world/tick_fixture.h"
#include "tests/world/trigger_fixture.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/cam.h"
#include "world/fx.h"
#include "world/inv.h"
#include "world/mis.h"
#include "world/prj.h"
#include "world/tex.h"
#include "world/trg.h"

namespace {

namespace level = kalder_test::level;
using kalder_test::LevelRecordBuilder;

struct TriggerFilmTest : tick_test::TickBench {
    void SetUp() override
    {
        TickBench::SetUp();
        film_standin::Reset();
    }
    void TearDown() override
    {
        film_standin::Reset();
        TickBench::TearDown();
    }
};

TEST_F(TriggerFilmTest, AFilmOpensUnderDataHnmAndHoldsTheGame)
{
    struct Row {
        const char *name;
        std::string field; // the source's 16 bytes
        int32_t open_result;
        std::string path;
        bool shown;
    };
    const Row rows[] = {
        {"opens", "intro.hnm", 1, "data\\hnm\\intro.hnm", true},
        {"no extension is added", "intro", 2, "data\\hnm\\intro", true},
        {"does not open", "missing.hnm", 0, "data\\hnm\\missing.hnm", false},
        {"16 bytes without NUL", "ABCDEFGHIJKLMNOP", 0, "data\\hnm\\ABCDEFGHIJKLMNOP", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        film_standin::Reset();
        film_standin::SetOpenResult(row.open_result);
        MGM_Flags = MGM_FILM_TICKED | MGM_FILM_PACED;
        MGM_Services |= MGM_PLAYLIST_ON;
        GAME_FilmHold = 0;
        GAME_FilmFrozen = 1;
        bool playlist_at_open = true;
        film_standin::OnOpen([&](const char *) { playlist_at_open = (MGM_Services & MGM_PLAYLIST_ON) != 0; });
        LevelRecordBuilder b;
        kalder_test::TriggerSource t;
        t.film = row.field;
        b.Trigger(0, t);
        std::memcpy(PRJ_Current->triggers, b.Bytes().data() + level::kTriggers, sizeof PRJ_Current->triggers);
        TRG_Load();

        TRG_Update(Hero());

        EXPECT_EQ(TRG_LastFired, 1u);
        EXPECT_EQ(film_standin::OpenedPaths(), std::vector<std::string>{row.path});
        EXPECT_FALSE(playlist_at_open) << "the music stops before the film opens";
        EXPECT_EQ(GAME_FilmHold, row.shown ? 1 : 0);
        EXPECT_EQ(GAME_FilmFrozen, row.shown ? 0 : 1);
        EXPECT_EQ((MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED)) != 0, row.shown) << "started once opened";
        EXPECT_EQ(TRG_Records[0].flags & TRG_ACTIVE, 0u) << "ended either way";
        TRG_Update(Hero());
        EXPECT_EQ(film_standin::OpenedPaths().size(), 1u) << "played once";
    }
}

// The triggers' small level with sound on and the scripted film player that opens every film.
struct TriggerOrderTest : trigger_test::TriggerTest {
    struct Shot {
        int32_t camera[3];
        const ActorRecord *subject;
        uint32_t duration;
    };
    // The camera events posted, with the shot each pointed at as it was when posted.
    static std::vector<Shot> shots;
    static std::vector<int32_t> codes;

    void SetUp() override
    {
        film_standin::Reset();
        TriggerTest::SetUp();
        ASSERT_TRUE(level->StartSound());
        shots.clear();
        codes.clear();
        CAM_EventObserver = [](int32_t code, intptr_t a, intptr_t) {
            codes.push_back(code);
            if (code == '-' && a != 0) {
                const auto *r = reinterpret_cast<const CAM_ShotRecord *>(a);
                shots.push_back({{r->camera[0], r->camera[1], r->camera[2]}, r->subject, r->duration});
            }
        };
    }
    void TearDown() override
    {
        film_standin::Reset();
        TriggerTest::TearDown();
    }

    // An effect channel holds the sound of the bank, started as a sound of its own (kind 1).
    static bool Sounding(int32_t sound)
    {
        for (int32_t c = 0; c < SND_ChannelCount; c++) {
            const uint32_t h = SND_Channels[c].handle;
            if (h != 0 && (h & 0xFFFF) == uint32_t(sound) && ((h >> 16) & 7) == 1) {
                return true;
            }
        }
        return false;
    }
};

std::vector<TriggerOrderTest::Shot> TriggerOrderTest::shots;
std::vector<int32_t> TriggerOrderTest::codes;

// Every action bit on one record (and the same without the camera shots, which keep the dialogue
// event back): what each leaves behind, the sound, the film's messages, the MENJ events and the
// camera events show the order they run in. The film is watched at the moment it opens, between the
// hiding of B and B's timers.
TEST_F(TriggerOrderTest, AllActionsRunInTheirFixedOrder)
{
    namespace tl = trigger_test::tl;
    constexpr int32_t kHitSound = 8;
    const uint32_t every = 0x7FFFF;
    const uint32_t shots_bits = TRG_DO_CAMERA_NEAR | TRG_DO_CAMERA_FAR;
    struct Row {
        const char *name;
        uint32_t actions;
        std::vector<uint8_t> menj; // the MENJ events' types, in order
        bool shots;
    };
    const Row rows[] = {
        {"every action", every, {MENJ_PICKUP}, true},
        {"every action but the shots", every & ~shots_bits, {MENJ_PICKUP, MENJ_DIALOGUE}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Load(kalder_test::TriggerLevelRecord());
        for (SND_Channel &channel : SND_Channels) {
            channel.handle = 0;
        }
        film_standin::Reset();
        film_standin::SetOpenResult(1);
        MGM_Services |= MGM_PLAYLIST_ON;
        MGM_Flags = 0;
        shots.clear();
        codes.clear();

        ActorRecord *hero = Hero();
        ActorRecord *b = Actor(tl::kCreature);
        ActorRecord *a = Actor(tl::kCreature2);
        ASSERT_NE(b, nullptr);
        ASSERT_NE(a, nullptr);
        // B dead, in its death animation.
        const int32_t idle_handle = b->anim_handles[1];
        b->requested_anim = ANIM_DEATH;
        ANIM_ChangeAnim(b);
        b->life = 0.0f;
        ASSERT_EQ(b->current_anim, ANIM_DEATH);
        ASSERT_NE(b->anim_handles[1], idle_handle);
        b->pursuit_range = 700;
        b->sight_radius = 900;
        ASSERT_NE(b->flags[1] & ACTOR_F1_TEAM, hero->flags[1] & ACTOR_F1_TEAM);
        hero->life = 500.0f;
        std::memset(TEX_Shading.tint, 0, sizeof TEX_Shading.tint);
        const int32_t balls = FX_BallCount;

        // The world as the film opens.
        struct AtOpen {
            bool opened = false, playlist_on = true, film_started = true, hit_sound = false;
            float hero_life = 0.0f;
            bool b_disabled = false, b_hidden = false;
            int32_t b_pursuit = 0, b_sight = 0, menj = -1, exits = -1, tint = -1;
            size_t camera = 99;
        } at_open;
        film_standin::OnOpen([&](const char *) {
            at_open.opened = true;
            at_open.playlist_on = (MGM_Services & MGM_PLAYLIST_ON) != 0;
            at_open.film_started = (MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED)) != 0;
            at_open.hit_sound = Sounding(kHitSound);
            at_open.hero_life = hero->life;
            at_open.b_disabled = trigger_test::Disabled(b);
            at_open.b_hidden = trigger_test::TreeHidden(b->node);
            at_open.b_pursuit = b->pursuit_range;
            at_open.b_sight = b->sight_radius;
            at_open.menj = MENJ_Queue->count;
            at_open.exits = TRG_ExitsUnlocked();
            at_open.tint = TEX_Shading.tint[0];
            at_open.camera = codes.size();
        });

        kalder_test::TriggerSource t = trigger_test::Source(0, row.actions, tl::kCreature2, tl::kCreature);
        t.film = "intro.hnm";
        t.event = 2;
        Sources({t});
        TRG_Update(hero);

        EXPECT_EQ(TRG_LastFired, 1u);
        EXPECT_FALSE(Active(0));
        // 1, hurt: 120 off the hero's life, with the blow's sound.
        EXPECT_EQ(hero->life, 380.0f);
        EXPECT_TRUE(Sounding(kHitSound));
        // 2 and 3: everyone slowed, then freed; 5, B slowed again.
        EXPECT_EQ(hero->slow_time, 0.0f);
        EXPECT_EQ(b->slow_time, 450.0f);
        EXPECT_EQ(b->slow_factor, 0.2f);
        // 4, rally: B stood up into its idle through the animation change, in the hero's camp.
        EXPECT_EQ(b->current_anim, ANIM_IDLE);
        EXPECT_EQ(b->anim_handles[1], idle_handle);
        EXPECT_EQ(b->requested_anim, -1);
        EXPECT_EQ(b->flags[1] & ACTOR_F1_TEAM, hero->flags[1] & ACTOR_F1_TEAM);
        // 6 and 7: shown while enabled (no ball), then hidden (a ball).
        EXPECT_EQ(FX_BallCount, balls + 1);
        // 8, the film, after the hurt and the hiding and before B's timers, the gift, the exits and
        // the tint: the playlist stopped (31) before it opened (23), and started (24) after.
        ASSERT_TRUE(at_open.opened);
        EXPECT_EQ(film_standin::Calls(), std::vector<std::string>{"HNM_Open data\\hnm\\intro.hnm"});
        EXPECT_FALSE(at_open.playlist_on);
        EXPECT_FALSE(at_open.film_started);
        EXPECT_NE(MGM_Flags & MGM_FILM_TICKED, 0);
        EXPECT_EQ(GAME_FilmHold, 1);
        EXPECT_EQ(GAME_FilmFrozen, 0);
        EXPECT_TRUE(at_open.hit_sound);
        EXPECT_EQ(at_open.hero_life, 380.0f);
        EXPECT_TRUE(at_open.b_disabled);
        EXPECT_TRUE(at_open.b_hidden);
        EXPECT_EQ(at_open.b_pursuit, 700);
        EXPECT_EQ(at_open.b_sight, 900);
        EXPECT_EQ(at_open.menj, 0);
        EXPECT_EQ(at_open.exits, 0);
        EXPECT_EQ(at_open.tint, 0);
        EXPECT_EQ(at_open.camera, 0u);
        // 9 to 11: B's timers and mark.
        EXPECT_EQ(b->pursuit_range, 50000);
        EXPECT_EQ(b->sight_radius, 40000);
        EXPECT_NE(b->flags[4] & ACTOR_F4_SEES_ALL_ROUND, 0);
        EXPECT_NE(b->flags[5] & ACTOR_F5_FOLLOWS_HERO, 0);
        // 13 and 14: moved beside A, then every disabled actor shown again at its start, life reset.
        EXPECT_FALSE(trigger_test::Disabled(b));
        EXPECT_FALSE(trigger_test::TreeHidden(b->node));
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(b->position[k], double(tl::kCreatureStart[k])) << k;
        }
        EXPECT_EQ(b->life, 100.0f);
        // 15 and 16.
        EXPECT_EQ(TRG_ExitsUnlocked(), 1);
        EXPECT_EQ(TEX_Shading.tint[0], 64);
        // 12, the gift, then 17, the dialogue event (held back beside a camera shot).
        EXPECT_EQ(INV_Has(hero, b->node_name), 1);
        const std::vector<MGM_Event> events = trigger_test::MenjEvents();
        std::vector<uint8_t> types;
        for (const MGM_Event &e : events) {
            types.push_back(e.type);
        }
        ASSERT_EQ(types, row.menj);
        EXPECT_STREQ(MENJ_PostedName(events[0].a), b->node_name);
        if (types.size() > 1) {
            EXPECT_EQ(events[1].a, 1) << "entry argument - 1";
        }
        // 18 and 19: the near shot (B idle: 3 facings out, 150 up), then the far one, each from B
        // standing at its start.
        if (!row.shots) {
            EXPECT_TRUE(codes.empty());
            continue;
        }
        EXPECT_EQ(codes, (std::vector<int32_t>{'-', '-'}));
        ASSERT_EQ(shots.size(), 2u);
        ActorRecord scratch = *b;
        MIS_CompLaunchPos(b, &scratch);
        const double near[3] = {3.0 * scratch.velocity[0], 3.0 * scratch.velocity[1] - 150.0, 3.0 * scratch.velocity[2]};
        const double far[3] = {8.0 * scratch.velocity[0] - 200.0, 4.0 * scratch.velocity[1] - 600.0,
                               8.0 * scratch.velocity[2] - 200.0};
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(shots[0].camera[k], trunc_i32(b->position[k] + near[k])) << k;
            EXPECT_EQ(shots[1].camera[k], trunc_i32(b->position[k] + far[k])) << k;
        }
        for (const Shot &shot : shots) {
            EXPECT_EQ(shot.subject, b);
            EXPECT_EQ(shot.duration, 90u);
        }
        EXPECT_NE(shots[0].camera[1], shots[1].camera[1]);
        // Both point at the one record, so the camera takes the far shot.
        CAM_CompCameraPos();
        EXPECT_EQ(CAM_Mode, CAM_SHOT);
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(CAM_Shot.camera[k], shots[1].camera[k]) << k;
        }
    }
}

} // namespace
