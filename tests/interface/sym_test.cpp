// Symbol selection lists: opening and closing, the items' paths, the said steps and the choice rows,
// the player's input, and owner data that is damaged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "interface/sym.h"
#include "plat/test.h"
#include "tests/interface/hud_recorder.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/engine_area.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/symbol_writer.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/sym.h"

namespace {

using hud_recorder::Kind;
using kalder_test::SymbolFileBuilder;
using namespace kalder_test::sym_word;

struct Row {
    std::string text;
    int32_t x, y, style;
    bool operator==(const Row &) const = default;
};

void PrintTo(const Row &r, std::ostream *os) { *os << '"' << r.text << "\" at " << r.x << "," << r.y << " style " << r.style; }

// Greets with three words; "Who" leads to step 2, "Where" to step 4; "Help" is listed by no key
// before the key that ends the search.
std::vector<uint8_t> Conversation()
{
    return SymbolFileBuilder()
        .Step(1, {kWho, kWhere, kHelp}, "Hello there.")
        .Step(0, {kWho}, "")
        .Step(1, {kTemple, kKey}, "I keep the temple.")
        .Step(0, {kWhere}, "")
        .Step(1, {}, "Far away.")
        .Step(0, {kEnd, kHelp}, "")
        .Bytes();
}

struct Sym : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        engine = std::make_unique<kalder_test::EngineArea>(1 << 20);
        kalder_test::MemFiles_Clear();
        kalder_test::MemFiles_Add("symword.3dc", kalder_test::DemoWordModel());
        Set_File_Source(kalder_test::MemFileSource);
        SYM_Reset();
        hud_recorder::Clear();
        GAME_TimeFactor = 1.0;
        std::memset(CTRL_Controls, 0, sizeof CTRL_Controls);
        ACTOR_InitRecord(&owner);
        ACTOR_InitRecord(&partner);
        owner.position[0] = 1000.0;
        owner.position[1] = 100.0;
        owner.position[2] = -500.0;
        partner.position[0] = -200.0;
        partner.position[1] = 140.0;
        partner.position[2] = 300.0;
        Give(Conversation());
    }
    void TearDown() override
    {
        SYM_ForgetMenus();
        Set_File_Source(nullptr);
        engine.reset();
        kalder_test::ResetCore();
    }

    void Give(const std::vector<uint8_t> &bytes)
    {
        data = bytes;
        owner.symbol_data = data.data();
        owner.symbol_size = uint32_t(data.size());
        owner.flags[1] |= ACTOR_F1_SYMBOLS;
    }

    // One frame of the list; the rows and texts it drew.
    std::vector<Row> Draw()
    {
        hud_recorder::Clear();
        SYM_MenuDraw();
        std::vector<Row> rows;
        for (const hud_recorder::Drawn &d : hud_recorder::Drawings()) {
            if (d.kind == Kind::String) {
                rows.push_back({d.text, d.x, d.y, d.fade});
            }
        }
        return rows;
    }
    // Frames until the choice begins.
    void ToChoice()
    {
        for (int i = 0; i < 1000 && menu().phase == 0; i++) {
            Draw();
        }
        ASSERT_EQ(menu().phase, 1);
        Draw();
    }
    int32_t Input(int32_t control, int32_t bits)
    {
        CTRL_Controls[control] = bits;
        const int32_t taken = SYM_MenuInput(&partner);
        CTRL_Controls[control] = 0;
        return taken;
    }
    int32_t Press(int32_t control) { return Input(control, CTRL_HELD | CTRL_CHANGED); }
    int32_t Choose() { return Input(CTRL_SEL, CTRL_RELEASED | CTRL_CHANGED); }
    static SYM_Menu &menu() { return SYM_Menus[0]; }

    std::unique_ptr<kalder_test::EngineArea> engine;
    std::vector<uint8_t> data;
    ActorRecord owner, partner;
};

// The control points the items fly along, written from their description.
struct Paths {
    double p[4][3];
};

double Angle(int32_t heading) { return (4096 - (heading + 2560) % 4096) * 2.0 * M_PI / 4096.0; }

