// The project database: zero-run packing, kalder.dat loading and its damage, switching projects,
// writing the database back, and the built-in titles.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "editor/edt.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/level_writer.h"
#include "tests/support/file_kinds.h"
#include "tests/support/temp_drives.h"
#include "world/prj.h"

using kalder_test::BlankEditorRecord;
using kalder_test::KalderDatWriter;
using kalder_test::LevelRecordBuilder;
using kalder_test::ZeroRunPack;
namespace level = kalder_test::level;

namespace {

const char kDataMissing[] = "Error: information on disk/cdrom is corrupted or cannot be found...\n";

std::vector<uint8_t> bytes_of(const LevelRecord &record)
{
    const uint8_t *p = reinterpret_cast<const uint8_t *>(&record);
    return {p, p + sizeof record};
}

int32_t table_entry(int i)
{
    int32_t value;
    std::memcpy(&value, PRJ_Database + 4 * i, sizeof value);
    return value;
}

// The record a project is expected to hold: its name, in use, and a few numbers of its own.
std::vector<uint8_t> project(int n)
{
    return LevelRecordBuilder(BlankEditorRecord())
        .Name("Project" + std::to_string(n))
        .InUse()
        .I32(level::kDataPart, n % 7)
        .I32s(level::kStartPosition, {n, -160, 3 * n})
        .Exit(0, "EXIT1", "Project" + std::to_string(n + 1), 1, {1200, -1000, -300}, {1600, 1000, 300})
        .Bytes();
}

// Projects 0..9 by name, record 40 with a name that fills its field, 41 with a 12-character name.
KalderDatWriter test_database()
{
    KalderDatWriter db;
    for (int n = 0; n < 10; n++) {
        db.records[size_t(n)] = project(n);
    }
    db.records[40] = LevelRecordBuilder(project(40)).Name("ABCDEFGHIJKLMNOPQRST").Bytes();
    db.records[41] = LevelRecordBuilder(project(41)).Name("Project12345").Bytes();
    return db;
}

struct PrjTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        // The game reads kalder.dat from the current directory: the disc root.
        ASSERT_EQ(PLAT_SetDrive('D'), 0);
        test::SetExitHook(test::ThrowOnExit);
        EDT_Active = 0;
        EDT_Modified = 1;
        std::memset(PRJ_PreviousName, 0, sizeof PRJ_PreviousName);
        PRJ_ReturnedToPrevious = 0;
        PRJ_Current = &PRJ_CurrentRecord;
    }
    void TearDown() override
    {
        EDT_Active = 0;
        drives.reset();
        kalder_test::ResetCore();
    }

    void load(const KalderDatWriter &db) { load_image(db.Image()); }
    void load_image(const std::vector<uint8_t> &image)
    {
        drives->Write('D', "kalder.dat", image);
        PRJ_LoadDatabase();
    }

    // Runs the call, which must stop the game with the missing-data text and 999.
    static void expect_data_stop(const std::function<void()> &call)
    {
        size_t boxes = test::MessageBoxes().size();
        try {
            call();
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
        }
        ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(test::MessageBoxes().back().text, kDataMissing);
        EXPECT_EQ(test::MessageBoxes().back().title, "Error");
    }

    // Makes project n current, as the end of a fade does.
    static void enter(const std::string &name)
    {
        std::string copy = name;
        LevelRecord *record = PRJ_SwitchTo(copy.data(), copy.size() + 1);
        ASSERT_NE(record, nullptr) << name;
        PRJ_MakeCurrent(record);
    }

    std::unique_ptr<kalder_test::TempDrives> drives;
};

// --- Zero-run packing ---

std::vector<uint8_t> filled(uint8_t value) { return std::vector<uint8_t>(8704, value); }

std::vector<uint8_t> alternating()
{
    std::vector<uint8_t> r(8704);
    for (size_t i = 0; i < r.size(); i++) {
        r[i] = (i % 2) ? 0x5A : 0;
    }
    return r;
}

