// Box pairs: registration, the sweep's overlap bits and active list, enabling and disabling, the walk
// of the contacts, the refusals, and the whole against a brute-force test of the bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "engine3d/boxes.h"
#include "engine3d/image.h"
#include "engine3d/pairs.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

using Bounds = std::array<float, 6>; // minimum x, y, z, maximum x, y, z

// A scene of two objects: "Many" with 40 boxes and "Few" with 3. The tests write the boxes' world
// bounds (and corners) themselves, as the frame's update would.
struct PairsTest : ::testing::Test {
    SceneArea area;
    OBJ_Handle many = -1, few = -1;
    void SetUp() override
    {
        ObjectSpec root, m, f;
        root.name = "pairs";
        m.name = "Many";
        m.parent = 0;
        m.boxes = 40;
        f.name = "Few";
        f.parent = 0;
        f.boxes = 3;
        const OBJ_Handle scene = area.Load("pairs.3dc", HierarchyImage({root, m, f}, {}));
        ASSERT_GE(scene, 0);
        many = scene + 1;
        few = scene + 2;
        ASSERT_EQ(Get_Box_Count(many), 40);
        ASSERT_EQ(Pairs_Init(16), 0);
    }
    void TearDown() override { Pairs_Free(); }

    static void Set(OBJ_Handle h, int b, const Bounds &v)
    {
        uint8_t *box = Get_Box(h, b);
        std::memcpy(box + BOX_MINIMUM, v.data(), 12);
        std::memcpy(box + BOX_MAXIMUM, v.data() + 3, 12);
    }
    // The active pairs as (greater, smaller) pool indices, and whether any appears twice.
    static std::set<std::pair<int32_t, int32_t>> Active(bool *twice = nullptr)
    {
        std::set<std::pair<int32_t, int32_t>> out;
        for (OBJ_PairNode *n = Pairs.active; n != nullptr; n = n->next) {
            if (!out.insert({n->first, n->second}).second && twice != nullptr) {
                *twice = true;
            }
        }
        return out;
    }
    static uint8_t Byte(int32_t i, int32_t j) { return Pairs.flags[Pair_Byte(std::max(i, j), std::min(i, j))]; }
};

// Both chains walk consistently, cover every record once, and the lists hold each registered box twice.
void ExpectConsistent()
{
    std::vector<int> seen(size_t(Pairs.size), 0);
    int32_t used = 0, previous = -1;
    for (int32_t i = Pairs.used_head; i >= 0; i = Pairs.pool[i].next) {
        ASSERT_EQ(Pairs.pool[i].previous, previous);
        ASSERT_GE(Pairs.pool[i].handle, 0);
        seen[size_t(i)]++;
        previous = i;
        used++;
    }
    EXPECT_EQ(Pairs.used_tail, previous);
    EXPECT_EQ(used, Pairs.count);
    int32_t free_count = 0;
    for (int32_t i = Pairs.free_head; i != Pairs.size; i = Pairs.pool[i].next) {
        ASSERT_GE(i, 0);
        ASSERT_EQ(Pairs.pool[i].handle, -1);
        seen[size_t(i)]++;
        free_count++;
    }
    EXPECT_EQ(used + free_count, Pairs.size);
    for (int s : seen) {
        EXPECT_EQ(s, 1);
    }
    for (uint16_t *list : Pairs.lists) {
        std::map<int32_t, int> entries;
        for (int32_t k = 0; k < 2 * Pairs.count; k++) {
            entries[list[k] & 0x7FFF] += (list[k] & PAIR_MINIMUM) ? 1 : 10;
        }
        EXPECT_EQ(int32_t(entries.size()), Pairs.count);
        for (const auto &e : entries) {
            EXPECT_EQ(e.second, 11) << "box " << e.first;
            EXPECT_GE(Pairs.pool[e.first].handle, 0);
        }
    }
}

TEST_F(PairsTest, TheFlagTableOf256BoxesHas32640Bytes)
{
    for (const size_t bytes : {size_t(32640), size_t(256 * 2 * 2)}) {
        test::FailHeapAlloc(bytes);
        EXPECT_EQ(Pairs_Init(256), -1) << bytes;
        EXPECT_EQ(Pairs_Add_Box(many, 0), -1); // a pool half made takes no box
    }
    ASSERT_EQ(Pairs_Init(256), 0);
    EXPECT_EQ(Pair_Byte(255, 254), 32639u);
    EXPECT_EQ(Pairs.size, 256);
    EXPECT_EQ(Pairs.free_head, 0);
    ExpectConsistent();
}

