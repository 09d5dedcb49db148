// Fuzzes the pack reader and the file layer over its entries: the input is a pack file, opened on
// its own and as the inner pack of an outer one, and every pack it names under the fixed drive is
// opened through the table as well.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/file.h"
#include "core/pack.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

namespace {

const char kPack[] = "data\\icone\\icones.bf";
// Packs opened through the table per input, beyond the first: enough for a chain of three.
constexpr int kNestedOpens = 4;

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives the_drives("CZ");
    return the_drives;
}

// Walks the input again for the numbers of the seeks.
struct Cursor {
    const uint8_t *data;
    size_t size;
    size_t at = 0;
    uint32_t next32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4 && size > 0; i++) {
            value = (value << 8) | data[at++ % size];
        }
        return value;
    }
};

// Runs one step that may end in the game's own answer to a damaged pack, the fatal box; the
// steps after it still run, so that one damaged entry does not hide the others.
template <typename Step> void step(Step &&what)
{
    try {
        what();
    } catch (const test::ExitCalled &) {
    }
}

// Opens every name of the table and reads it, whole and at seeks taken from the input.
void exercise_entries(Cursor &cursor)
{
    uint8_t buffer[4096];
    for (int32_t i = 0; i < PACK_Count; i++) {
        std::string name = PACK_Table[i].name;
        step([&] {
            int32_t handle = FILE_Open(name.c_str(), O_RDONLY | O_BINARY);
            FILE_Read(handle, buffer, sizeof buffer);
            for (int n = 0; n < 3; n++) {
                uint32_t offset = cursor.next32();
                FILE_Seek(handle, int32_t(offset), int(offset & 3));
                FILE_Read(handle, buffer, offset % sizeof buffer);
            }
            FILE_Close(handle);
        });
    }
}

// Opens as packs the entries named under the fixed drive, the way the game opens a pack that lies
// inside another: PACK_Open falls back on "Z:\" + the name it is given.
void open_nested_packs()
{
    int opens = 0;
    for (int32_t i = 0; i < PACK_Count && opens < kNestedOpens; i++) {
        const char *name = PACK_Table[i].name;
        if (std::strncmp(name, "Z:\\", 3) == 0 && name[3] != 0) {
            std::string inner = name + 3;
            step([&] { PACK_Open(inner.c_str()); });
            opens++;
        }
    }
}

void reset(kalder_test::TempDrives &d)
{
    PACK_FreeTable();
    FILE_LastEntry = 0;
    test::CloseAllFiles();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::MapDrive('Z', d.Host('Z'));
    test::ResetCurrentDirectories();
    test::SetExitHook(test::ThrowOnExit);
}

// Writes the pack file, opens it and what it nests, reads every entry, and opens it all once more
// over the table that is there (the merge path). A pack file the game refuses ends the run.
void run(kalder_test::TempDrives &d, const std::vector<uint8_t> &file, Cursor &cursor)
{
    reset(d);
    kalder_test::WriteHostFile(d.MakeDir('C', "data/icone") + "/icones.bf", file);
    try {
        for (int round = 0; round < 2; round++) {
            PACK_Open(kPack);
            open_nested_packs();
            exercise_entries(cursor);
        }
    } catch (const test::ExitCalled &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool quiet = [] {
        // The pack reader lists every name it loads; that would flood the log.
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)quiet;
    kalder_test::TempDrives &d = drives();
    const std::vector<uint8_t> input(data, data + size);
    Cursor cursor{data, size};

    // The plain case: the input is the pack file.
    run(d, input, cursor);
    // The nested case: the input is a pack stored in an outer pack under the fixed drive, beside
    // entries whose names it may take over.
    const std::vector<uint8_t> outer = kalder_test::PackImage(
        {{"Z:\\INNER.BF", input}, {"A.TXT", {'o', 'u', 't', 'e', 'r'}}, {"B.TXT", {'b'}}});
    run(d, outer, cursor);

    reset(d);
    test::Reset();
    return 0;
}