std::vector<uint8_t> with_zero_run(size_t at, size_t length)
{
    std::vector<uint8_t> r = filled(0x11);
    std::fill(r.begin() + long(at), r.begin() + long(at + length), 0);
    return r;
}

TEST(PrjPackTest, PacksAndUnpacksEachKindOfRecordAsTheWriterDoes)
{
    struct Case {
        const char *what;
        std::vector<uint8_t> record;
        size_t packed;
    } cases[] = {
        {"all zeros: 34 pairs of 255 and one of 34", filled(0), 70},
        {"a run of exactly 255 zeros: one pair", with_zero_run(100, 255), 8704 - 255 + 2},
        {"a run of 256 zeros: pairs of 255 and 1", with_zero_run(100, 256), 8704 - 256 + 4},
        {"no zeros at all", filled(0xFF), 8704},
        {"zero and non-zero bytes alternating: the worst case", alternating(), size_t(PRJ_PACKED_MAX)},
        {"a zero run at the very end", with_zero_run(8704 - 3, 3), 8701 + 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> packed(PRJ_PACKED_MAX);
        int32_t n = PRJ_PackRecord(packed.data(), packed.size(), c.record.data(), int32_t(c.record.size()));
        ASSERT_EQ(n, int32_t(c.packed));
        packed.resize(size_t(n));
        EXPECT_EQ(packed, ZeroRunPack(c.record));

        std::vector<uint8_t> unpacked(8704, 0xEE);
        EXPECT_EQ(PRJ_UnpackRecord(unpacked.data(), unpacked.size(), packed.data(), n), 8704);
        EXPECT_EQ(unpacked, c.record);
    }
    std::vector<uint8_t> pairs = ZeroRunPack(filled(0));
    EXPECT_EQ(pairs[0], 0);
    EXPECT_EQ(pairs[1], 255);
    EXPECT_EQ(pairs[68], 0);
    EXPECT_EQ(pairs[69], 34);
}

TEST(PrjPackTest, SeededRandomRecordsRoundTrip)
{
    std::mt19937 random(1997);
    for (int round = 0; round < 50; round++) {
        std::vector<uint8_t> record(8704);
        for (size_t i = 0; i < record.size();) {
            // Runs of zeros of any length between stretches of text, as real records have.
            size_t length = 1 + random() % (random() % 2 ? 600 : 12);
            bool zero = random() % 2;
            for (size_t k = 0; k < length && i < record.size(); k++, i++) {
                record[i] = zero ? 0 : uint8_t(1 + random() % 255);
            }
        }
        std::vector<uint8_t> packed(PRJ_PACKED_MAX);
        int32_t n = PRJ_PackRecord(packed.data(), packed.size(), record.data(), 8704);
        ASSERT_GT(n, 0);
        packed.resize(size_t(n));
        ASSERT_EQ(packed, ZeroRunPack(record)) << "round " << round;
        std::vector<uint8_t> unpacked(8704);
        ASSERT_EQ(PRJ_UnpackRecord(unpacked.data(), unpacked.size(), packed.data(), n), 8704);
        ASSERT_EQ(unpacked, record) << "round " << round;
    }
}

TEST(PrjPackTest, PackingRefusesADestinationTooSmallAndWritesNothingPastIt)
{
    std::vector<uint8_t> record = alternating();
    std::vector<uint8_t> room(PRJ_PACKED_MAX + 8, 0xEE);
    EXPECT_EQ(PRJ_PackRecord(room.data(), PRJ_PACKED_MAX - 1, record.data(), 8704), -1);
    for (size_t i = PRJ_PACKED_MAX - 1; i < room.size(); i++) {
        ASSERT_EQ(room[i], 0xEE) << i;
    }
    EXPECT_EQ(PRJ_PackRecord(room.data(), PRJ_PACKED_MAX, record.data(), 8704), PRJ_PACKED_MAX);
    // A zero run needs both bytes of its pair.
    std::vector<uint8_t> zeros(10, 0);
    EXPECT_EQ(PRJ_PackRecord(room.data(), 1, zeros.data(), 10), -1);
}

TEST(PrjPackTest, UnpackingStopsAtTheCapacityAndAtTheEndOfTheSource)
{
    struct Case {
        const char *what;
        std::vector<uint8_t> packed;
        size_t capacity;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"a count of 0 writes nothing", {'A', 0, 0, 'B'}, 16, {'A', 'B'}},
        {"a trailing zero without its count ends the record", {'A', 'B', 0}, 16, {'A', 'B'}},
        {"a run is cut at the capacity", {'A', 0, 200}, 5, {'A', 0, 0, 0, 0}},
        {"text is cut at the capacity", {'A', 'B', 'C', 'D'}, 2, {'A', 'B'}},
        {"nothing to unpack", {}, 16, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> out(c.capacity + 4, 0xEE);
        int32_t n = PRJ_UnpackRecord(out.data(), c.capacity, c.packed.data(), int32_t(c.packed.size()));
        ASSERT_EQ(n, int32_t(c.expected.size()));
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + n), c.expected);
        for (size_t i = size_t(n); i < out.size(); i++) {
            EXPECT_EQ(out[i], 0xEE) << i;
        }
    }
    // 36 runs of 250 would make 9000 bytes: the record stops at 8704.
    std::vector<uint8_t> packed;
    for (int i = 0; i < 36; i++) {
        packed.push_back(0);
        packed.push_back(250);
    }
    std::vector<uint8_t> out(8704 + 16, 0xEE);
    EXPECT_EQ(PRJ_UnpackRecord(out.data(), 8704, packed.data(), int32_t(packed.size())), 8704);
    EXPECT_EQ(out[8703], 0);
    EXPECT_EQ(out[8704], 0xEE);
}

