// Data location on temporary drive trees: the disc and installation search, the disc request, the
// install cache and its copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/cd.h"
#include "core/dsk.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "plat/cd.h"
#include "plat/files.h"
#include "plat/test.h"
#include "plat/time.h"
#include "tests/support/core_state.h"
#include "tests/support/install_writer.h"
#include "tests/support/file_kinds.h"
#include "tests/support/neighbours.h"
#include "tests/support/temp_drives.h"
#include "world/prj.h"

namespace fs = std::filesystem;
using kalder_test::TempDrives;

namespace {

const char kNoDisc[] = "Error: your CDROM does not contain a CD of KALDER...\n";
const char kNotInstalled[] = "Error: Kalder is not installed on your disk...\n";
const char kCopyError[] = "Error:  !\nAn error occurred while copying files to the hard disk...\n"
                          "please check your available hard drive space ...\n";

std::vector<uint8_t> bytes_of(const std::string &text) { return {text.begin(), text.end()}; }

int verbs_of(test::CdVerb verb)
{
    int n = 0;
    for (const test::CdCommand &c : test::CdCommands()) {
        n += c.verb == verb ? 1 : 0;
    }
    return n;
}

// Bytes that differ from one position to the next, so that a misplaced chunk shows.
std::vector<uint8_t> pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; i++) {
        bytes[i] = uint8_t(i * 7 + seed + (i >> 8));
    }
    return bytes;
}

std::vector<uint8_t> read_host(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every regular file below a folder, by its path relative to it, with its bytes.
std::map<std::string, std::vector<uint8_t>> tree(const std::string &folder)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder).string()] = read_host(entry.path().string());
        }
    }
    return files;
}

struct DskTest : ::testing::Test {
    std::unique_ptr<TempDrives> drives;
    std::vector<std::string> opened; // every game path opened, in order
    std::vector<uint16_t> frame = std::vector<uint16_t>(640 * 480);

    void SetUp() override
    {
        kalder_test::ResetCore();
        fake::reset();
        SCR_FrameBuffer = frame.data();
        SCR_ShownFrame = nullptr;
        SCR_Width = 640;
        SCR_Height = 480;
    }

    void TearDown() override
    {
        kalder_test::ResetCore();
        drives.reset();
    }

    void make_drives(const std::string &letters)
    {
        drives.reset();
        drives = std::make_unique<TempDrives>(letters);
    }
    std::string host(char letter) const { return drives->Host(letter); }
    std::string install(char letter) const { return kalder_test::InstallHost(host(letter)); }

    void observe()
    {
        opened.clear();
        test::SetOpenObserver([this](const char *path) { opened.emplace_back(path); });
    }

    // Runs the step with fatal stops caught: the box's text, or "" when it returned.
    static std::string fatal_text(const std::function<void()> &step)
    {
        test::SetExitHook(test::ThrowOnExit);
        try {
            step();
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
            EXPECT_EQ(test::MessageBoxes().size(), 1u);
            if (test::MessageBoxes().empty()) {
                return "no box";
            }
            EXPECT_EQ(test::MessageBoxes().back().title, "Error");
            return test::MessageBoxes().back().text;
        }
        test::SetExitHook(nullptr);
        return "";
    }

    // The standard layout of these tests: the installation on C, disc 1 on D.
    void standard(const kalder_test::InstallOptions &options = {})
    {
        make_drives("CD");
        ASSERT_TRUE(kalder_test::WriteInstall(host('C'), options));
        ASSERT_TRUE(kalder_test::WriteDisc(host('D'), 1));
        ASSERT_EQ(fatal_text(DSK_Locate), "");
    }
};

// ---------------------------------------------------------------------------------------------------
// The search