Paths LinePath(const ActorRecord &a, const ActorRecord &b, int i)
{
    const double g = Angle(b.heading);
    const double *A = a.position, *B = b.position;
    return {{{A[0] + 30 * i, A[1] - 250 + 50 * i, A[2] - 30 * i},
             {A[0] + 400 - 100 * i, A[1] - 600 + 50 * i, A[2] + 400 - 70 * i},
             {B[0] - 300 + 100 * i, B[1] - 150 + 50 * i, B[2] + 250 + 100 * i},
             {B[0] + 150 * cos(g), B[1] - 150 + 50 * i, B[2] + 150 * sin(g)}}};
}

Paths ChoicePath(const ActorRecord &b, int i, bool at_cursor)
{
    const double g = Angle(b.heading), r = at_cursor ? 130 : 150;
    const double *B = b.position;
    const double x = B[0] + r * cos(g), z = B[2] + r * sin(g);
    return {{{x, B[1] - 150 + 50 * i, z}, {x + 200, B[1] - 200 + 60 * i, z}, {x, B[1] - 120 + 40 * i, z + 200},
             {x, B[1] - 150 + 50 * i, z}}};
}

void ExpectPaths(const Paths &want, int i)
{
    for (int k = 0; k < 4; k++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_DOUBLE_EQ(SYM_Menus[0].paths[i][k][c], want.p[k][c]) << "item " << i << " point " << k << " axis " << c;
        }
    }
}

// Where an item stands at t: the cubic's point, truncated.
void ExpectItemAt(const Paths &path, int i, double t)
{
    const double s = 1 - t;
    const double w[4] = {s * s * s, 3 * t * s * s, 3 * t * t * s, t * t * t};
    int32_t position[3];
    ASSERT_EQ(Get_Obj_Pos(SYM_Menus[0].items[i], position), 0);
    for (int c = 0; c < 3; c++) {
        const double v = w[0] * path.p[0][c] + w[1] * path.p[1][c] + w[2] * path.p[2][c] + w[3] * path.p[3][c];
        EXPECT_EQ(position[c], int32_t(std::trunc(v))) << "item " << i << " axis " << c << " at t " << t;
    }
}

TEST_F(Sym, OpenIsRefusedWithoutDataPartnerOrAFreeRecord)
{
    ActorRecord other;
    ACTOR_InitRecord(&other);
    other.flags[1] |= ACTOR_F1_SYMBOLS;
    struct Case {
        const char *what;
        bool flag, partner, taken;
    };
    for (const Case &c : {Case{"no symbol flag", false, true, false}, Case{"no partner", true, false, false},
                          Case{"record taken", true, true, true}}) {
        SCOPED_TRACE(c.what);
        SYM_ForgetMenus();
        ACTOR_InitRecord(&partner);
        owner.symbol_menu = -1;
        owner.flags[1] = c.flag ? ACTOR_F1_SYMBOLS : 0;
        if (c.taken) {
            ASSERT_EQ(SYM_MenuOpen(&other, &other), 1);
            other.symbol_menu = -1;
        }
        const SYM_Menu before = menu();
        EXPECT_EQ(SYM_MenuOpen(&owner, c.partner ? &partner : nullptr), 0);
        EXPECT_EQ(std::memcmp(&before, &menu(), sizeof before), 0);
        EXPECT_EQ(owner.symbol_menu, -1);
        EXPECT_EQ(partner.symbol_menu, -1);
        EXPECT_EQ(SYM_MenuIsOpen(&owner), 0);
    }
    EXPECT_EQ(SYM_MenuOpen(nullptr, &partner), 0);

    SYM_ForgetMenus();
    owner.flags[1] = ACTOR_F1_SYMBOLS;
    menu().phase = 1;
    menu().step = 4;
    menu().depth = 3;
    menu().t = 0.5f;
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    EXPECT_EQ(menu().owner, &owner);
    EXPECT_EQ(menu().partner, &partner);
    EXPECT_EQ(owner.symbol_menu, 0);
    EXPECT_EQ(partner.symbol_menu, 0);
    EXPECT_EQ(SYM_MenuIsOpen(&partner), 1);
    EXPECT_EQ(menu().phase, 0);
    EXPECT_EQ(menu().step, 0);
    EXPECT_EQ(menu().depth, 0);
    EXPECT_EQ(menu().t, 0.0f);
}

