// Fuzzes the save files: the first byte chooses the file (0 the slot table "game.dat", 1 the game file
// "game0.dat", 2 the thumbnail "game0.ico"), the rest is its content, beside a table naming slot 0
// "FUZZ" with file 0. An accepted game is given back to the demo Project0, written into slot 1, read
// and written again: the two writes must be the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/install_writer.h"
#include "tests/support/level_start.h"
#include "tests/support/save_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/prj.h"
#include "world/prj_load.h"
#include "world/save.h"
#include "world/visited.h"

namespace fs = std::filesystem;

namespace {

struct Saves {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{320, 200};
    fs::path folder;
    std::vector<uint8_t> table;
    Saves()
    {
        kalder_test::WriteDemoLevel(drives);
        test::SetExitHook(test::ThrowOnExit);
        kalder_test::StartLevelCore();
        PRJ_LoadPending();
        folder = fs::path(kalder_test::InstallHost(drives.Host('C'))) / "DATA" / "GAME";
        kalder_test::SlotTableWriter writer;
        writer.slots[0] = {"FUZZ", 0, 1, 0};
        table = writer.Bytes();
    }
    void Put(const char *name, const uint8_t *data, size_t size) const
    {
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    }
    std::vector<uint8_t> Get(const char *name) const
    {
        std::ifstream in(folder / name, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

// Writes the running game into slot 1 and gives its bytes.
std::vector<uint8_t> write_slot1(const Saves &saves)
{
    std::strcpy(SAVE_Slots[1].name, "FUZZ1");
    SAVE_Slots[1].stamp = 2;
    SAVE_Slots[1].file_number = 1;
    if (SAVE_WriteGame("FUZZ1") != 0) {
        std::abort();
    }
    return saves.Get("game1.dat");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Saves saves;
    if (size == 0) {
        return 0;
    }
    const int kind = data[0] % 3;
    saves.Put("game.dat", saves.table.data(), saves.table.size());
    if (kind == 0) {
        saves.Put("game.dat", data + 1, size - 1);
        if (SAVE_ReadSlots() == 0) {
            for (const SAVE_Slot &slot : SAVE_Slots) {
                SAVE_ReadThumbnail(slot.name);
                if (strnlen(slot.name, sizeof slot.name) == sizeof slot.name) {
                    std::abort();
                }
            }
        }
        return 0;
    }
    SAVE_ReadSlots();
    if (kind == 2) {
        saves.Put("game0.ico", data + 1, size - 1);
        SAVE_ReadThumbnail("FUZZ");
        return 0;
    }
    saves.Put("game0.dat", data + 1, size - 1);
    if (SAVE_ReadGame("FUZZ") != 0) {
        return 0;
    }
    PRJ_RestoreVisited();
    const std::vector<uint8_t> first = write_slot1(saves);
    if (SAVE_ReadGame("FUZZ1") != 0) {
        std::abort();
    }
    if (write_slot1(saves) != first) {
        std::abort();
    }
    return 0;
}
