// The films of the level life cycle, on a film player that answers as scripted: the opening film
// before the first load of Project0, the films of exits and of the death, frozen until the fade ends.
#include <gtest/gtest.h>

#include "core/mgm.h"
#include "world/mis.h"
#include "tests/support/film_standin.h"
#include "tests/world/tick_fixture.h"

namespace {

using tick_test::Name;

struct FilmTest : tick_test::TickBench {
    void SetUp() override
    {
        TickBench::SetUp();
        film_standin::Reset();
        // Music plays until a film stops it.
        MGM_Services |= MGM_PLAYLIST_ON;
    }
    void TearDown() override
    {
        film_standin::Reset();
        TickBench::TearDown();
    }

    static bool PlaylistOn() { return (MGM_Services & MGM_PLAYLIST_ON) != 0; }
    static bool FilmStarted() { return (MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED)) != 0; }

    static ExitRecord &ExitTo(const char *target, bool box)
    {
        ExitRecord &exit = PRJ_CurrentRecord.exits[0];
        exit = ExitRecord{};
        std::strncpy(exit.target, target, sizeof exit.target);
        exit.flags = EXIT_ON;
        if (box) {
            for (int k = 0; k < 3; k++) {
                exit.box_min[k] = -100;
                exit.box_max[k] = 100;
            }
        }
        PlaceRelative(Hero(), 0, 0, 0);
        return exit;
    }
};

// The demo installation, whose first project loads for real once its film was shown.
struct OpeningFilmTest : tick_test::LevelBench {
    void SetUp() override
    {
        LevelBench::SetUp();
        film_standin::Reset();
        MGM_Services |= MGM_PLAYLIST_ON;
    }
    void TearDown() override
    {
        film_standin::Reset();
        LevelBench::TearDown();
    }
};

TEST_F(OpeningFilmTest, TheFirstLoadOfProject0WaitsForTheOpeningFilm)
{
    ASSERT_EQ(PRJ_PendingFlag, 1);
    ASSERT_EQ(Name(PRJ_Current), "Project0");
    GAME_OpeningFilmFlag = 1;
    film_standin::SetOpenResult(1);

    GAME_Tick(0);
    EXPECT_EQ(film_standin::OpenedPaths(), std::vector<std::string>{"data\\hnm\\tete_e~1.hnm"});
    EXPECT_FALSE(FilmTest::PlaylistOn());
    EXPECT_TRUE(FilmTest::FilmStarted());
    EXPECT_EQ(GAME_FilmHold, 1);
    EXPECT_EQ(GAME_FilmFrozen, 0);
    EXPECT_EQ(GAME_OpeningFilmFlag, 0);
    EXPECT_EQ(PRJ_PendingFlag, 1);
    EXPECT_EQ(ACTOR_Slots[ACTOR_SCENE].flags[0] & ACTOR_F0_IN_USE, 0);

    // The film is shown once: the next tick loads.
    GAME_Tick(0);
    EXPECT_EQ(film_standin::OpenedPaths().size(), 1u);
    EXPECT_EQ(PRJ_PendingFlag, 0);
    EXPECT_NE(ACTOR_Slots[ACTOR_SCENE].flags[0] & ACTOR_F0_IN_USE, 0);
}