TEST_F(DskTest, LocateFindsTheDiscAndTheInstallationInTheirOrders)
{
    struct Case {
        const char *what;
        std::function<void(DskTest &)> arrange;
        const char *cd_root;      // or nullptr when the search stops
        const char *install;
        int32_t full;
        const char *fatal;
    };
    auto disc = [](char letter, int n, const char *marker = "") {
        return [=](DskTest &t) { ASSERT_TRUE(kalder_test::WriteDisc(t.host(letter), n, marker)); };
    };
    auto installed = [](char letter, bool full = false) {
        return [=](DskTest &t) {
            kalder_test::InstallOptions o;
            o.full = full;
            ASSERT_TRUE(kalder_test::WriteInstall(t.host(letter), o));
        };
    };
    auto both = [](std::function<void(DskTest &)> a, std::function<void(DskTest &)> b) {
        return [=](DskTest &t) {
            a(t);
            b(t);
        };
    };
    const Case cases[] = {
        {"disc 1 on E and disc 2 on F", both(both(disc('E', 1), disc('F', 2)), installed('C')), "F:\\",
         "C:\\VORN\\KALDER\\", 0, nullptr},
        {"only disc 2", both(disc('D', 2), installed('C')), "D:\\", "C:\\VORN\\KALDER\\", 0, nullptr},
        {"lower-case marker on the host", both(disc('D', 1, "data/1cd.id"), installed('C')), "D:\\",
         "C:\\VORN\\KALDER\\", 0, nullptr},
        {"installation on A only", both(disc('D', 1), installed('A')), "D:\\", "A:\\VORN\\KALDER\\", 0, nullptr},
        {"installations on C and D", both(both(disc('E', 1), installed('D')), installed('C')), "E:\\",
         "C:\\VORN\\KALDER\\", 0, nullptr},
        {"full installation", both(disc('D', 1), installed('C', true)), "D:\\", "C:\\VORN\\KALDER\\", 1, nullptr},
        {"no disc anywhere", installed('C'), nullptr, nullptr, 0, kNoDisc},
        {"no installation anywhere", disc('D', 1), nullptr, nullptr, 0, kNotInstalled},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        make_drives("ABCDEFZ");
        c.arrange(*this);
        DSK_Location.full = 7;
        const std::string fatal = fatal_text(DSK_Locate);
        if (c.fatal != nullptr) {
            EXPECT_EQ(fatal, c.fatal);
            continue;
        }
        ASSERT_EQ(fatal, "");
        EXPECT_STREQ(DSK_CdRoot(), c.cd_root);
        EXPECT_STREQ(DSK_InstallPath(), c.install);
        EXPECT_EQ(DSK_IsFull(), c.full);
        EXPECT_STREQ(DSK_ModelPath(), c.full ? c.install : c.cd_root);
        EXPECT_EQ(PLAT_GetDrive(), c.cd_root[0]);
        EXPECT_EQ(PLAT_GetDirectory(c.cd_root[0]), "\\");
        if (c.install[0] != c.cd_root[0]) {
            EXPECT_EQ(PLAT_GetDirectory(c.install[0]), "\\VORN\\KALDER");
        }
    }
}

TEST_F(DskTest, ProbesGoFromZDownForTheDiscAndFromCUpThenAAndBForTheInstallation)
{
    make_drives("ACD");
    ASSERT_TRUE(kalder_test::WriteDisc(host('C'), 2));
    ASSERT_TRUE(kalder_test::WriteInstall(host('A')));
    observe();
    ASSERT_EQ(fatal_text(DSK_Locate), "");
    std::vector<std::string> expected;
    // Every letter is tried through an open, mapped or not; disc 1 before disc 2 on each.
    for (char letter = 'Z'; letter >= 'C'; letter--) {
        expected.push_back(std::string(1, letter) + ":\\DATA\\1CD.ID");
        expected.push_back(std::string(1, letter) + ":\\DATA\\2CD.ID");
    }
    // Found on A, so B is never tried.
    for (char letter : std::string("CDEFGHIJKLMNOPQRSTUVWXYZA")) {
        expected.push_back(std::string(1, letter) + ":\\VORN\\KALDER\\DATA\\HD.ID");
    }
    expected.push_back("A:\\VORN\\KALDER\\DATA\\FULL.ID");
    EXPECT_EQ(opened, expected);
}

TEST_F(DskTest, AfterLocateRelativePathsReadFromTheDiscAndTheInstallDriveFromItsFolder)
{
    standard();
    ASSERT_TRUE(kalder_test::WriteDriveFile(host('D'), "DATA/X", bytes_of("disc")));
    ASSERT_TRUE(kalder_test::WriteDriveFile(host('C'), "DATA/X", bytes_of("root of C")));
    ASSERT_TRUE(kalder_test::WriteDriveFile(install('C'), "Y", bytes_of("installed")));
    auto read = [](const char *path) {
        std::FILE *stream = PLAT_FOpen(path, "rb");
        if (stream == nullptr) {
            return std::string("(none)");
        }
        char text[32] = {};
        size_t got = std::fread(text, 1, sizeof text - 1, stream);
        PLAT_FClose(stream);
        return std::string(text, got);
    };
    EXPECT_EQ(read("data\\x"), "disc");
    EXPECT_EQ(read("C:y"), "installed");
    DSK_RestoreDrive();
    EXPECT_EQ(PLAT_GetDrive(), 'C');
    EXPECT_EQ(read("y"), "installed");
}

