// Fuzzes the symbol lists over an owner's symbol data, and the loaded-record reader. The first byte
// chooses: even, a symbol file; odd, a record file (its bit 1 the descriptor's first-table-only flag). A symbol input is then a script length S (one
// byte, at most 200), S control bytes and the symbol data (at most 16,000 bytes). The data is given
// to an owner, a list is opened toward a partner on a started 3D library with the word model, and
// each frame draws the list and hands it the frame's controls: up in bits 0..1, down in 2..3, sel in
// 4..5 (0 none, 1 pressed, 2 released, 3 held), bits 6..7 the time factor. A record input is the
// file, read from a temporary drive; every offset of an accepted record is checked against its size.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/game_frame.h"
#include "core/mem.h"
#include "engine3d/image.h"
#include "engine3d/matcache.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "fuzz/area_poison.h"
#include "interface/sym.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/rec.h"
#include "world/sym.h"

namespace {

constexpr size_t Area_Size = 1 << 20;
alignas(16) uint8_t Area[Area_Size];
constexpr int32_t Frames = 200;

constexpr int32_t Control_Bits[4] = {0, CTRL_HELD | CTRL_CHANGED, CTRL_RELEASED | CTRL_CHANGED, CTRL_HELD};
constexpr double Time_Factors[4] = {1.0, 0.2, 2.5, 5.0};

void run_symbols(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return;
    }
    const size_t script = std::min<size_t>(data[0], Frames);
    if (size < 1 + script) {
        return;
    }
    const uint8_t *controls = data + 1;
    const size_t length = std::min<size_t>(size - 1 - script, SYM_AREA_SIZE);
    // A copy of exactly the data's size, so that a read past it shows.
    std::unique_ptr<uint8_t[]> symbols(new uint8_t[length == 0 ? 1 : length]);
    std::memcpy(symbols.get(), data + 1 + script, length);

    Init_3D(Area, Area_Size);
    Cache_Count = 0;
    kalder_test::MemFiles_Clear();
    Set_File_Source(kalder_test::MemFileSource);
    static const std::vector<uint8_t> word = kalder_test::DemoWordModel();
    kalder_test::MemFiles_Add("symword.3dc", word);
    SYM_Reset();
    KALDER_POISON(Area + Mem_libre, Area_Size - Mem_libre);

    static ActorRecord owner, partner;
    ACTOR_InitRecord(&owner);
    ACTOR_InitRecord(&partner);
    owner.position[0] = 400.0;
    owner.position[2] = 900.0;
    partner.heading = 1024;
    owner.symbol_data = symbols.get();
    owner.symbol_size = uint32_t(length);
    owner.flags[1] = ACTOR_F1_SYMBOLS;
    if (SYM_MenuOpen(&owner, &partner) != 1) {
        __builtin_trap();
    }
    for (int32_t frame = 0; frame < Frames; frame++) {
        const uint8_t c = size_t(frame) < script ? controls[frame] : 0;
        std::memset(CTRL_Controls, 0, sizeof CTRL_Controls);
        CTRL_Controls[CTRL_UP] = Control_Bits[c & 3];
        CTRL_Controls[CTRL_DOWN] = Control_Bits[(c >> 2) & 3];
        CTRL_Controls[CTRL_SEL] = Control_Bits[(c >> 4) & 3];
        GAME_TimeFactor = Time_Factors[c >> 6];
        KALDER_UNPOISON(Area, Area_Size);
        SYM_MenuDraw();
        KALDER_POISON(Area + Mem_libre, Area_Size - Mem_libre);
        const SYM_Menu &menu = SYM_Menus[0];
        if (menu.count > SYM_MAX_WORDS || menu.words[menu.count] != SYM_END_MARK || menu.depth > SYM_HISTORY ||
            std::strlen(menu.text) >= sizeof menu.text) {
            __builtin_trap();
        }
        KALDER_UNPOISON(Area, Area_Size);
        SYM_MenuInput(&partner);
        KALDER_POISON(Area + Mem_libre, Area_Size - Mem_libre);
    }
    KALDER_UNPOISON(Area, Area_Size);
    SYM_MenuClose(&owner);
    if (SYM_Menus[0].owner != nullptr || partner.symbol_menu != -1) {
        __builtin_trap();
    }
    Set_File_Source(nullptr);
}

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives the_drives("CD");
    return the_drives;
}

void run_record(uint8_t flags, const uint8_t *data, size_t size)
{
    drives().Write('D', "REC.DAT", std::vector<uint8_t>(data, data + size));
    PLAT_SetDrive('D');
    REC_Init();
    REC_Descriptor d{"rec.dat", flags, nullptr, 0};
    if (REC_Load(&d) == 0) {
        if (d.data != nullptr) {
            __builtin_trap();
        }
        return;
    }
    if (d.size != size || d.size < REC_OFFSET_BYTES) {
        __builtin_trap();
    }
    uint32_t identifier;
    std::memcpy(&identifier, d.data, 4);
    if (identifier >= uint32_t(REC_TABLE_SIZE) || REC_Tables[0][identifier] != &d ||
        (REC_Tables[1][identifier] == &d) == ((flags & REC_FIRST_ONLY) != 0)) {
        __builtin_trap();
    }
    // A reader of the record takes only the offsets that lie inside it.
    uint32_t inside = 0;
    for (int32_t i = 1; i < REC_TABLE_SIZE; i++) {
        uint32_t offset;
        std::memcpy(&offset, d.data + i * 4, 4);
        if (offset < d.size) {
            inside += d.data[offset];
        }
    }
    (void)inside;
    MEM_FreePtr(&d.data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    test::SetExitHook(test::ThrowOnExit);
    try {
        if ((data[0] & 1) == 0) {
            run_symbols(data + 1, size - 1);
        } else {
            run_record(uint8_t(data[0] & REC_FIRST_ONLY), data + 1, size - 1);
        }
    } catch (const test::ExitCalled &) {
        // Neither reader stops the game on its data: a stop is a fault.
        __builtin_trap();
    }
    return 0;
}