// --- Loading ---

TEST_F(PrjTest, LoadingMakesRecordZeroCurrentWithItsLoadPending)
{
    KalderDatWriter db = test_database();
    db.records[0] = LevelRecordBuilder(db.records[0]).I32(level::kDataPart, 5).Text(level::kFilm, 16, "intro.hnm").Bytes();
    PRJ_PendingFlag = 0;
    PRJ_Next = nullptr;
    load(db);

    EXPECT_EQ(PRJ_Current, &PRJ_CurrentRecord);
    EXPECT_EQ(bytes_of(PRJ_CurrentRecord), db.records[0]);
    EXPECT_STREQ(PRJ_Current->name, "Project0");
    EXPECT_STREQ(PRJ_Current->film_name, "intro.hnm");
    EXPECT_EQ(PRJ_GetDataPart(), 5);
    EXPECT_EQ(PRJ_PendingFlag, 1);
    EXPECT_EQ(PRJ_Next, PRJ_Current);
    EXPECT_EQ(EDT_Modified, 0);
    EXPECT_TRUE(test::MessageBoxes().empty());
    EXPECT_EQ(test::OpenFileCount(), 0);

    // The table runs the packed records back to back; its entry 150 is their total length.
    size_t total = 0;
    for (int i = 0; i < 150; i++) {
        EXPECT_EQ(table_entry(i), int32_t(total)) << i;
        total += ZeroRunPack(db.records[size_t(i)]).size();
    }
    EXPECT_EQ(table_entry(150), int32_t(total));
}

// Records whose packed lengths add up to the whole data area.
KalderDatWriter full_database()
{
    KalderDatWriter db;
    auto record_packing_to = [](size_t length, int n) {
        // k non-zero bytes, then zeros: k + 2 * ceil((8704 - k) / 255) packed bytes.
        for (size_t k = 0; k <= 8704; k++) {
            size_t packed = k + 2 * ((8704 - k + 254) / 255);
            if (packed == length) {
                std::vector<uint8_t> r(8704, 0);
                for (size_t i = 0; i < k; i++) {
                    r[i] = uint8_t(1 + (i + size_t(n)) % 255);
                }
                return r;
            }
        }
        return std::vector<uint8_t>();
    };
    size_t left = PRJ_DATA_SIZE;
    for (int n = 0; n < 150; n++) {
        size_t length = n < 149 ? 1012 : left;
        db.records[size_t(n)] = record_packing_to(length, n);
        left -= length;
    }
    return db;
}