TEST_F(DskTest, InstallationAndDiscOnOneDriveLeaveTheDiscRootCurrent)
{
    make_drives("D");
    ASSERT_TRUE(kalder_test::WriteInstall(host('D')));
    ASSERT_TRUE(kalder_test::WriteDisc(host('D'), 1));
    ASSERT_EQ(fatal_text(DSK_Locate), "");
    EXPECT_EQ(PLAT_GetDrive(), 'D');
    EXPECT_EQ(PLAT_GetDirectory('D'), "\\");
}

TEST_F(DskTest, AMarkerThatIsNotAPlainFileIsNoMarker)
{
    for (const kalder_test::FileKindCase &c : kalder_test::FileKinds()) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        make_drives("CD");
        ASSERT_TRUE(kalder_test::WriteInstall(host('C'), {}));
        if (!kalder_test::MakeFileOfKind(host('D') + "/DATA/1CD.ID", c.kind)) {
            ASSERT_EQ(c.kind, kalder_test::FileKind::Socket) << "the system refused";
            continue;
        }
        const bool link = c.kind == kalder_test::FileKind::LinkToFile;
        EXPECT_EQ(fatal_text(DSK_Locate), link ? "" : kNoDisc);
        if (link) {
            EXPECT_STREQ(DSK_CdRoot(), "D:\\");
        }
        EXPECT_EQ(test::OpenFileCount(), 0);
    }
}

TEST(DskDeathTest, NoDiscEndsWithStatus231)
{
    kalder_test::ResetCore();
    EXPECT_EXIT(DSK_Locate(), ::testing::ExitedWithCode(231), "your CDROM does not contain a CD of KALDER");
}

// ---------------------------------------------------------------------------------------------------
// The disc request