TEST_F(PairsTest, SizesOutsideTheEntryRangeAreRefusedAndASecondInitStartsAfresh)
{
    for (const int32_t n : {0, -1, 32769, INT32_MAX}) {
        EXPECT_EQ(Pairs_Init(n), -1) << n;
    }
    // The refusals left the pool of the fixture as it was.
    EXPECT_EQ(Pairs.size, 16);
    ASSERT_EQ(Pairs_Add_Box(many, 0), 0);
    Set(many, 0, {0, 0, 0, 1, 1, 1});
    ASSERT_EQ(Pairs_Add_Box(many, 1), 0);
    Set(many, 1, {0, 0, 0, 1, 1, 1});
    Pairs_Sweep();
    EXPECT_EQ(Pairs.active_count, 1);
    // A second call frees what the first made (the leak checker would see it otherwise).
    ASSERT_EQ(Pairs_Init(4), 0);
    EXPECT_EQ(Pairs.count, 0);
    EXPECT_EQ(Pairs.active_count, 0);
    EXPECT_EQ(Pairs.active, nullptr);
    EXPECT_EQ(Pairs_Find(many, 0), -1);
    ExpectConsistent();
}

TEST_F(PairsTest, ANewBoxPairsWithEveryBoxItOverlapsOnAllThreeAxes)
{
    Set(many, 0, {0, 0, 0, 10, 10, 10});
    Set(many, 1, {20, 0, 0, 30, 10, 10});
    Set(many, 2, {5, 5, 5, 25, 8, 8});   // over both
    Set(many, 3, {5, 5, 11, 25, 8, 12}); // over both on x and y, apart on z
    for (int b = 0; b < 4; b++) {
        ASSERT_EQ(Pairs_Add_Box(many, b), 0);
    }
    Pairs_Sweep();
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{2, 0}, {2, 1}}));
    EXPECT_EQ(Pairs.active_count, 2);
    EXPECT_EQ(Byte(3, 0), PAIR_OVERLAP_X | PAIR_OVERLAP_Y);
    EXPECT_EQ(Byte(2, 0), 15);
    // Moving apart on one axis ends the pair; the other bits stay.
    Set(many, 2, {5, 5, 5, 15, 8, 8});
    Pairs_Sweep();
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{2, 0}}));
    EXPECT_EQ(Byte(2, 1), PAIR_OVERLAP_Y | PAIR_OVERLAP_Z);
    EXPECT_EQ(Pairs.active_count, 1);
}

TEST_F(PairsTest, TouchingBoundsOverlap)
{
    Set(many, 0, {0, 0, 0, 10, 10, 10});
    Set(many, 1, {10, 10, 10, 20, 20, 20}); // one corner on another
    Set(many, 2, {10.0001f, 0, 0, 20, 10, 10});
    for (int b = 0; b < 3; b++) {
        ASSERT_EQ(Pairs_Add_Box(many, b), 0);
    }
    Pairs_Sweep();
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{1, 0}, {2, 1}}));
    // And when they come to touch from apart, in either order on the list.
    Set(many, 2, {10, 0, 0, 20, 10, 10});
    Pairs_Sweep();
    Set(many, 2, {-20, 0, 0, -10, 10, 10});
    Pairs_Sweep();
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{1, 0}}));
    Set(many, 2, {-20, 0, 0, 0, 10, 10});
    Pairs_Sweep();
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{1, 0}, {2, 0}}));
}

TEST_F(PairsTest, ADisabledPairNeverActivatesAndEnablingItWhileItOverlapsActivatesIt)
{
    Set(many, 0, {0, 0, 0, 10, 10, 10});
    Set(many, 1, {50, 0, 0, 60, 10, 10});
    ASSERT_EQ(Pairs_Add_Box(many, 0), 0);
    ASSERT_EQ(Pairs_Add_Box(many, 1), 0);
    EXPECT_EQ(Pairs_Disable(many, 1, many, 0), 0);
    Pairs_Sweep();
    Set(many, 1, {5, 5, 5, 15, 15, 15});
    Pairs_Sweep();
    Pairs_Sweep();
    EXPECT_TRUE(Active().empty());
    EXPECT_EQ(Byte(1, 0), PAIR_DISABLED | 7);
    EXPECT_EQ(Pairs_Enable(many, 0, many, 1), 0);
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{1, 0}}));
    EXPECT_EQ(Pairs.active_count, 1);
    // Disabling an active pair ends it at once; a box with itself and unknown boxes change nothing.
    EXPECT_EQ(Pairs_Disable(many, 0, many, 1), 0);
    EXPECT_TRUE(Active().empty());
    EXPECT_EQ(Pairs.active_count, 0);
    EXPECT_EQ(Pairs_Enable(many, 0, many, 0), 0);
    EXPECT_EQ(Pairs_Enable(many, 0, many, 7), -1);
    EXPECT_EQ(Pairs_Disable(few, 0, many, 0), -1);
    EXPECT_EQ(Byte(1, 0), PAIR_DISABLED | 7);
}