TEST_F(Sym, ItemsFlyFromTheOwnerAndCircleBesideThePartner)
{
    // The root's matrix, which every item takes so as to face the camera.
    const int32_t turned[9] = {0, 0, 16384, 0, 16384, 0, -16384, 0, 0};
    Set_Obj_Matrix(0, turned);
    for (const int32_t heading : {0, 1024}) {
        SCOPED_TRACE(heading);
        SYM_ForgetMenus();
        owner.flags[1] |= ACTOR_F1_SYMBOLS;
        partner.heading = heading;
        ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
        Draw();
        ASSERT_EQ(menu().count, 3);
        for (int i = 0; i < 3; i++) {
            ExpectPaths(LinePath(owner, partner, i), i);
            ExpectItemAt(LinePath(owner, partner, i), i, 0.0);
            int32_t m[9];
            Get_Obj_Matrix(menu().items[i], m);
            EXPECT_EQ(std::vector<int32_t>(m, m + 9), std::vector<int32_t>(turned, turned + 9));
        }
        for (const float t : {0.5f, 1.0f}) {
            menu().t = t;
            Draw();
            for (int i = 0; i < 3; i++) {
                ExpectItemAt(LinePath(owner, partner, i), i, t);
            }
        }
        // At the end of the flight the choice begins, placed around the partner, the cursor's item nearer.
        EXPECT_EQ(menu().phase, 1);
        EXPECT_EQ(menu().t, 0.0f);
        Draw();
        for (int i = 0; i < 3; i++) {
            ExpectPaths(ChoicePath(partner, i, i == 0), i);
            ExpectItemAt(ChoicePath(partner, i, i == 0), i, 0.0);
        }
        Press(CTRL_DOWN);
        for (int i = 0; i < 3; i++) {
            ExpectPaths(ChoicePath(partner, i, i == 1), i);
        }
        menu().t = 0.5f;
        Draw();
        ExpectItemAt(ChoicePath(partner, 2, false), 2, 0.5);
        SYM_MenuClose(&owner);
    }
}

TEST_F(Sym, TheSentenceSlidesInWhileTheWordsFly)
{
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    EXPECT_EQ(Draw(), (std::vector<Row>{{"Hello there.", 40, 255, 0}}));
    EXPECT_EQ(menu().text_x, 100);
    EXPECT_EQ(menu().text_y, 240);
    EXPECT_EQ(std::string(menu().text), "Hello there.");
    EXPECT_FLOAT_EQ(menu().t, 0.025f);
    // The speed falls with the distance left, never below 0.005 a time unit.
    float t = menu().t;
    int frames = 1;
    while (menu().phase == 0) {
        const float speed = std::max((1.0 - double(t)) / 40.0, 0.005) * 1.0;
        Draw();
        frames++;
        const int32_t x = std::max(40, int32_t((1.0 - double(t)) * 60.0 + 40.0));
        EXPECT_EQ(menu().text_x, x);
        const float next = std::min(float(double(t) + double(float(speed))), 1.0f);
        t = next >= 1.0f ? 0.0f : next;
        EXPECT_EQ(menu().t, t);
        ASSERT_LT(frames, 1000);
    }
    EXPECT_EQ(menu().text_x, 40);
    EXPECT_EQ(menu().t, 0.0f);
    // The step said once: its items were made once.
    EXPECT_EQ(menu().count, 3);
}

TEST_F(Sym, AnyKeyDuringTheSentenceEndsIt)
{
    struct Case {
        int32_t control, bits;
        bool ends;
    };
    const Case cases[] = {
        {CTRL_UP, CTRL_HELD | CTRL_CHANGED, true},    {CTRL_DOWN, CTRL_HELD | CTRL_CHANGED, true},
        {CTRL_UP, CTRL_RELEASED | CTRL_CHANGED, true}, {CTRL_SEL, CTRL_RELEASED | CTRL_CHANGED, true},
        {CTRL_SEL, CTRL_HELD | CTRL_CHANGED, false},   {CTRL_UP, CTRL_HELD, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "control " << c.control << " bits " << c.bits);
        SYM_ForgetMenus();
        ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
        Draw();
        Draw();
        const float t = menu().t;
        EXPECT_EQ(Input(c.control, c.bits), 1);
        EXPECT_EQ(menu().text_x, c.ends ? 40 : 98);
        EXPECT_EQ(menu().t, c.ends ? 0.99f : t);
        // From 0.99 the words finish their flight in two frames.
        Draw();
        Draw();
        EXPECT_EQ(menu().phase, c.ends ? 1 : 0);
    }
}