TEST_F(PrjTest, AFileLongerThanTheDatabaseIsReadOnlyThatFar)
{
    KalderDatWriter db = full_database();
    for (const std::vector<uint8_t> &r : db.records) {
        ASSERT_EQ(r.size(), 8704u) << "no record packs to the length wanted";
    }
    db.append.assign(100, 0xAB);
    std::vector<uint8_t> image = db.Image();
    ASSERT_EQ(image.size(), size_t(PRJ_DATABASE_SIZE) + 100);
    load_image(image);

    EXPECT_EQ(table_entry(150), PRJ_DATA_SIZE);
    EXPECT_EQ(std::memcmp(PRJ_Database, image.data(), PRJ_DATABASE_SIZE), 0);
    EXPECT_EQ(bytes_of(PRJ_CurrentRecord), db.records[0]);

    // A second, shorter file leaves nothing of the first behind.
    KalderDatWriter small = kalder_test::MinimalDatabase();
    std::vector<uint8_t> small_image = small.Image();
    load_image(small_image);
    EXPECT_EQ(std::memcmp(PRJ_Database, small_image.data(), small_image.size()), 0);
    for (size_t i = small_image.size(); i < size_t(PRJ_DATABASE_SIZE); i++) {
        ASSERT_EQ(PRJ_Database[i], 0) << i;
    }
    EXPECT_STREQ(PRJ_Current->name, "Project0");
}

TEST_F(PrjTest, TheMinimalDatabaseStartsOnProject0)
{
    ASSERT_TRUE(kalder_test::WriteMinimalDatabase(drives->Host('D')));
    PRJ_LoadDatabase();
    EXPECT_STREQ(PRJ_Current->name, "Project0");
    EXPECT_EQ(PRJ_Current->flags & 1, 1);
    EXPECT_EQ(PRJ_Current->film_name[0], '\0');
    char name[] = "EMPTY";
    EXPECT_EQ(PRJ_SwitchTo(name, sizeof name), nullptr);
}

TEST_F(PrjTest, AMissingFileBlanksTheEditorTableAndStops)
{
    std::memset(PRJ_EditorTable, 0x33, sizeof PRJ_EditorTable);
    expect_data_stop([] { PRJ_LoadDatabase(); });
    std::vector<uint8_t> blank = BlankEditorRecord();
    for (int i = 0; i < 150; i++) {
        ASSERT_EQ(bytes_of(PRJ_EditorTable[i]), blank) << i;
    }
}

