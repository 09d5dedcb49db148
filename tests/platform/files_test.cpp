// The file service: game paths to host files, creating files, the drive map and directory search.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

namespace fs = std::filesystem;

namespace {

struct FilesTest : ::testing::Test {
    void SetUp() override { test::Reset(); }
    void TearDown() override { test::Reset(); }
};

TEST_F(FilesTest, ResolverFindsHostFiles)
{
    kalder_test::TempDrives drives("CDZ");
    drives.Write('D', "data/1cd.id");
    drives.Write('C', "VORN/KALDER/DATA/LEVEL.ID");
    drives.Write('C', "VORN/KALDER/foo");
    drives.Write('C', "data/3dc/EPEE.3DC");
    drives.Write('C', "DATA/x");
    drives.Write('D', "data/hnm/Tete_Entree.HNM");
    drives.Write('D', "data/hnm/tete_explosion.hnm");
    drives.Write('D', "data/hnm/TETE_E.HNM");
    drives.Write('D', "data/lit/tete_e~1.hnm");
    drives.Write('D', "data/lit/Tete_Entree.HNM");
    drives.Write('C', "X/DATA/a");
    drives.Write('C', "X/data/a");

    struct Case {
        const char *path;
        char drive;          // current drive
        const char *cwd;     // current directory of that drive
        const char *host;    // expected, "<letter>/<path>", or "" for no file
    };
    const Case cases[] = {
        {"D:\\DATA\\1CD.ID", 'C', "\\", "D/data/1cd.id"},
        {"d:/data/1cd.id", 'C', "\\", "D/data/1cd.id"},
        {"C:\\VORN\\KALDER\\\\DATA\\LEVEL.ID", 'C', "\\", "C/VORN/KALDER/DATA/LEVEL.ID"},
        {"\\\\VORN\\KALDER\\DATA\\LEVEL.ID", 'C', "\\", "C/VORN/KALDER/DATA/LEVEL.ID"},
        {"data\\3dc\\EPEE.3DC", 'C', "\\", "C/data/3dc/EPEE.3DC"},
        {"data\\3dc\\epee.3dc", 'C', "\\", "C/data/3dc/EPEE.3DC"},
        {"C:foo", 'D', "C:\\VORN\\KALDER", "C/VORN/KALDER/foo"},
        {"foo", 'C', "\\vorn\\kalder", "C/VORN/KALDER/foo"},
        {"..\\..\\data\\3dc\\EPEE.3DC", 'C', "\\vorn\\kalder", "C/data/3dc/EPEE.3DC"},
        {"\\DATA\\x", 'C', "\\VORN\\KALDER", "C/DATA/x"},
        {"D:\\..\\..\\DATA\\1CD.ID", 'C', "\\", "D/data/1cd.id"},
        {".\\DATA\\.\\1CD.ID", 'D', "\\", "D/data/1cd.id"},
        {"d:\\data\\hnm\\tete_e~1.hnm", 'C', "\\", "D/data/hnm/Tete_Entree.HNM"},
        {"d:\\data\\hnm\\TETE_E~2.HNM", 'C', "\\", "D/data/hnm/tete_explosion.hnm"},
        {"d:\\data\\hnm\\tete_e~3.hnm", 'C', "\\", ""},
        {"d:\\data\\hnm\\tete_e~1", 'C', "\\", ""},       // the extension must match too
        {"d:\\data\\hnm\\tete_e.hnm", 'C', "\\", "D/data/hnm/TETE_E.HNM"},
        {"d:\\data\\lit\\TETE_E~1.HNM", 'C', "\\", "D/data/lit/tete_e~1.hnm"},
        {"C:\\X\\DATA\\a", 'C', "\\", "C/X/DATA/a"},
        {"C:\\X\\data\\a", 'C', "\\", "C/X/data/a"},
        {"C:\\X\\Data\\a", 'C', "\\", "C/X/DATA/a"},
        {"Q:\\DATA\\1CD.ID", 'C', "\\", ""},              // unmapped drive
        {"C:\\da:ta\\x", 'C', "\\", ""},                  // ':' inside a name
        {"D:\\DATA\\1CD.ID\\x", 'C', "\\", ""},           // a file used as a folder
        {"D:\\DATA\\2CD.ID", 'C', "\\", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        test::ResetCurrentDirectories();
        ASSERT_EQ(PLAT_SetDrive(c.drive), 0);
        ASSERT_EQ(PLAT_SetDirectory(c.cwd), 0);
        std::string host;
        int found = PLAT_ResolvePath(c.path, PLAT_RESOLVE_EXISTING, &host);
        if (c.host[0] == 0) {
            EXPECT_EQ(found, 0);
            EXPECT_EQ(PLAT_Open(c.path, O_RDONLY), -1);
            EXPECT_EQ(errno, ENOENT);
        } else {
            EXPECT_EQ(found, 1);
            EXPECT_EQ(host, drives.Root() + "/" + c.host);
        }
    }
}

TEST_F(FilesTest, DirectoriesNeverOpenAsFiles)
{
    kalder_test::TempDrives drives("D");
    drives.MakeDir('D', "DATA");
    EXPECT_EQ(PLAT_Open("D:\\DATA", O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(PLAT_FOpen("D:\\data", "rb"), nullptr);
    EXPECT_EQ(PLAT_Remove("D:\\data"), -1);
    EXPECT_TRUE(fs::is_directory(drives.Host('D') + "/DATA"));
    EXPECT_EQ(test::OpenFileCount(), 0);
}

TEST_F(FilesTest, CreateUsesExistingFoldersAndNames)
{
    kalder_test::TempDrives drives("C");
    drives.MakeDir('C', "vorn/kalder/data");
    int fd = PLAT_Open("C:\\VORN\\KALDER\\DATA\\LEVEL.ID", O_CREAT | O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(PLAT_Write(fd, "abc", 3), 3);
    EXPECT_EQ(PLAT_Close(fd), 0);
    EXPECT_EQ(fs::file_size(drives.Host('C') + "/vorn/kalder/data/LEVEL.ID"), 3u);

    // Another case of an existing name opens (and truncates) that file rather than adding a second.
    fd = PLAT_Open("c:\\vorn\\kalder\\data\\level.id", O_CREAT | O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(PLAT_Close(fd), 0);
    EXPECT_EQ(fs::file_size(drives.Host('C') + "/vorn/kalder/data/LEVEL.ID"), 0u);
    EXPECT_FALSE(fs::exists(drives.Host('C') + "/vorn/kalder/data/level.id"));

    // No folder is ever made.
    EXPECT_EQ(PLAT_Open("C:\\VORN\\KALDER\\GAME\\GAME.DAT", O_CREAT | O_WRONLY), -1);
    EXPECT_FALSE(fs::exists(drives.Host('C') + "/vorn/kalder/GAME"));

    // The stream opens go through the same rules; 'b' and 't' are dropped.
    std::FILE *stream = PLAT_FOpen("c:\\VORN\\kalder\\data\\new.txt", "wt");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(test::OpenFileCount(), 1);
    std::fputs("x\r\n", stream);
    EXPECT_EQ(PLAT_FClose(stream), 0);
    EXPECT_EQ(fs::file_size(drives.Host('C') + "/vorn/kalder/data/new.txt"), 3u);
    EXPECT_EQ(PLAT_Remove("C:\\VORN\\KALDER\\DATA\\NEW.TXT"), 0);
    EXPECT_FALSE(fs::exists(drives.Host('C') + "/vorn/kalder/data/new.txt"));
    EXPECT_EQ(test::OpenFileCount(), 0);
}

TEST_F(FilesTest, SeekPastTwoGigabytesFails)
{
    kalder_test::TempDrives drives("C");
    drives.Write('C', "big", "0123456789");
    int fd = PLAT_Open("big", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(PLAT_Seek(fd, 0x7FFFFFFF, 0), 0x7FFFFFFF);
    EXPECT_EQ(PLAT_Seek(fd, 1, 1), -1);
    EXPECT_EQ(PLAT_Seek(fd, 0, 3), -1);
    EXPECT_EQ(PLAT_Seek(fd, -2, 2), 8);
    char c[4];
    EXPECT_EQ(PLAT_Read(fd, c, 4), 2);
    EXPECT_EQ(PLAT_Close(fd), 0);
}

TEST_F(FilesTest, ScriptedFaultsAndTheOpenObserver)
{
    kalder_test::TempDrives drives("C");
    drives.Write('C', "A.BIN", "0123456789");
    std::vector<std::string> opened;
    test::SetOpenObserver([&](const char *path) { opened.push_back(path); });
    test::AddFileFault({test::FILE_OP_OPEN, "a.bin", 2, -1});
    test::AddFileFault({test::FILE_OP_READ, "A.bin", 0, 3});
    int fd = PLAT_Open("a.bin", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(PLAT_Open("A.BIN", O_RDONLY), -1);
    int again = PLAT_Open("a.bin", O_RDONLY);
    EXPECT_GE(again, 0);
    char bytes[10];
    EXPECT_EQ(PLAT_Read(fd, bytes, 10), 3);
    EXPECT_EQ(PLAT_Read(fd, bytes, 10), 3);
    EXPECT_EQ(opened, (std::vector<std::string>{"a.bin", "A.BIN", "a.bin"}));
    EXPECT_EQ(test::OpenFileCount(), 2);
    test::CloseAllFiles();
    EXPECT_EQ(test::OpenFileCount(), 0);
}

TEST_F(FilesTest, CurrentDriveAndDirectories)
{
    kalder_test::TempDrives drives("DE");
    drives.MakeDir('E', "Vorn/Kalder");
    EXPECT_EQ(PLAT_GetDrive(), 'D'); // no C: the lowest mapped letter
    EXPECT_EQ(PLAT_SetDrive('q'), -1);
    EXPECT_EQ(PLAT_GetDrive(), 'D');
    EXPECT_EQ(PLAT_SetDirectory("e:\\vorn\\KALDER"), 0);
    EXPECT_EQ(PLAT_GetDrive(), 'D'); // the directory of E changed, not the drive
    EXPECT_EQ(PLAT_GetDirectory('E'), "\\Vorn\\Kalder");
    EXPECT_EQ(PLAT_GetDirectory('D'), "\\");
    EXPECT_EQ(PLAT_SetDirectory("e:\\vorn\\missing"), -1);
    EXPECT_EQ(PLAT_SetDirectory("e:.."), 0);
    EXPECT_EQ(PLAT_GetDirectory('E'), "\\Vorn");
    EXPECT_EQ(PLAT_SetDrive('e'), 0);
    EXPECT_EQ(PLAT_GetDrive(), 'E');
}

TEST_F(FilesTest, DriveMapFromTheEnvironmentTextOrTheDrivesFolder)
{
    kalder_test::TempDrives scratch("");
    const std::string base = scratch.Root();
    for (const char *dir : {"hd", "cd", "drives/C", "drives/d", "drives/D", "drives/e", "drives/xy", "drives/1"}) {
        fs::create_directories(base + "/" + dir);
    }
    kalder_test::WriteHostFile(base + "/hd/file.txt", {});
    kalder_test::WriteHostFile(base + "/drives/F", {});

    struct Case {
        const char *env;
        std::vector<std::pair<char, std::string>> map; // letter -> path below base
        char drive;
        std::string errors;
    };
    const std::string abs_cd = base + "/cd";
    const Case cases[] = {
        {"C=hd;D=cd", {{'C', "hd"}, {'D', "cd"}}, 'C', ""},
        {";;d=cd;;", {{'D', "cd"}}, 'D', ""},
        {"D=cd;d=hd/", {{'D', "hd"}}, 'D',
         "KALDER_DRIVES: drive D given twice: using \"" + base + "/hd\", not \"" + base + "/cd\"\n"},
        {"C=hd;Cx;=cd;5=cd;E=", {{'C', "hd"}}, 'C',
         "KALDER_DRIVES: ignoring \"Cx\"\nKALDER_DRIVES: ignoring \"=cd\"\n"
         "KALDER_DRIVES: ignoring \"5=cd\"\nKALDER_DRIVES: ignoring \"E=\"\n"},
        {"E=missing;F=hd/file.txt", {}, 0,
         "KALDER_DRIVES: ignoring \"E=missing\"\nKALDER_DRIVES: ignoring \"F=hd/file.txt\"\n"},
        {"", {{'C', "drives/C"}, {'D', "drives/D"}, {'E', "drives/e"}}, 'C', ""},
        {nullptr, {{'C', "drives/C"}, {'D', "drives/D"}, {'E', "drives/e"}}, 'C', ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.env == nullptr ? "(unset)" : c.env);
        ::testing::internal::CaptureStderr();
        int mapped = PLAT_LoadDriveMap(c.env, base.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.errors);
        EXPECT_EQ(mapped, int(c.map.size()));
        for (char letter = 'A'; letter <= 'Z'; letter++) {
            std::string want;
            for (const auto &m : c.map) {
                if (m.first == letter) {
                    want = base + "/" + m.second;
                }
            }
            EXPECT_EQ(PLAT_DriveHost(letter), want) << letter;
        }
        EXPECT_EQ(PLAT_GetDrive(), c.drive);
    }
    // An absolute host path, and a lower-case letter.
    ASSERT_EQ(PLAT_LoadDriveMap(("d=" + abs_cd).c_str(), "/nowhere"), 1);
    EXPECT_EQ(PLAT_DriveHost('D'), abs_cd);
}

TEST_F(FilesTest, DirectorySearch)
{
    kalder_test::TempDrives drives("C");
    drives.Write('C', "dsn/A.DSN", "abc");
    drives.Write('C', "dsn/b.dsn");
    drives.Write('C', "dsn/c.dsn.bak");
    drives.Write('C', "dsn/NODOT");
    drives.Write('C', "dsn/ab");
    drives.MakeDir('C', "dsn/x.dsn");

    auto names = [](const char *pattern) {
        std::string text;
        for (const PLAT_FindEntry &e : PLAT_FindFiles(pattern)) {
            text += e.name + (e.is_directory ? "/" : "") + " ";
        }
        return text;
    };
    EXPECT_EQ(names("C:\\DSN\\*.dsn"), "A.DSN b.dsn x.dsn/ ");
    EXPECT_EQ(names("\\dsn\\*.*"), "A.DSN ab b.dsn c.dsn.bak NODOT x.dsn/ ");
    EXPECT_EQ(names("dsn/?B"), "ab ");
    EXPECT_EQ(names("dsn\\?.DSN"), "A.DSN b.dsn x.dsn/ ");
    EXPECT_EQ(names("dsn\\nodot"), "NODOT ");
    EXPECT_EQ(names("C:\\missing\\*.*"), "");
    EXPECT_EQ(names("C:\\*\\*.dsn"), "");
    EXPECT_EQ(names("C:\\dsn\\"), "");
    std::vector<PLAT_FindEntry> found = PLAT_FindFiles("c:\\dsn\\a.dsn");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].size, 3u);
    EXPECT_EQ(found[0].is_directory, 0);
}

} // namespace
