// The visited-level ring: scripted visits over small records, and the restore on the demo Project0.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine3d/object.h"
#include "engine3d/records.h"
#include "engine3d/workarea.h"
#include "tests/support/demo_level.h"
#include "tests/world/level_fixture.h"
#include "world/cam.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/visited.h"
#include "world/zon.h"

namespace {

using level_test::LevelTest;

// Visits made by name on a record of its own: the 32 slots carry values that tell the visits apart.
struct RingTest : ::testing::Test {
    void SetUp() override
    {
        saved_current = PRJ_Current;
        PRJ_Current = &record;
        std::memset(&record, 0, sizeof record);
        std::memset(VIS_Ring, 0, sizeof VIS_Ring);
        VIS_Cursor = 0;
        PRJ_SkipNextVisited = 0;
        LevelTest::ClearSlots();
    }
    void TearDown() override
    {
        PRJ_Current = saved_current;
        std::memset(VIS_Ring, 0, sizeof VIS_Ring);
        VIS_Cursor = 0;
        PRJ_SkipNextVisited = 0;
        LevelTest::ClearSlots();
    }
    // "!skip" sets the death's skip mark, "!clear" empties the ring; any other step leaves that project
    // with slot s at (visit, s, -s), life s + visit, gauge visit, heading 100 x visit.
    void Run(const std::vector<std::string> &steps)
    {
        int visit = 0;
        for (const std::string &step : steps) {
            if (step == "!skip") {
                PRJ_SkipNextVisited = 1;
                continue;
            }
            if (step == "!clear") {
                PRJ_ClearVisited();
                continue;
            }
            visit++;
            std::memset(record.name, 0, sizeof record.name);
            std::memcpy(record.name, step.data(), std::min(step.size(), sizeof record.name));
            for (int s = 0; s < 32; s++) {
                ActorRecord &a = ACTOR_Slots[s];
                a.flags[0] = s % 3 == 0 ? 0 : ACTOR_F0_IN_USE; // in use or not, every slot is kept
                a.position[0] = visit;
                a.position[1] = s;
                a.position[2] = -s;
                a.life = float(s + visit);
                a.second_gauge = float(visit);
                a.heading = 100 * visit;
            }
            PRJ_RecordVisited();
        }
    }
    static std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const VisitedRecord &r : VIS_Ring) {
            names.emplace_back(r.name, strnlen(r.name, sizeof r.name));
        }
        return names;
    }
    LevelRecord record;
    LevelRecord *saved_current = nullptr;
};