TEST_F(PrjTest, EachDamageOfTheFileStopsTheGame)
{
    const size_t good_size = test_database().Image().size();
    const int32_t entry150 = int32_t(good_size) - 1024;
    std::vector<uint8_t> short_record = BlankEditorRecord();
    short_record.pop_back();
    std::vector<uint8_t> long_record = BlankEditorRecord();
    long_record.push_back(0);
    std::vector<uint8_t> dangling = ZeroRunPack(BlankEditorRecord());
    dangling.push_back(0);

    struct Case {
        const char *what;
        std::function<void(KalderDatWriter &)> damage;
    } cases[] = {
        {"1023 bytes: no whole offset table", [](KalderDatWriter &db) { db.truncate_at = 1023; }},
        {"an empty file", [](KalderDatWriter &db) { db.truncate_at = 0; }},
        {"a negative first entry", [](KalderDatWriter &db) { db.offset_overrides[0] = -1; }},
        {"an entry below the one before it",
         [](KalderDatWriter &db) { db.offset_overrides[77] = 0; }},
        {"entry 150 past the bytes read", [&](KalderDatWriter &db) { db.offset_overrides[150] = entry150 + 1; }},
        {"the file cut inside the last record", [&](KalderDatWriter &db) { db.truncate_at = int64_t(good_size) - 1; }},
        {"entry 150 far past the database",
         [](KalderDatWriter &db) { db.offset_overrides[150] = 0x7FFFFFFF; }},
        {"record 0 unpacks to 8703 bytes", [&](KalderDatWriter &db) { db.records[0] = short_record; }},
        {"record 0 unpacks to 8705 bytes", [&](KalderDatWriter &db) { db.records[0] = long_record; }},
        {"record 77 unpacks to 8703 bytes", [&](KalderDatWriter &db) { db.records[77] = short_record; }},
        {"record 77 unpacks to 8705 bytes", [&](KalderDatWriter &db) { db.records[77] = long_record; }},
        {"record 149 ends in a zero without its count",
         [&](KalderDatWriter &db) { db.raw_records[149] = dangling; }},
        {"record 3 packed as nothing", [](KalderDatWriter &db) { db.raw_records[3] = {}; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KalderDatWriter db = test_database();
        c.damage(db);
        drives->Write('D', "kalder.dat", db.Image());
        expect_data_stop([] { PRJ_LoadDatabase(); });
        EXPECT_EQ(test::OpenFileCount(), 0);
    }
}

TEST_F(PrjTest, ADatabaseThatIsNotAPlainFileCountsAsMissingWithoutWaiting)
{
    const std::vector<uint8_t> image = test_database().Image();
    const std::string path = drives->Host('D') + "/kalder.dat";
    for (const kalder_test::FileKindCase &c : kalder_test::FileKinds()) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(path);
        if (!kalder_test::MakeFileOfKind(path, c.kind, image)) {
            ASSERT_EQ(c.kind, kalder_test::FileKind::Socket) << "the system refused";
            continue;
        }
        if (c.kind == kalder_test::FileKind::LinkToFile) {
            PRJ_LoadDatabase();
            EXPECT_EQ(bytes_of(PRJ_CurrentRecord), project(0));
        } else {
            expect_data_stop([] { PRJ_LoadDatabase(); });
        }
        EXPECT_EQ(test::OpenFileCount(), 0);
    }
}

TEST_F(PrjTest, AStopForMissingDataEndsTheProcessWithTheLow8BitsOf999)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::SetExitHook(nullptr);
    EXPECT_EXIT(PRJ_LoadDatabase(), ::testing::ExitedWithCode(231), "");
}

// --- Switching ---

TEST_F(PrjTest, SwitchingFindsARecordByNameAndRemembersTheProjectLeft)
{
    load(test_database());
    enter("Project3");
    ASSERT_STREQ(PRJ_Current->name, "Project3");

    // The current project's own name: a fresh copy, and the previous name becomes that same name.
    std::memset(&PRJ_SwitchBuffer, 0x44, sizeof PRJ_SwitchBuffer);
    char own[] = "Project3";
    LevelRecord *record = PRJ_SwitchTo(own, sizeof own);
    ASSERT_EQ(record, &PRJ_SwitchBuffer);
    EXPECT_NE(record, PRJ_Current);
    EXPECT_EQ(bytes_of(*record), project(3));
    EXPECT_STREQ(PRJ_PreviousName, "Project3");
    EXPECT_EQ(PRJ_ReturnedToPrevious, 0);

    // From Project3 to Project7, then "EMPTY": back to Project3.
    char seven[] = "Project7";
    PRJ_MakeCurrent(PRJ_SwitchTo(seven, sizeof seven));
    ASSERT_STREQ(PRJ_Current->name, "Project7");
    EXPECT_STREQ(PRJ_PreviousName, "Project3");
    char empty[12] = "EMPTY";
    record = PRJ_SwitchTo(empty, sizeof empty);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(bytes_of(*record), project(3));
    EXPECT_EQ(PRJ_ReturnedToPrevious, 1);
    EXPECT_STREQ(empty, "Project3");
    // The fall-back does not move the previous name.
    EXPECT_STREQ(PRJ_PreviousName, "Project3");

    // A successful switch clears the mark again.
    char two[] = "Project2";
    ASSERT_NE(PRJ_SwitchTo(two, sizeof two), nullptr);
    EXPECT_EQ(PRJ_ReturnedToPrevious, 0);
}