TEST_F(OpeningFilmTest, AnOpeningFilmThatDoesNotOpenIsSkipped)
{
    struct Case {
        const char *project;
        int32_t flag;
        size_t opened;
    };
    for (Case c : {Case{"Project0", 1, 1}, Case{"Project0", 0, 0}, Case{"Project1", 1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.project << " flag " << c.flag);
        film_standin::Reset();
        char name[32] = {};
        std::strncpy(name, c.project, sizeof name - 1);
        PRJ_MakeCurrent(PRJ_SwitchTo(name, sizeof name));
        PRJ_PendingFlag = 1;
        GAME_OpeningFilmFlag = c.flag;
        GAME_Tick(0);
        EXPECT_EQ(film_standin::OpenedPaths().size(), c.opened);
        EXPECT_EQ(PRJ_PendingFlag, 0);
        EXPECT_EQ(GAME_FilmHold, 0);
        EXPECT_FALSE(FilmTest::FilmStarted());
        EXPECT_EQ(GAME_OpeningFilmFlag, c.project == std::string("Project0") ? 0 : 1);
    }
}

struct ExitFilmCase {
    const char *name;
    bool box;
    int32_t open_result;
    int32_t alt_model;
    size_t opened;
    bool sound;
    bool frozen;
    bool playlist_after;
};

TEST_F(FilmTest, ExitsToAProjectWithAFilmOpenItFrozen)
{
    const std::vector<ExitFilmCase> cases = {
        {"box-less, the film opens", false, 1, 0, 1, true, true, false},
        {"box-less, the film does not open", false, 0, 0, 1, false, false, false},
        {"box-less, the alternate hero", false, 1, 1, 0, false, false, true},
        {"box, the film opens", true, 2, 0, 1, true, true, false},
        {"box, the film does not open", true, 0, 0, 1, true, false, false},
        {"box, the alternate hero", true, 1, 1, 0, true, false, true},
    };
    for (const ExitFilmCase &c : cases) {
        SCOPED_TRACE(c.name);
        MakeCurrent("Project0");
        ResetWorld();
        film_standin::Reset();
        film_standin::SetOpenResult(c.open_result);
        SND_StopAll();
        MGM_Flags = 0;
        MGM_Services |= MGM_PLAYLIST_ON;
        GAME_AltHeroModel = c.alt_model;
        ExitTo("Project3", c.box);

        PRJ_UpdateExits(Hero());

        EXPECT_EQ(Name(PRJ_Next), "Project3");
        EXPECT_EQ(GAME_FadeTimer, 15.0f);
        std::vector<std::string> expected;
        if (c.opened != 0) {
            expected.push_back("data\\hnm\\p3film.hnm");
        }
        EXPECT_EQ(film_standin::OpenedPaths(), expected);
        EXPECT_EQ(tick_test::SoundsPlaying(), c.sound ? std::vector<int32_t>{13} : std::vector<int32_t>{});
        EXPECT_EQ(GAME_FilmFrozen, c.frozen ? 1 : 0);
        EXPECT_EQ(FilmStarted(), c.frozen);
        EXPECT_EQ(PlaylistOn(), c.playlist_after);
        EXPECT_EQ(GAME_FilmHold, 0);
    }
}

// The film waits frozen through the fade; the fade's end shows it and the game waits for it.
TEST_F(FilmTest, TheFadesEndTurnsTheFrozenFilmIntoAShownOne)
{
    film_standin::SetOpenResult(1);
    ExitTo("Project3", true);
    GAME_Tick(0);
    ASSERT_EQ(GAME_FilmFrozen, 1);
    int ticks = 1;
    while (GAME_FadeTimer > 0.0f && ticks < 30) {
        EXPECT_EQ(GAME_FilmHold, 0);
        GAME_Tick(0);
        ticks++;
    }
    EXPECT_EQ(ticks, 16);
    EXPECT_EQ(GAME_FilmHold, 1);
    EXPECT_EQ(GAME_FilmFrozen, 0);
    EXPECT_EQ(Name(PRJ_Current), "Project3");
    EXPECT_EQ(PRJ_PendingFlag, 1);
}

TEST_F(FilmTest, TheDeathOpensTheFirstProjectsFilm)
{
    kalder_test::KalderDatWriter db = tick_test::SmallDatabase();
    db.records[0] = kalder_test::LevelRecordBuilder(db.records[0])
                        .Text(kalder_test::level::kFilm, kalder_test::level::kTextSize, "p0film.hnm")
                        .Bytes();
    struct Case {
        int32_t open_result;
        int32_t alt_model;
        size_t opened;
        int32_t frozen;
    };
    for (Case c : {Case{1, 0, 1, 1}, Case{0, 0, 1, 0}, Case{1, 1, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "open " << c.open_result << ", alternate hero " << c.alt_model);
        UseDatabase(db);
        MakeCurrent("Project1");
        ResetWorld();
        film_standin::Reset();
        film_standin::SetOpenResult(c.open_result);
        SND_StopAll();
        MGM_Flags = 0;
        GAME_AltHeroModel = c.alt_model;
        Hero()->life = 0.0f;
        Hero()->current_anim = 50;
        Hero()->frame_count = 16;
        Hero()->frame_position = 15.0f;

        PRJ_UpdateExits(Hero());

        EXPECT_EQ(GAME_HeroDied, 1);
        std::vector<std::string> expected;
        if (c.opened != 0) {
            expected.push_back("data\\hnm\\p0film.hnm");
        }
        EXPECT_EQ(film_standin::OpenedPaths(), expected);
        EXPECT_EQ(GAME_FilmFrozen, c.frozen);
        EXPECT_EQ(tick_test::SoundsPlaying(), c.frozen ? std::vector<int32_t>{13} : std::vector<int32_t>{});
        EXPECT_EQ(FilmStarted(), c.frozen == 1);
    }
}

} // namespace

namespace {

// The knowledge power sends the hero to Project10 the way an exit would, its film held through the
// fade; cast there, it does nothing.
TEST_F(FilmTest, TheKnowledgePowerTravelsToProject10WithItsFilm)
{
    struct Case {
        const char *name;
        const char *current;
        int32_t open_result;
        bool travels, frozen;
    };
    const Case cases[] = {
        {"the film opens", "Project0", 1, true, true},
        {"the film does not open", "Project0", 0, true, false},
        {"already there", "Project10", 1, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MakeCurrent(c.current);
        ResetWorld();
        film_standin::Reset();
        film_standin::SetOpenResult(c.open_result);
        SND_StopAll();
        MGM_Flags = 0;
        PRJ_Next = nullptr;
        ActorRecord *p = &ACTOR_Projectiles[0];
        ACTOR_InitRecord(p);
        p->flags[0] = ACTOR_F0_IN_USE;
        p->flags[2] = ACTOR_F2_FLYING;
        p->physics_mode = MIS_TYPE_KNOWLEDGE;
        p->leader = Hero();
        MIS_CheckHits(p);
        EXPECT_EQ(p->life, -1.0f);
        if (!c.travels) {
            EXPECT_EQ(PRJ_Next, nullptr);
            EXPECT_EQ(GAME_FadeTimer, 0.0f);
            EXPECT_TRUE(film_standin::OpenedPaths().empty());
            continue;
        }
        EXPECT_EQ(Name(PRJ_Next), "Project10");
        EXPECT_EQ(GAME_FadeTimer, 15.0f);
        EXPECT_EQ(tick_test::SoundsPlaying(), std::vector<int32_t>{13});
        EXPECT_EQ(film_standin::OpenedPaths(), std::vector<std::string>{"data\\hnm\\k10film.hnm"});
        EXPECT_EQ(GAME_FilmFrozen, c.frozen ? 1 : 0);
        EXPECT_EQ(FilmStarted(), c.frozen);
    }
}

} // namespace