TEST_F(PairsTest, RemovingTheOnlyBoxLeavesBothChainsConsistentAndTheListsEmpty)
{
    ASSERT_EQ(Pairs_Add_Box(few, 2), 0);
    Pairs_Remove_Box(few, 2);
    EXPECT_EQ(Pairs.count, 0);
    EXPECT_EQ(Pairs.used_head, -1);
    EXPECT_EQ(Pairs.used_tail, -1);
    EXPECT_EQ(Pairs.free_head, 0);
    ExpectConsistent();
    Pairs_Remove_Box(few, 2); // not registered: nothing
    ExpectConsistent();
    // Removal in the middle, at the head and at the tail of the used chain.
    for (int b = 0; b < 5; b++) {
        ASSERT_EQ(Pairs_Add_Box(many, b), 0);
    }
    for (int b : {2, 0, 4}) {
        Pairs_Remove_Box(many, b);
        ExpectConsistent();
    }
    EXPECT_EQ(Pairs_Find(many, 1), 1);
    EXPECT_EQ(Pairs_Find(many, 3), 3);
}

TEST_F(PairsTest, FindAndTheRefusalsOfAddBox)
{
    EXPECT_EQ(Pairs_Find(many, 0), -1);
    ASSERT_EQ(Pairs_Add_Box(many, 5), 0);
    ASSERT_EQ(Pairs_Add_Box(few, 5 - 3), 0);
    EXPECT_EQ(Pairs_Find(many, 5), 0);
    EXPECT_EQ(Pairs_Find(few, 2), 1);
    EXPECT_EQ(Pairs_Find(few, 5), -1);
    EXPECT_EQ(Pairs.pool[0].record, W_Addr(Get_Box(many, 5)));
    const PairsState before = Pairs;
    std::vector<uint16_t> list(Pairs.lists[0], Pairs.lists[0] + 32);
    MemFiles_Add("r.3dc", RecordImage({{1, 2, 3}}).Finish().bytes);
    const OBJ_Handle records = Load_Obj("r.3dc");
    ASSERT_GE(records, 0);
    const struct {
        OBJ_Handle h;
        int32_t box;
    } refused[] = {{many, 5}, {few, 3}, {few, -1}, {-1, 0}, {records, 0}, {0, 0}};
    for (const auto &r : refused) {
        EXPECT_EQ(Pairs_Add_Box(r.h, r.box), -1) << r.h << " " << r.box;
        EXPECT_EQ(Pairs.count, before.count);
        EXPECT_EQ(Pairs.free_head, before.free_head);
        EXPECT_EQ(Pairs.used_tail, before.used_tail);
        EXPECT_EQ(std::vector<uint16_t>(Pairs.lists[0], Pairs.lists[0] + 32), list);
    }
    // A full pool.
    for (int b = 0; b < 14; b++) {
        ASSERT_EQ(Pairs_Add_Box(many, 10 + b), 0);
    }
    EXPECT_EQ(Pairs.free_head, 16);
    EXPECT_EQ(Pairs_Add_Box(many, 30), -1);
    EXPECT_EQ(Pairs.count, 16);
    ExpectConsistent();
}