TEST_F(RingTest, VisitsFillTheRingAtTheCursorAndRevisitsReuseTheirRecord)
{
    const std::vector<std::string> nine = {"Project0", "Project1", "Project2", "Project3", "Project4",
                                           "Project5", "Project6", "Project7", "Project8"};
    struct Row {
        const char *what;
        std::vector<std::string> steps;
        std::vector<std::string> names;
        int32_t cursor;
        int record;     // the record whose entries are checked
        int last_visit; // the visit they must hold
    } rows[] = {
        {"nine projects forget the first", nine,
         {"Project8", "Project1", "Project2", "Project3", "Project4", "Project5", "Project6", "Project7"}, 1, 0, 9},
        {"a revisit overwrites its record and leaves the cursor", {"Project0", "Project1", "Project0"},
         {"Project0", "Project1", "", "", "", "", "", ""}, 2, 0, 3},
        {"the skip mark skips one recording", {"Project0", "!skip", "Project1", "Project2"},
         {"Project0", "Project2", "", "", "", "", "", ""}, 2, 1, 3},
        {"the clear empties every name and the cursor", {"Project0", "Project1", "!clear"},
         {"", "", "", "", "", "", "", ""}, 0, 0, 1},
        {"after a clear the first record is taken again", {"Project0", "Project1", "!clear", "Project5"},
         {"Project5", "", "", "", "", "", "", ""}, 1, 0, 3},
        {"a name of 20 characters keeps 15", {"ABCDEFGHIJKLMNOPQRST"}, {"ABCDEFGHIJKLMNO", "", "", "", "", "", "", ""}, 1, 0, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        // Each row starts afresh; the set-up alone would keep this fixture's record as the project to
        // put back, and the next test of the process would find the game pointing at freed memory.
        TearDown();
        SetUp();
        Run(row.steps);
        EXPECT_EQ(Names(), row.names);
        EXPECT_EQ(VIS_Cursor, row.cursor);
        EXPECT_EQ(PRJ_SkipNextVisited, 0);
        for (int s = 0; s < 32; s++) {
            const VisitedEntry &e = VIS_Ring[row.record].entries[s];
            ASSERT_EQ(e.position[0], row.last_visit) << s;
            ASSERT_EQ(e.position[1], s);
            ASSERT_EQ(e.position[2], -s);
            ASSERT_EQ(e.life, float(s + row.last_visit));
            ASSERT_EQ(e.second_gauge, float(row.last_visit));
            ASSERT_EQ(e.heading, 100 * row.last_visit);
        }
        EXPECT_EQ(VIS_Ring[row.record].name[15], '\0');
    }
}

TEST_F(RingTest, FindingMatchesWholeNamesOnlyAndSixteenBytesWithoutNul)
{
    Run({"Project1"});
    std::memcpy(VIS_Ring[5].name, "ABCDEFGHIJKLMNOP", 16);
    const struct {
        const char *name;
        int32_t found;
    } rows[] = {
        {"Project1", 1}, {"Project10", 0}, {"Project", 0}, {"project1", 0}, {"", 0}, {"Project2", 0},
        {"ABCDEFGHIJKLMNOP", 1}, {"ABCDEFGHIJKLMNOPQ", 0}, {"ABCDEFGHIJKLMNO", 0},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(PRJ_FindVisited(row.name), row.found) << row.name;
    }
}

// The demo Project0 loaded, remembered as it stands, then given back after the row changed the
// remembered entries or the record.
struct RestoreTest : LevelTest {
    void SetUp() override
    {
        LevelTest::SetUp();
        std::memset(VIS_Ring, 0, sizeof VIS_Ring);
        VIS_Cursor = 0;
        PRJ_SkipNextVisited = 0;
        PRJ_ReturnedToPrevious = 0;
        CAM_EventObserver = [](int32_t code, intptr_t a, intptr_t) {
            if (code == '+') {
                follow_posts.push_back(a);
            }
        };
    }
    void TearDown() override
    {
        CAM_EventObserver = nullptr;
        std::memset(VIS_Ring, 0, sizeof VIS_Ring);
        VIS_Cursor = 0;
        PRJ_ReturnedToPrevious = 0;
        LevelTest::TearDown();
    }
    static bool Hidden(const ActorRecord &a)
    {
        const Addr record = Get_Hierarchy_Record(a.node);
        return (W_Get32(record + Addr(offsetof(OBJ_Record, flags))) & OBJ_FLAG_SKIP_TREE) != 0;
    }
    static inline std::vector<intptr_t> follow_posts;
};

TEST_F(RestoreTest, TheRememberedObjectsComeBackAndTheHeroArrivesTurnedRound)
{
    using namespace kalder_test::demo;
    constexpr int kHero = 1, kBox = 3, kCreature = 5;
    struct Row {
        const char *what;
        void (*change)(VisitedRecord &ring, LevelRecord &project);
        std::vector<double> hero_at;
        int32_t hero_heading;
        int follow_posts;
        int32_t creature_heading;
        bool creature_dead;
        std::vector<double> box_at;
    } rows[] = {
        {"the hero at the arrival point, the creature dead and the box moved",
         [](VisitedRecord &r, LevelRecord &) {
             r.entries[kCreature].life = 0.0f;
             r.entries[kBox].position[0] = -1000.5;
             r.entries[kBox].position[2] = 100.25;
             r.entries[kHero].position[0] = 1300.0;
             r.entries[kHero].heading = 1024;
         },
         {800, 140, 0}, 3072, 1, 1024, true, {-1000.5, 172, 100.25}},
        {"a fall-back arrival takes the position only",
         [](VisitedRecord &r, LevelRecord &) {
             PRJ_ReturnedToPrevious = 1;
             r.entries[kHero].position[0] = 1300.0;
             r.entries[kHero].heading = 1024;
         },
         {1300, 140, 0}, 0, 0, 1024, false, {-1400, 172, 400}},
        {"entry mode 3 restores nothing",
         [](VisitedRecord &r, LevelRecord &p) {
             p.entry_mode = 3;
             r.entries[kCreature].life = 0.0f;
             r.entries[kBox].position[0] = -1000.5;
             r.entries[kHero].heading = 1024;
         },
         {-600, 140, 0}, 0, 0, 1024, false, {-1400, 172, 400}},
        {"an arrival zone without points is skipped",
         [](VisitedRecord &r, LevelRecord &p) {
             p.zones[5].point_count = 0;
             r.entries[kHero].heading = 1024;
         },
         {-600, 140, 0}, 0, 0, 1024, false, {-1400, 172, 400}},
        {"a count of 40 counts as 16",
         [](VisitedRecord &r, LevelRecord &p) {
             p.zones[5].point_count = 40;
             for (int j = 0; j < 16; j++) {
                 p.zones[5].points[j][0] = 5000 + j;
                 p.zones[5].points[j][1] = 140;
                 p.zones[5].points[j][2] = 0;
             }
             p.zones[5].points[15][0] = 700;
             r.entries[kHero].heading = 1024;
         },
         {700, 140, 0}, 3072, 1, 1024, false, {-1400, 172, 400}},
        {"headings outside a turn are kept within it",
         [](VisitedRecord &r, LevelRecord &) {
             r.entries[kHero].heading = -5;
             r.entries[kCreature].heading = 70000;
         },
         {800, 140, 0}, 2043, 1, 368, false, {-1400, 172, 400}},
        {"headings outside a turn are kept within it, the other way",
         [](VisitedRecord &r, LevelRecord &) {
             r.entries[kHero].heading = 70000;
             r.entries[kCreature].heading = -5;
         },
         {800, 140, 0}, 2416, 1, 4091, false, {-1400, 172, 400}},
    };
    const LevelRecord project0 = PRJ_CurrentRecord;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        PRJ_CurrentRecord = project0;
        PRJ_PendingFlag = 1;
        PRJ_ReturnedToPrevious = 0;
        ACTOR_Slots[kCreature].heading = 1024;
        PRJ_LoadPending();
        ASSERT_EQ(ACTOR_Slots[kCreature].heading, 1024);
        PRJ_ClearVisited();
        PRJ_RecordVisited();
        ASSERT_STREQ(VIS_Ring[0].name, "Project0");
        row.change(VIS_Ring[0], PRJ_CurrentRecord);
        follow_posts.clear();
        PRJ_RestoreVisited();

        const ActorRecord &hero = ACTOR_Slots[kHero], &creature = ACTOR_Slots[kCreature], &box = ACTOR_Slots[kBox];
        EXPECT_EQ(std::vector<double>(hero.position, hero.position + 3), row.hero_at);
        EXPECT_EQ(hero.heading, row.hero_heading);
        int32_t node_at[3];
        Get_Obj_Pos(hero.node, node_at);
        if (row.follow_posts > 0) {
            EXPECT_EQ(std::vector<double>(node_at, node_at + 3), row.hero_at) << "the node is placed";
        }
        EXPECT_EQ(int(follow_posts.size()), row.follow_posts);
        if (!follow_posts.empty()) {
            EXPECT_EQ(follow_posts[0], reinterpret_cast<intptr_t>(&hero));
        }
        EXPECT_EQ(creature.heading, row.creature_heading);
        EXPECT_EQ(creature.life <= 0.0f, row.creature_dead);
        EXPECT_EQ((creature.flags[3] & ACTOR_F3_DISABLED) != 0, row.creature_dead);
        EXPECT_EQ(Hidden(creature), row.creature_dead);
        EXPECT_EQ(std::vector<double>(box.position, box.position + 3), row.box_at);
    }
}

TEST_F(RestoreTest, StepBackRestoresThePreviousRecordWithTheHeroAtTheStart)
{
    PRJ_LoadPending();
    PRJ_RecordVisited();
    VIS_Ring[0].entries[3].position[0] = -900.0;
    ACTOR_Slots[1].position[0] = 123.0;
    ACTOR_Slots[1].heading = 77;
    PRJ_StepBackVisited();
    EXPECT_EQ(VIS_Cursor, 0);
    EXPECT_EQ(ACTOR_Slots[3].position[0], -900.0);
    EXPECT_EQ(ACTOR_Slots[1].position[0], PRJ_Current->start_position[0]);
    EXPECT_EQ(ACTOR_Slots[1].heading, PRJ_Current->start_heading & 4095);
}

} // namespace