TEST_F(Sym, TheChoiceRowsAndTheCursor)
{
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    ToChoice();
    // Step 0: the words, an empty row, "End"; the cursor's row in font 0, the others in font 1.
    EXPECT_EQ(Draw(), (std::vector<Row>{{"Who", 40, 305, 0},
                                        {"Where", 40, 323, 1},
                                        {"Help", 40, 341, 1},
                                        {"End", 40, 377, 1},
                                        {"Hello there.", 40, 255, 0}}));
    struct Move {
        int32_t control;
        int32_t cursor;
    };
    // Three words and "End": down wraps to the first, up from the first selects "End".
    for (const Move m : {Move{CTRL_DOWN, 1}, Move{CTRL_DOWN, 2}, Move{CTRL_DOWN, 3}, Move{CTRL_DOWN, 0},
                         Move{CTRL_UP, 3}, Move{CTRL_UP, 2}}) {
        EXPECT_EQ(Press(m.control), 1);
        EXPECT_EQ(menu().cursor, m.cursor);
    }
    EXPECT_EQ(Draw()[2], (Row{"Help", 40, 341, 0}));

    // "Help" is listed only after the key that ends the search: nothing changes.
    EXPECT_EQ(Choose(), 1);
    EXPECT_EQ(menu().phase, 1);
    EXPECT_EQ(menu().step, 0);
    EXPECT_EQ(menu().depth, 0);
    EXPECT_EQ(menu().count, 3);

    // "Where" matches the key step 3: the step after it is said next.
    Press(CTRL_UP);
    EXPECT_EQ(Choose(), 1);
    EXPECT_EQ(menu().step, 4);
    EXPECT_EQ(menu().depth, 1);
    EXPECT_EQ(menu().history[0], 0);
    EXPECT_EQ(menu().phase, 0);
    EXPECT_EQ(menu().count, 0);
    EXPECT_EQ(menu().t, 0.0f);
    // A later step: no words, then the empty row, "Back" and "End"; "Back" leads to step 0 again.
    ToChoice();
    EXPECT_EQ(Draw(), (std::vector<Row>{{"Back", 40, 323, 0}, {"End", 40, 341, 1}, {"Far away.", 40, 255, 0}}));
    EXPECT_EQ(Choose(), 1);
    EXPECT_EQ(menu().step, 0);
    EXPECT_EQ(menu().depth, 0);
    EXPECT_EQ(menu().phase, 0);

    // "Who" leads to step 2, with two words: "Back" at row 3, "End" at row 4.
    ToChoice();
    Choose();
    ASSERT_EQ(menu().step, 2);
    ToChoice();
    Press(CTRL_DOWN);
    EXPECT_EQ(Draw(), (std::vector<Row>{{"Temple", 40, 305, 1},
                                        {"Key", 40, 323, 0},
                                        {"Back", 40, 359, 1},
                                        {"End", 40, 377, 1},
                                        {"I keep the temple.", 40, 255, 0}}));
    Press(CTRL_DOWN);
    Press(CTRL_DOWN);
    ASSERT_EQ(menu().cursor, 3);
    // "End" takes the owner's symbol flag; the list stays until the creature AI closes it.
    EXPECT_EQ(Choose(), 1);
    EXPECT_EQ(SYM_HasMenu(&owner), 0);
    EXPECT_EQ(menu().owner, &owner);
    EXPECT_EQ(SYM_MenuInput(&partner), 1);
    const OBJ_Handle item = menu().items[0];
    ASSERT_GT(item, 0);
    SYM_MenuClose(&owner);
    EXPECT_EQ(menu().owner, nullptr);
    EXPECT_EQ(menu().count, 0);
    EXPECT_EQ(owner.symbol_menu, -1);
    EXPECT_EQ(partner.symbol_menu, -1);
    EXPECT_EQ(Get_Obj_Pos(item, std::vector<int32_t>(3).data()), -1); // the item was deleted
    EXPECT_EQ(SYM_MenuInput(&partner), 0);
    EXPECT_EQ(Draw(), std::vector<Row>{});
}