TEST_F(DskTest, WrongDiscIsAskedForUntilItsMarkerOpens)
{
    struct Case {
        uint32_t width, height;
        int32_t part;
        int disc_in_drive;
        const char *marker; // probed until it opens
        const char *text_call;
    };
    const Case cases[] = {
        {640, 480, 3, 1, "D:\\DATA\\2CD.ID", "TXT_PrintCentred 320 240 0 Please change to CD no 2"},
        {320, 200, 3, 1, "D:\\DATA\\2CD.ID", "TXT_PrintCentred 160 100 1 Please change to CD no 2"},
        {640, 400, 2, 2, "D:\\DATA\\1CD.ID", "TXT_PrintCentred 320 200 0 Please change to CD no 1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text_call);
        kalder_test::ResetCore();
        fake::reset();
        make_drives("CD");
        ASSERT_TRUE(kalder_test::WriteInstall(host('C')));
        ASSERT_TRUE(kalder_test::WriteDisc(host('D'), c.disc_in_drive));
        ASSERT_EQ(fatal_text(DSK_Locate), "");
        SCR_Width = c.width;
        SCR_Height = c.height;
        SCR_ShownFrame = nullptr;
        PRJ_Current->data_part = c.part;
        // The playlist is stopped by moving the CD from playing to stopped: set it playing again
        // after each stop to see the next.
        test::SetCdDevice(true);
        ASSERT_EQ(MGM_SendMessage(28, 0, 0), 1);
        test::SetCdMode(PLAT_CD_PLAYING);
        test::ClearCdCommands();

        bool stopped_before_text = false;
        bool shown_before_text = true;
        fake::script().print_centred = [&] {
            stopped_before_text = test::InspectCd().mode == PLAT_CD_STOPPED;
            shown_before_text = SCR_ShownFrame != nullptr;
            test::SetCdMode(PLAT_CD_PLAYING);
        };
        int probes = 0;
        bool stopped_at_first_probe = false;
        bool shown_at_first_probe = false;
        uint32_t clock_at_last_probe = 0;
        test::SetOpenObserver([&](const char *path) {
            // Disc 1's marker is also what tells which disc is in: the request's probes come after
            // the text.
            if (std::string(path) != c.marker || fake::calls().empty()) {
                return;
            }
            probes++;
            if (probes == 1) {
                stopped_at_first_probe = test::InspectCd().mode == PLAT_CD_STOPPED;
                shown_at_first_probe = SCR_ShownFrame == SCR_FrameBuffer;
            }
            EXPECT_EQ(verbs_of(test::CdVerb::SetTmsf), 0);
            if (probes == 2) {
                test::PostQuit();
            }
            if (probes == 4) {
                kalder_test::WriteDisc(host('D'), c.disc_in_drive == 1 ? 2 : 1);
                test::ChangeCdDisc(std::vector<uint32_t>(6, 1000));
            }
            clock_at_last_probe = PLAT_TimeMs();
        });
        ASSERT_EQ(fatal_text(DSK_PrepareProject), "");
        EXPECT_EQ(fake::calls(), std::vector<std::string>{c.text_call});
        EXPECT_TRUE(stopped_before_text);
        EXPECT_FALSE(shown_before_text);
        EXPECT_TRUE(stopped_at_first_probe);
        EXPECT_TRUE(shown_at_first_probe);
        EXPECT_EQ(probes, 4);
        EXPECT_EQ(clock_at_last_probe, 300u);
        // The drive is reset once the disc is in: stop, time format, then the new disc's track count.
        EXPECT_EQ(verbs_of(test::CdVerb::SetTmsf), 1);
        const std::vector<test::CdCommand> &log = test::CdCommands();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[log.size() - 3].verb, test::CdVerb::Stop);
        EXPECT_EQ(log[log.size() - 2].verb, test::CdVerb::SetTmsf);
        EXPECT_EQ(log[log.size() - 1].verb, test::CdVerb::TrackCount);
        EXPECT_EQ(CD_TrackCount, 6u);
        // The quit asked for during the wait ends the next message round.
        EXPECT_EQ(MGM_DispatchMessages(), 0);
        EXPECT_EQ(MGM_DispatchMessages(), 1);
    }
}

TEST_F(DskTest, CurrentDiscIsTwoWheneverDiscOnesMarkerDoesNotOpen)
{
    standard();
    EXPECT_EQ(DSK_CurrentDisc(), 1);
    fs::remove(host('D') + "/DATA/1CD.ID");
    EXPECT_EQ(DSK_CurrentDisc(), 2);
}

// ---------------------------------------------------------------------------------------------------
// The install cache

struct CacheTest : DskTest {
    // A full installation whose cache holds part 1, and disc 1 with the lists of part 2 and of every
    // level.
    void arrange(bool full = true)
    {
        kalder_test::InstallOptions o;
        o.full = full;
        o.level_id = true;
        o.level_id_value = 1;
        standard(o);
        const std::string i = install('C');
        ASSERT_TRUE(kalder_test::WriteDriveFile(i, "DATA/3DC/x.dsn", bytes_of("stale")));
        ASSERT_TRUE(kalder_test::WriteDriveFile(i, "DATA/3DC/Y.DAN", bytes_of("stale")));
        ASSERT_TRUE(kalder_test::WriteDriveFile(i, "DATA/ANIM/z.HNM", bytes_of("stale")));
        ASSERT_TRUE(kalder_test::WriteDriveFile(i, "DATA/3DC/a.3DC", bytes_of("kept")));
        fs::create_directories(i + "/DATA/3DC/b.dsn");
        ASSERT_TRUE(kalder_test::WriteDriveFile(host('D'), "DATA/3DC/L2.DSN", bytes_of("scene 2")));
        ASSERT_TRUE(kalder_test::WriteDriveFile(host('D'), "DATA/ANIM/L2.HNM", bytes_of("film 2")));
        ASSERT_TRUE(kalder_test::WriteDriveFile(host('D'), "DATA/3DC/ALL.DAN", bytes_of("common")));
        ASSERT_TRUE(kalder_test::WriteList(host('D'), 2, {"DATA\\3DC\\L2.DSN", "DATA\\ANIM\\L2.HNM"}));
        ASSERT_TRUE(kalder_test::WriteList(host('D'), 0, {"DATA\\3DC\\ALL.DAN"}));
        test::SetCdDevice(true);
        ASSERT_EQ(MGM_SendMessage(28, 0, 0), 1);
        test::SetCdMode(PLAT_CD_PLAYING);
        observe();
    }
    std::vector<std::string> lists_opened() const
    {
        std::vector<std::string> lists;
        std::copy_if(opened.begin(), opened.end(), std::back_inserter(lists),
                     [](const std::string &p) { return p.find("ListL") != std::string::npos; });
        return lists;
    }
    std::vector<uint8_t> level_id() const { return read_host(install('C') + "/DATA/LEVEL.ID"); }
};