// A reused index must not inherit the bits its last owner had with boxes registered above it.
TEST_F(PairsTest, AReusedIndexStartsWithNoBitsAgainstAnyBox)
{
    Set(many, 0, {0, 0, 0, 10, 10, 10});
    Set(many, 1, {5, 5, 5, 15, 15, 15});
    Set(many, 2, {0, 0, 0, 10, 10, 10});
    Set(many, 3, {100, 100, 100, 110, 110, 110});
    ASSERT_EQ(Pairs_Add_Box(many, 0), 0); // index 0
    ASSERT_EQ(Pairs_Add_Box(many, 1), 0); // index 1
    ASSERT_EQ(Pairs_Add_Box(many, 2), 0); // index 2
    ASSERT_EQ(Pairs_Disable(many, 0, many, 1), 0);
    Pairs_Sweep();
    EXPECT_EQ(Byte(1, 0), PAIR_DISABLED | 7);
    EXPECT_EQ(Byte(2, 0), 15);
    Pairs_Remove_Box(many, 0);
    ASSERT_EQ(Pairs_Add_Box(many, 3), 0); // index 0 again, far from everything
    ASSERT_EQ(Pairs_Find(many, 3), 0);
    EXPECT_EQ(Byte(1, 0), 0);
    EXPECT_EQ(Byte(2, 0), 0);
    Pairs_Sweep();
    EXPECT_EQ(Byte(1, 0), 0);
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{2, 1}}));
    // Brought over box 1, the new box pairs with it: the old owner's disable is gone.
    Set(many, 3, {5, 5, 5, 15, 15, 15});
    Pairs_Sweep();
    EXPECT_EQ(Active(), (std::set<std::pair<int32_t, int32_t>>{{1, 0}, {2, 0}, {2, 1}}));
}

TEST_F(PairsTest, TheWalkOfContactsEndsAfterTheLastPair)
{
    for (int b = 0; b < 3; b++) {
        Set(many, b, {float(b), 0, 0, float(b + 10), 10, 10});
        ASSERT_EQ(Pairs_Add_Box(many, b), 0);
    }
    Pairs_Sweep();
    ASSERT_EQ(Pairs.active_count, 3);
    OBJ_Handle ha, hb;
    int32_t ba, bb, pa[3], pb[3];
    std::set<std::pair<int32_t, int32_t>> seen;
    for (int round = 0; round < 2; round++) {
        seen.clear();
        int32_t k = 0;
        while (Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, k) == 0) {
            EXPECT_EQ(ha, many);
            EXPECT_GT(ba, bb); // the greater index first: here the box indices follow the pool's
            seen.insert({ba, bb});
            k++;
        }
        EXPECT_EQ(k, 3);
        EXPECT_EQ(Pairs.last_node, nullptr);
        EXPECT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 3), -1);
        EXPECT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, -1), -1);
    }
    EXPECT_EQ(seen, (std::set<std::pair<int32_t, int32_t>>{{1, 0}, {2, 0}, {2, 1}}));
    // A position asked out of turn walks from the head.
    ASSERT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 2), 0);
    EXPECT_EQ(std::make_pair(ba, bb), std::make_pair(Pairs.active->next->next->first, Pairs.active->next->next->second));
}

// The node just handed out is freed by a disable; the next position must not read it.
TEST_F(PairsTest, FreeingTheNodeJustHandedOutRestartsTheWalk)
{
    for (int b = 0; b < 3; b++) {
        Set(many, b, {0, 0, 0, 10, 10, 10});
        ASSERT_EQ(Pairs_Add_Box(many, b), 0);
    }
    Pairs_Sweep();
    OBJ_Handle ha, hb;
    int32_t ba, bb, pa[3], pb[3];
    for (int how = 0; how < 3; how++) {
        ASSERT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 0), 0);
        if (how == 0) {
            Pairs_Disable(ha, ba, hb, bb);
        } else if (how == 1) {
            Pairs_Remove_Box(ha, ba);
        } else {
            Set(many, 2, {50, 0, 0, 60, 10, 10}); // ends the pair at the head in the sweep
            Pairs_Sweep();
        }
        EXPECT_EQ(Pairs.last_node, nullptr);
        // Position 1 now counts from the head again.
        const int32_t r = Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 1);
        EXPECT_EQ(r, Pairs.active_count > 1 ? 0 : -1);
        Pairs_Free();
        ASSERT_EQ(Pairs_Init(16), 0);
        for (int b = 0; b < 3; b++) {
            Set(many, b, {0, 0, 0, 10, 10, 10});
            ASSERT_EQ(Pairs_Add_Box(many, b), 0);
        }
        Pairs_Sweep();
    }
}