TEST_F(Sym, WordItemsAreCopiesOfTheWordModel)
{
    ASSERT_GT(SYM_WordModels[0], 0);
    for (const OBJ_Handle model : SYM_WordModels) {
        EXPECT_EQ(model, SYM_WordModels[0]);
    }
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    Draw();
    for (int i = 0; i < 3; i++) {
        EXPECT_GT(menu().items[i], 0);
        EXPECT_NE(menu().items[i], SYM_WordModels[0]);
    }
    EXPECT_NE(menu().items[0], menu().items[1]);
    SYM_MenuClose(&owner);

    // Without the model the items are copies of the root, which the library refuses: -1, ignored.
    kalder_test::MemFiles_Clear();
    SYM_Reset();
    EXPECT_EQ(SYM_WordModels[15], 0);
    owner.flags[1] |= ACTOR_F1_SYMBOLS;
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    Draw();
    ToChoice();
    EXPECT_EQ(menu().count, 3);
}

TEST_F(Sym, HiddenIdsAndBackAtDepthZero)
{
    Give(SymbolFileBuilder().Step(1, {0x80 | kWho, 0x80 | kWhere}, "Hmm.").Step(0, {kWho}, "").Bytes());
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    ToChoice();
    EXPECT_EQ(menu().count, 0);
    EXPECT_EQ(Draw(), (std::vector<Row>{{"End", 40, 323, 0}, {"Hmm.", 40, 255, 0}}));

    // "Back" with nothing behind it goes to the first history entry and stays at depth 0.
    menu().step = 1;
    menu().depth = 0;
    menu().history[0] = 0;
    menu().cursor = 0;
    EXPECT_EQ(Choose(), 1);
    EXPECT_EQ(menu().step, 0);
    EXPECT_EQ(menu().depth, 0);
    EXPECT_EQ(menu().phase, 0);
}

TEST_F(Sym, ClosingAnActorOutsideTheListAndALevelLoad)
{
    ActorRecord other;
    ACTOR_InitRecord(&other);
    other.flags[1] = ACTOR_F1_SYMBOLS;
    other.symbol_menu = 0; // a stale index: the list is not its own
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    Draw();
    SYM_MenuClose(&other);
    EXPECT_EQ(other.flags[1], 0);
    EXPECT_EQ(menu().owner, &owner);
    EXPECT_EQ(menu().count, 3);
    EXPECT_EQ(partner.symbol_menu, 0);

    // A level load: the list is free and the hero's controls are its own again.
    SYM_Reset();
    EXPECT_EQ(menu().owner, nullptr);
    EXPECT_EQ(SYM_MenuInput(&partner), 0);
    EXPECT_EQ(Draw(), std::vector<Row>{});
    owner.flags[1] |= ACTOR_F1_SYMBOLS;
    EXPECT_EQ(SYM_MenuOpen(&owner, &partner), 1);
}