TEST_F(CacheTest, NewPartRefreshesTheCache)
{
    struct Case {
        uint32_t width, height;
        const char *text_call;
    };
    const Case cases[] = {
        {640, 480, "TXT_PrintCentred 320 420 0 Please wait while loading ..."},
        {320, 200, "TXT_PrintCentred 160 175 1 Please wait while loading ..."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.height);
        kalder_test::ResetCore();
        fake::reset();
        arrange();
        SCR_Width = c.width;
        SCR_Height = c.height;
        PRJ_Current->data_part = 2;
        std::map<std::string, std::vector<uint8_t>> when_drawn;
        fake::script().print_centred = [&] { when_drawn = tree(install('C')); };
        ASSERT_EQ(fatal_text(DSK_PrepareProject), "");

        EXPECT_EQ(test::InspectCd().mode, PLAT_CD_STOPPED);
        EXPECT_EQ(fake::calls(), std::vector<std::string>{c.text_call});
        EXPECT_EQ(SCR_ShownFrame, SCR_FrameBuffer);
        // By the time the text shows, LEVEL.ID and the stale cache are gone and nothing is copied.
        const std::map<std::string, std::vector<uint8_t>> purged = {
            {"DATA/HD.ID", {}}, {"DATA/FULL.ID", {}}, {"DATA/3DC/a.3DC", bytes_of("kept")}};
        EXPECT_EQ(when_drawn, purged);
        EXPECT_TRUE(fs::is_directory(install('C') + "/DATA/3DC/b.dsn"));
        EXPECT_EQ(lists_opened(), (std::vector<std::string>{"D:\\ListL2.txt", "D:\\ListL0.txt"}));
        const std::map<std::string, std::vector<uint8_t>> refreshed = {
            {"DATA/HD.ID", {}},
            {"DATA/FULL.ID", {}},
            {"DATA/LEVEL.ID", {2, 0, 0, 0}},
            {"DATA/3DC/a.3DC", bytes_of("kept")},
            {"DATA/3DC/L2.DSN", bytes_of("scene 2")},
            {"DATA/ANIM/L2.HNM", bytes_of("film 2")},
            {"DATA/3DC/ALL.DAN", bytes_of("common")},
        };
        EXPECT_EQ(tree(install('C')), refreshed);

        // The same part again: the cache holds it already.
        fake::reset();
        opened.clear();
        ASSERT_EQ(fatal_text(DSK_PrepareProject), "");
        EXPECT_TRUE(fake::calls().empty());
        EXPECT_TRUE(lists_opened().empty());
        EXPECT_EQ(tree(install('C')), refreshed);
    }
}

TEST_F(CacheTest, PartsWithoutDiscDataTouchNothing)
{
    for (int32_t part : {0, 5, -1, 0x7FFFFFFF}) {
        SCOPED_TRACE(part);
        kalder_test::ResetCore();
        fake::reset();
        arrange();
        const auto before = tree(install('C'));
        PRJ_Current->data_part = part;
        ASSERT_EQ(fatal_text(DSK_PrepareProject), "");
        EXPECT_EQ(test::InspectCd().mode, PLAT_CD_PLAYING); // no MGM 31
        EXPECT_TRUE(opened.empty());
        EXPECT_TRUE(fake::calls().empty());
        EXPECT_EQ(tree(install('C')), before);
    }
}

TEST_F(CacheTest, StandardInstallationOnlyChecksTheDisc)
{
    arrange(false);
    const auto before = tree(install('C'));
    PRJ_Current->data_part = 2;
    ASSERT_EQ(fatal_text(DSK_PrepareProject), "");
    EXPECT_EQ(test::InspectCd().mode, PLAT_CD_STOPPED);
    EXPECT_EQ(opened, std::vector<std::string>{"D:\\DATA\\1CD.ID"});
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_EQ(tree(install('C')), before);
}