// The pairs run the closest-feature walk on the boxes' world corners and truncate the points.
TEST_F(PairsTest, ContactsAndTestsGiveTheNearestPointsTruncated)
{
    auto place = [](OBJ_Handle h, int b, float x0, float y0, float z0, float x1, float y1, float z1) {
        const BoxSpec corners = BoxAround({(x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2}, {(x1 - x0) / 2, (y1 - y0) / 2, (z1 - z0) / 2});
        std::memcpy(Get_Box(h, b) + BOX_WORLD, corners.data(), 96);
        Set(h, b, {x0, y0, z0, x1, y1, z1});
    };
    place(many, 0, 0.5f, 0.5f, 0.5f, 10.5f, 10.5f, 10.5f);
    place(few, 0, 20.75f, 20.75f, 20.75f, 30, 30, 30);
    ASSERT_EQ(Pairs_Add_Box(few, 0), 0);
    ASSERT_EQ(Pairs_Add_Box(many, 0), 0);
    int32_t pa[3], pb[3];
    ASSERT_EQ(Pairs_Test(many, 0, few, 0, pa, pb), 0);
    EXPECT_EQ(std::vector<int32_t>(pa, pa + 3), (std::vector<int32_t>{10, 10, 10}));
    EXPECT_EQ(std::vector<int32_t>(pb, pb + 3), (std::vector<int32_t>{20, 20, 20}));
    EXPECT_EQ(Pairs_Test(many, 0, few, 1, pa, pb), -1);
    // Overlapping bounds make them a contact; the features stay with the node between calls.
    place(few, 0, 8.25f, 8.25f, 8.25f, 30, 30, 30);
    Pairs_Sweep();
    ASSERT_EQ(Pairs.active_count, 1);
    OBJ_Handle ha, hb;
    int32_t ba, bb;
    ASSERT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 0), 0);
    EXPECT_EQ(std::make_pair(ha, ba), std::make_pair(many, 0)); // pool index 1, the greater
    EXPECT_EQ(std::make_pair(hb, bb), std::make_pair(few, 0));
    const int32_t fa = Pairs.active->feature_first, fb = Pairs.active->feature_second;
    ASSERT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 0), 0);
    EXPECT_EQ(Pairs.active->feature_first, fa);
    EXPECT_EQ(Pairs.active->feature_second, fb);
}

// Level load starts the 3D library again on a cleared area: the pool is empty and takes new boxes.
TEST_F(PairsTest, Init3DEmptiesThePool)
{
    for (int b = 0; b < 3; b++) {
        Set(many, b, {0, 0, 0, 10, 10, 10});
        ASSERT_EQ(Pairs_Add_Box(many, b), 0);
    }
    Pairs_Disable(many, 0, many, 1);
    Pairs_Sweep();
    OBJ_Handle ha, hb;
    int32_t ba, bb, pa[3], pb[3];
    ASSERT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 0), 0);
    Init_3D(Work_Area, Work_Size);
    EXPECT_EQ(Pairs.count, 0);
    EXPECT_EQ(Pairs.active, nullptr);
    EXPECT_EQ(Pairs.active_count, 0);
    EXPECT_EQ(Pairs.last_node, nullptr);
    EXPECT_EQ(Byte(1, 0), 0);
    ExpectConsistent();
    EXPECT_EQ(Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, 1), -1);
    ObjectSpec root, m;
    root.name = "again";
    m.name = "Two";
    m.parent = 0;
    m.boxes = 2;
    const OBJ_Handle scene = area.Load("again.3dc", HierarchyImage({root, m}, {}));
    ASSERT_GE(scene, 0);
    Set(scene + 1, 0, {0, 0, 0, 10, 10, 10});
    Set(scene + 1, 1, {0, 0, 0, 10, 10, 10});
    ASSERT_EQ(Pairs_Add_Box(scene + 1, 0), 0);
    ASSERT_EQ(Pairs_Add_Box(scene + 1, 1), 0);
    Pairs_Sweep();
    EXPECT_EQ(Pairs.active_count, 1);
}

