// The scene triggers' films, on the scripted film player: the path, the playlist stopped before the
// film opens, the game held while it shows, and the trigger ended whether or not the film opened.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/mgm.h"
#include "core/sys.h"
#include "tests/support/film_standin.h"
#include "tests/world/tick_fixture.h"
#include "world/prj.h"
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
        MGM_Flags = 0;
        MGM_Services |= MGM_PLAYLIST_ON;
        GAME_FilmHold = 0;
        GAME_FilmFrozen = 1;
        LevelRecordBuilder b;
        kalder_test::TriggerSource t;
        t.film = row.field;
        b.Trigger(0, t);
        std::memcpy(PRJ_Current->triggers, b.Bytes().data() + level::kTriggers, sizeof PRJ_Current->triggers);
        TRG_Load();

        TRG_Update(Hero());

        EXPECT_EQ(TRG_LastFired, 1u);
        EXPECT_EQ(film_standin::OpenedPaths(), std::vector<std::string>{row.path});
        EXPECT_EQ((MGM_Services & MGM_PLAYLIST_ON) != 0, false) << "the music stops first";
        EXPECT_EQ(GAME_FilmHold, row.shown ? 1 : 0);
        EXPECT_EQ(GAME_FilmFrozen, row.shown ? 0 : 1);
        EXPECT_EQ((MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED)) != 0, row.shown) << "started once opened";
        EXPECT_EQ(TRG_Records[0].flags & TRG_ACTIVE, 0u) << "ended either way";
        TRG_Update(Hero());
        EXPECT_EQ(film_standin::OpenedPaths().size(), 1u) << "played once";
    }
}

} // namespace