TEST_F(Sym, DamagedDataEndsEveryWalkInsideIt)
{
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        int32_t count;             // words shown at step 0
        std::string text;          // its sentence
        int32_t choose;            // the row chosen (-1: none)
        int32_t step;              // the step after the choice
    };
    const std::vector<uint8_t> twenty = {kWho, kWhere, kWhy, kHelp, kFire, kVillage, kTemple, kKey, kDoor, kYes,
                                         kNo, kRiver, kWho, kWhere, kWhy, kHelp, kFire, kVillage, kTemple, kKey};
    const Case cases[] = {
        {"a length byte of 0 in the walk",
         SymbolFileBuilder().Step(1, {kWho, kHelp}, "A").RawStep({0, 0, 1, kHelp, 0}).Step(0, {kHelp}, "").Bytes(), 2, "A",
         1, 0},
        {"ids past the end", SymbolFileBuilder().RawStep({30, 1, 20, kWho, kWhere}).Bytes(), 0, "", -1, 0},
        {"ids past the step", SymbolFileBuilder().RawStep({5, 1, 3, kWho, kWhere, kHelp, 0}).Bytes(), 0, "", -1, 0},
        {"a text past the end", SymbolFileBuilder().RawStep({9, 1, 1, kWho, 50, 'a', 'b', 'c'}).Bytes(), 0, "", -1, 0},
        {"a key whose text runs past the end",
         SymbolFileBuilder().Step(1, {kWho}, "B").RawStep({8, 0, 1, kWho, 40, 'x'}).Bytes(), 1, "B", 0, 0},
        {"20 shown ids", SymbolFileBuilder().Step(1, twenty, "C").Step(0, {kEnd}, "").Bytes(), 15, "C", 14, 0},
        {"id 77", SymbolFileBuilder().Step(1, {77}, "D").Step(0, {77}, "").Step(1, {}, "E").Bytes(), 1, "D", 0, 2},
        {"a walk that never meets id 1",
         SymbolFileBuilder().Step(1, {kWho, kHelp}, "F").Step(0, {kWho}, "").Bytes(), 2, "F", 1, 0},
        {"a lone byte", {4}, 0, "", -1, 0},
        {"no data", {}, 0, "", -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SYM_ForgetMenus();
        // A copy of exactly the data's size, so that a read past it is caught.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[c.bytes.size() + 1]);
        if (!c.bytes.empty()) {
            std::memcpy(exact.get(), c.bytes.data(), c.bytes.size());
        }
        owner.symbol_data = c.bytes.empty() ? nullptr : exact.get();
        owner.symbol_size = uint32_t(c.bytes.size());
        owner.flags[1] |= ACTOR_F1_SYMBOLS;
        ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
        Draw();
        EXPECT_EQ(menu().count, c.count);
        EXPECT_EQ(menu().words[c.count], SYM_END_MARK);
        EXPECT_EQ(std::string(menu().text), c.text);
        ToChoice();
        const std::vector<Row> rows = Draw();
        // Empty rows (ids past the table) draw nothing; "End" comes after them and the spacer.
        ASSERT_FALSE(rows.empty());
        const bool unnamed = c.count > 0 && menu().words[0] >= SYM_WORD_COUNT;
        EXPECT_EQ(rows.size(), size_t(unnamed ? 2 : c.count + 2));
        EXPECT_EQ(rows[rows.size() - 2], (Row{"End", 40, 305 + 18 * (c.count + 1), c.count == 0 ? 0 : 1}));
        if (c.choose >= 0) {
            for (int k = 0; k < c.choose; k++) {
                Press(CTRL_DOWN);
            }
            EXPECT_EQ(Choose(), 1);
            EXPECT_EQ(menu().step, c.step);
            EXPECT_EQ(menu().phase, c.step != 0 ? 0 : 1);
        }
        SYM_MenuClose(&owner);
    }
}

TEST_F(Sym, AFullHistoryDropsItsOldestEntry)
{
    // "Who" leads to step 2, "Where" to step 4; both steps offer both words again.
    Give(SymbolFileBuilder()
             .Step(1, {kWho, kWhere}, "0")
             .Step(0, {kWho}, "")
             .Step(1, {kWho, kWhere}, "2")
             .Step(0, {kWhere}, "")
             .Step(1, {kWho, kWhere}, "4")
             .Step(0, {kEnd}, "")
             .Bytes());
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    std::deque<int32_t> history;
    for (int match = 0; match < 17; match++) {
        ToChoice();
        if (match % 2 == 1) {
            Press(CTRL_DOWN);
        }
        const int32_t from = menu().step;
        ASSERT_EQ(Choose(), 1);
        history.push_back(from);
        if (history.size() > 16) {
            history.pop_front();
        }
        EXPECT_EQ(menu().step, match % 2 == 0 ? 2 : 4);
        EXPECT_EQ(menu().depth, int32_t(history.size()));
    }
    EXPECT_EQ(std::vector<int32_t>(menu().history, menu().history + 16), std::vector<int32_t>(history.begin(), history.end()));
    // "Back" returns to the latest steps.
    for (int back = 0; back < 3; back++) {
        ToChoice();
        menu().cursor = menu().count;
        Choose();
        const int32_t latest = history.back();
        history.pop_back();
        EXPECT_EQ(menu().depth, int32_t(history.size()));
        EXPECT_EQ(menu().step, latest);
    }
}

} // namespace