TEST_F(PrjTest, ANameThatIsNotFoundFallsBackToThePreviousProject)
{
    load(test_database());
    enter("Project3");
    enter("Project7");
    struct Case {
        const char *what;
        std::string request;
        size_t buffer;
        std::string written; // what the buffer holds afterwards
    } cases[] = {
        {"an unknown name", "Project99", 12, "Project3"},
        {"the name in another case", "project5", 12, "Project3"},
        {"EMPTY, although many records are named so", "EMPTY", 12, "Project3"},
        {"a 6-byte buffer gets what fits", "Nowhere", 6, "Proje"},
        {"a 21-character request that begins with a 20-character name", "ABCDEFGHIJKLMNOPQRSTU", 22,
         "Project3"},
        {"an empty name", "", 12, "Project3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> buffer(c.buffer + 4, 'x');
        std::memcpy(buffer.data(), c.request.c_str(), std::min(c.request.size() + 1, c.buffer));
        LevelRecord *record = PRJ_SwitchTo(buffer.data(), c.buffer);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(bytes_of(*record), project(3));
        EXPECT_EQ(PRJ_ReturnedToPrevious, 1);
        EXPECT_EQ(std::string(buffer.data()), c.written);
        for (size_t i = c.buffer; i < buffer.size(); i++) {
            EXPECT_EQ(buffer[i], 'x') << "written past the buffer at " << i;
        }
    }
}

TEST_F(PrjTest, NamesAreComparedAsBoundedFields)
{
    load(test_database());
    // A name that fills its 20 bytes has no NUL: the flags byte follows it.
    char full[] = "ABCDEFGHIJKLMNOPQRST";
    LevelRecord *record = PRJ_SwitchTo(full, sizeof full);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(bytes_of(*record), LevelRecordBuilder(project(40)).Name("ABCDEFGHIJKLMNOPQRST").Bytes());
    EXPECT_EQ(PRJ_ReturnedToPrevious, 0);
    // Only the 20 name bytes of the current record become the previous name.
    PRJ_MakeCurrent(record);
    char one[] = "Project1";
    ASSERT_NE(PRJ_SwitchTo(one, sizeof one), nullptr);
    EXPECT_STREQ(PRJ_PreviousName, "ABCDEFGHIJKLMNOPQRST");

    // An exit's 12-byte target field filled to the end is read no further than its size.
    char target[12];
    std::memcpy(target, "Project12345", 12);
    record = PRJ_SwitchTo(target, sizeof target);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::string(record->name), "Project12345");
    EXPECT_EQ(PRJ_ReturnedToPrevious, 0);

    // A 12-byte target field receives a fall-back name whole.
    enter("Project3");
    enter("Project5");
    char exit_target[12] = "Nowhere";
    ASSERT_NE(PRJ_SwitchTo(exit_target, sizeof exit_target), nullptr);
    EXPECT_STREQ(exit_target, "Project3");
}

TEST_F(PrjTest, TheEditorAndAMissingPreviousProjectGetNoRecord)
{
    load(test_database());
    enter("Project3");
    enter("Project7");

    EDT_Active = 1;
    char name[12] = "Nowhere";
    EXPECT_EQ(PRJ_SwitchTo(name, sizeof name), nullptr);
    EXPECT_STREQ(name, "Nowhere");
    EXPECT_EQ(PRJ_ReturnedToPrevious, 0);
    char found[] = "Project4";
    EXPECT_NE(PRJ_SwitchTo(found, sizeof found), nullptr);
    EDT_Active = 0;

    // The previous project is gone from the database: no record, and the caller keeps its project.
    std::strcpy(PRJ_PreviousName, "Project77");
    char lost[12] = "Nowhere";
    EXPECT_EQ(PRJ_SwitchTo(lost, sizeof lost), nullptr);
    EXPECT_STREQ(lost, "Project77");
    EXPECT_EQ(PRJ_ReturnedToPrevious, 0);
}