TEST_F(CacheTest, LevelIdIsItsFirstFourBytesAndAShortFileIsZero)
{
    arrange();
    struct Case {
        std::vector<uint8_t> bytes;
        uint32_t value;
    };
    const Case cases[] = {
        {{}, 0},
        {{3}, 0},
        {{3, 0}, 0},
        {{3, 0, 0}, 0},
        {{3, 0, 0, 0}, 3},
        {{1, 2, 3, 4, 5}, 0x04030201},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes.size());
        ASSERT_TRUE(kalder_test::WriteDriveFile(install('C'), "DATA/LEVEL.ID", c.bytes));
        EXPECT_EQ(DSK_ReadLevelId(), c.value);
    }
    DSK_DeleteLevelId();
    EXPECT_FALSE(fs::exists(install('C') + "/DATA/LEVEL.ID"));
    EXPECT_EQ(DSK_ReadLevelId(), 0u);
    DSK_WriteLevelId(0x01020304);
    EXPECT_EQ(level_id(), (std::vector<uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(test::OpenFileCount(), 0);
}

TEST_F(CacheTest, ShortLevelIdRefreshesTheCache)
{
    arrange();
    // Two bytes that would read as part 2 in a word that was never cleared.
    ASSERT_TRUE(kalder_test::WriteDriveFile(install('C'), "DATA/LEVEL.ID", {2, 0}));
    PRJ_Current->data_part = 2;
    ASSERT_EQ(fatal_text(DSK_PrepareProject), "");
    EXPECT_EQ(lists_opened().size(), 2u);
    EXPECT_EQ(level_id(), (std::vector<uint8_t>{2, 0, 0, 0}));
}

// ---------------------------------------------------------------------------------------------------
// Copies

TEST_F(DskTest, CopyListCopiesWhatTheListNames)
{
    using Tree = std::map<std::string, std::vector<uint8_t>>;
    struct Case {
        const char *what;
        const char *list_name; // on the disc's host, or nullptr for no list
        std::string list;
        Tree disc;      // files below the disc root
        Tree installed; // files below C before the copy
        Tree expected;  // every file below C afterwards
    };
    const Tree base = {{"VORN/KALDER/DATA/HD.ID", {}}};
    auto with = [&](Tree extra) {
        Tree t = base;
        t.insert(extra.begin(), extra.end());
        return t;
    };
    const std::vector<uint8_t> chunk = pattern(0x8000, 1);
    const std::vector<uint8_t> longer = pattern(2 * 0x8000 + 5, 2);
    const Case cases[] = {
        {"sizes around the chunk", "ListL1.txt", "DATA\\3DC\\E.DSN\r\nDATA\\3DC\\F.DAN\r\nDATA\\ANIM\\G.HNM\r\n",
         {{"DATA/3DC/E.DSN", {}}, {"DATA/3DC/F.DAN", chunk}, {"DATA/ANIM/G.HNM", longer}},
         {},
         with({{"VORN/KALDER/DATA/3DC/E.DSN", {}},
               {"VORN/KALDER/DATA/3DC/F.DAN", chunk},
               {"VORN/KALDER/DATA/ANIM/G.HNM", longer}})},
        {"blanks of every kind", "ListL1.txt", "  DATA\\3DC\\A.DSN\t\tDATA/3DC/B.DSN   \r\n\r\n\v\fDATA\\ANIM\\C.HNM",
         {{"DATA/3DC/A.DSN", bytes_of("a")}, {"DATA/3DC/B.DSN", bytes_of("b")}, {"DATA/ANIM/C.HNM", bytes_of("c")}},
         {},
         with({{"VORN/KALDER/DATA/3DC/A.DSN", bytes_of("a")},
               {"VORN/KALDER/DATA/3DC/B.DSN", bytes_of("b")},
               {"VORN/KALDER/DATA/ANIM/C.HNM", bytes_of("c")}})},
        {"mixed case against an upper-case disc, editor's list name", "listL1.txt", "data\\3dc\\Mixed.Dsn\r\n",
         {{"DATA/3DC/MIXED.DSN", bytes_of("m")}},
         {},
         with({{"VORN/KALDER/DATA/3DC/Mixed.Dsn", bytes_of("m")}})},
        {"missing source", "ListL1.txt", "DATA\\3DC\\NONE.DSN DATA\\3DC\\A.DSN\r\n",
         {{"DATA/3DC/A.DSN", bytes_of("a")}},
         {},
         with({{"VORN/KALDER/DATA/3DC/A.DSN", bytes_of("a")}})},
        {"existing target kept", "ListL1.txt", "DATA\\3DC\\A.DSN\r\n",
         {{"DATA/3DC/A.DSN", bytes_of("new and longer")}},
         {{"VORN/KALDER/DATA/3DC/A.DSN", bytes_of("old")}},
         with({{"VORN/KALDER/DATA/3DC/A.DSN", bytes_of("old")}})},
        {"names outside the disc root", "ListL1.txt", "C:\\x \\x ..\\x DATA\\..\\..\\x DATA/../x C:x\r\n",
         {{"x", bytes_of("disc root")}, {"DATA/x", bytes_of("data")}},
         {{"x", bytes_of("root of C")}},
         with({{"x", bytes_of("root of C")}})},
        {"a name ended by a NUL", "ListL1.txt", std::string("DATA\\3DC\\A.DSN\0junk\r\n", 20),
         {{"DATA/3DC/A.DSN", bytes_of("a")}},
         {},
         with({{"VORN/KALDER/DATA/3DC/A.DSN", bytes_of("a")}})},
        {"no list", nullptr, "", {{"DATA/3DC/A.DSN", bytes_of("a")}}, {}, base},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        standard();
        for (const auto &[path, bytes] : c.disc) {
            ASSERT_TRUE(kalder_test::WriteDriveFile(host('D'), path, bytes));
        }
        for (const auto &[path, bytes] : c.installed) {
            ASSERT_TRUE(kalder_test::WriteDriveFile(host('C'), path, bytes));
        }
        if (c.list_name != nullptr) {
            ASSERT_TRUE(kalder_test::WriteDriveFile(host('D'), c.list_name, bytes_of(c.list)));
        }
        int32_t result = -1;
        ASSERT_EQ(fatal_text([&] { result = DSK_CopyList("D:\\ListL1.txt", DSK_InstallPath()); }), "");
        EXPECT_EQ(result, c.list_name != nullptr ? 1 : 0);
        EXPECT_EQ(tree(host('C')), c.expected);
        EXPECT_EQ(test::OpenFileCount(), 0);
    }
}

TEST_F(CacheTest, FailedCopyPurgesTheCacheAndStops)
{
    struct Case {
        const char *what;
        std::function<void(CacheTest &)> arrange;
    };
    const Case cases[] = {
        {"no DATA\\3DC in the installation folder",
         [](CacheTest &t) { fs::remove_all(t.install('C') + "/DATA/3DC"); }},
        {"short write of the second chunk",
         [](CacheTest &) { test::AddFileFault({test::FILE_OP_WRITE, "BIG.3DC", 2, 100}); }},
        {"read error", [](CacheTest &) { test::AddFileFault({test::FILE_OP_READ, "BIG.3DC", 1, -1}); }},
        {"seek error", [](CacheTest &) { test::AddFileFault({test::FILE_OP_SEEK, "BIG.3DC", 1, -1}); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCore();
        arrange();
        ASSERT_TRUE(kalder_test::WriteDriveFile(host('D'), "DATA/3DC/BIG.3DC", pattern(2 * 0x8000 + 5, 3)));
        ASSERT_TRUE(kalder_test::WriteList(host('D'), 1, {"DATA\\ANIM\\L2.HNM", "DATA\\3DC\\BIG.3DC"}));
        c.arrange(*this);
        EXPECT_EQ(fatal_text([] { DSK_CopyList("D:\\ListL1.txt", DSK_InstallPath()); }), kCopyError);
        const auto left = tree(install('C'));
        EXPECT_EQ(left.count("DATA/LEVEL.ID"), 0u);
        EXPECT_EQ(left.count("DATA/3DC/BIG.3DC"), 0u);
        EXPECT_EQ(left.count("DATA/ANIM/L2.HNM"), 0u); // copied before the failure, then purged
        EXPECT_EQ(left.count("DATA/ANIM/z.HNM"), 0u);
        EXPECT_EQ(left.count("DATA/3DC/x.dsn"), 0u);
        EXPECT_EQ(test::OpenFileCount(), 0);
    }
}

} // namespace