// 40 boxes moving, growing and shrinking for 500 sweeps, with registrations, removals, enables and
// disables, against the overlap of their bounds computed pair by pair.
TEST(PairsBruteForce, TheSweepAgreesWithEveryPairTestedByItsBounds)
{
    SceneArea area;
    ObjectSpec root, m;
    root.name = "brute";
    m.name = "Many";
    m.parent = 0;
    m.boxes = 40;
    const OBJ_Handle h = area.Load("brute.3dc", HierarchyImage({root, m}, {})) + 1;
    ASSERT_EQ(Get_Box_Count(h), 40);
    ASSERT_EQ(Pairs_Init(40), 0);
    std::mt19937 rng(20240601);
    auto coord = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    std::vector<Bounds> bounds(40);
    std::vector<bool> registered(40, false);
    std::set<std::pair<int, int>> disabled; // by box index, smaller first
    auto write = [&](int b) {
        uint8_t *box = Get_Box(h, b);
        std::memcpy(box + BOX_MINIMUM, bounds[size_t(b)].data(), 12);
        std::memcpy(box + BOX_MAXIMUM, bounds[size_t(b)].data() + 3, 12);
    };
    for (int b = 0; b < 40; b++) {
        for (int k = 0; k < 3; k++) {
            // Whole numbers on a coarse grid, so that touching bounds come up often.
            bounds[size_t(b)][size_t(k)] = float(int(coord(0, 20)) * 10);
            bounds[size_t(b)][size_t(k + 3)] = bounds[size_t(b)][size_t(k)] + float(int(coord(1, 6)) * 10);
        }
        write(b);
        if (b < 30) {
            ASSERT_EQ(Pairs_Add_Box(h, b), 0);
            registered[size_t(b)] = true;
        }
    }
    for (int sweep = 0; sweep < 500; sweep++) {
        for (int b = 0; b < 40; b++) {
            const int what = int(coord(0, 10));
            Bounds &v = bounds[size_t(b)];
            for (int k = 0; k < 3; k++) {
                if (what < 5) { // move
                    const float d = float(int(coord(-2, 3)) * 5);
                    v[size_t(k)] += d;
                    v[size_t(k + 3)] += d;
                } else if (what < 7) { // grow or shrink
                    v[size_t(k + 3)] = std::max(v[size_t(k)], v[size_t(k + 3)] + float(int(coord(-2, 3)) * 5));
                }
            }
            write(b);
        }
        for (int step = 0; step < 3; step++) {
            const int b = int(coord(0, 40)), c = int(coord(0, 40));
            const int op = int(coord(0, 4));
            if (op == 0 && !registered[size_t(b)]) {
                ASSERT_EQ(Pairs_Add_Box(h, b), 0);
                registered[size_t(b)] = true;
                for (int o = 0; o < 40; o++) {
                    disabled.erase({std::min(b, o), std::max(b, o)});
                }
            } else if (op == 1 && registered[size_t(b)]) {
                Pairs_Remove_Box(h, b);
                registered[size_t(b)] = false;
                EXPECT_EQ(Pairs_Find(h, b), -1);
            } else if (op == 2 && b != c && registered[size_t(b)] && registered[size_t(c)]) {
                ASSERT_EQ(Pairs_Disable(h, b, h, c), 0);
                disabled.insert({std::min(b, c), std::max(b, c)});
            } else if (op == 3 && b != c && registered[size_t(b)] && registered[size_t(c)]) {
                ASSERT_EQ(Pairs_Enable(h, b, h, c), 0);
                disabled.erase({std::min(b, c), std::max(b, c)});
            }
        }
        Pairs_Sweep();
        std::set<std::pair<int32_t, int32_t>> expected;
        for (int a = 0; a < 40; a++) {
            for (int b = a + 1; b < 40; b++) {
                if (!registered[size_t(a)] || !registered[size_t(b)]) {
                    continue;
                }
                const int32_t ia = Pairs_Find(h, a), ib = Pairs_Find(h, b);
                uint8_t bits = 0;
                for (int k = 0; k < 3; k++) {
                    const Bounds &x = bounds[size_t(a)], &y = bounds[size_t(b)];
                    if (x[size_t(k)] <= y[size_t(k + 3)] && y[size_t(k)] <= x[size_t(k + 3)]) {
                        bits |= uint8_t(1 << k);
                    }
                }
                const uint8_t byte = Pairs.flags[Pair_Byte(std::max(ia, ib), std::min(ia, ib))];
                ASSERT_EQ(byte & 7, bits) << "sweep " << sweep << " boxes " << a << " " << b;
                ASSERT_EQ((byte & PAIR_DISABLED) != 0, disabled.count({a, b}) == 1) << "sweep " << sweep;
                if (bits == 7 && disabled.count({a, b}) == 0) {
                    expected.insert({std::max(ia, ib), std::min(ia, ib)});
                }
            }
        }
        bool twice = false;
        ASSERT_EQ(PairsTest::Active(&twice), expected) << "sweep " << sweep;
        ASSERT_FALSE(twice) << "sweep " << sweep;
        ASSERT_EQ(Pairs.active_count, int32_t(expected.size())) << "sweep " << sweep;
    }
    ExpectConsistent();
    Pairs_Free();
}

} // namespace