TEST_F(PrjTest, MakingTheCurrentRecordCurrentChangesNothing)
{
    load(test_database());
    enter("Project6");
    std::vector<uint8_t> before = bytes_of(PRJ_CurrentRecord);
    PRJ_MakeCurrent(PRJ_Current);
    PRJ_MakeCurrent(nullptr);
    EXPECT_EQ(bytes_of(PRJ_CurrentRecord), before);
    EXPECT_EQ(PRJ_Current, &PRJ_CurrentRecord);
    EXPECT_EQ(PRJ_GetDataPart(), 6);
}

// --- Writing the database ---

TEST_F(PrjTest, PackingTheEditorTableGivesTheWritersFile)
{
    KalderDatWriter db = test_database();
    db.records[90] = alternating();
    for (int i = 0; i < 150; i++) {
        std::memcpy(&PRJ_EditorTable[i], db.records[size_t(i)].data(), sizeof(LevelRecord));
    }
    std::vector<uint8_t> image = db.Image();
    ASSERT_EQ(PRJ_PackDatabase(), int32_t(image.size()));
    EXPECT_EQ(std::vector<uint8_t>(PRJ_Database, PRJ_Database + image.size()), image);

    // What was packed is what a later switch finds.
    char name[] = "Project9";
    LevelRecord *record = PRJ_SwitchTo(name, sizeof name);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(bytes_of(*record), project(9));
}

TEST_F(PrjTest, AnEditorTableTooLargeForTheDatabaseLeavesItUnchanged)
{
    load(test_database());
    std::vector<uint8_t> before(PRJ_Database, PRJ_Database + PRJ_DATABASE_SIZE);
    // 17 records without a zero byte already exceed the data area.
    PRJ_ClearEditorTable();
    for (int i = 0; i < 18; i++) {
        std::memset(&PRJ_EditorTable[i], 'z', sizeof(LevelRecord));
    }
    EXPECT_EQ(PRJ_PackDatabase(), 0);
    EXPECT_EQ(std::vector<uint8_t>(PRJ_Database, PRJ_Database + PRJ_DATABASE_SIZE), before);
    // All records at their worst would need far more than the file holds.
    for (int i = 0; i < 150; i++) {
        std::memcpy(&PRJ_EditorTable[i], alternating().data(), sizeof(LevelRecord));
    }
    EXPECT_EQ(PRJ_PackDatabase(), 0);
    EXPECT_EQ(std::vector<uint8_t>(PRJ_Database, PRJ_Database + PRJ_DATABASE_SIZE), before);
}

TEST_F(PrjTest, ClearingTheEditorTableBlanksEveryRecord)
{
    std::memset(PRJ_EditorTable, 0x5C, sizeof PRJ_EditorTable);
    PRJ_ClearEditorTable();
    std::vector<uint8_t> blank = BlankEditorRecord();
    for (int i = 0; i < 150; i++) {
        ASSERT_EQ(bytes_of(PRJ_EditorTable[i]), blank) << i;
    }
}

// --- Titles ---

TEST(PrjTitleTest, TitlesAreFoundByTheExactInternalName)
{
    struct Case {
        const char *name;
        const char *title;
    } cases[] = {
        {"Project0", "Level 0"},
        {"Project42", "Level 42"},
        {"Project149", "Level 149"},
        {"project0", nullptr},
        {"", nullptr},
        {"Project150", nullptr},
        {"Project1 ", nullptr},
        {"Project01", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const char *title = PRJ_FindTitle(c.name);
        if (c.title == nullptr) {
            EXPECT_EQ(title, nullptr);
        } else {
            ASSERT_NE(title, nullptr);
            EXPECT_STREQ(title, c.title);
        }
    }
    // Every row is NUL-padded to its 21 bytes.
    for (int i = 0; i < 300; i++) {
        ASSERT_EQ(PRJ_TitleTable[i][20], '\0') << i;
    }
    EXPECT_STREQ(PRJ_TitleTable[0], "Project0");
    EXPECT_STREQ(PRJ_TitleTable[149], "Project149");
    EXPECT_STREQ(PRJ_TitleTable[150], "Level 0");
    EXPECT_STREQ(PRJ_TitleTable[299], "Level 149");
}

} // namespace
