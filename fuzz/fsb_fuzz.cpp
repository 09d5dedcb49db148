// Fuzzes the sound bank reader and the sound module over its sounds: the input is the bank file.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/fsb.h"
#include "core/snd.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives the_drives("D");
    return the_drives;
}

// Plays every index, with flags taken from the input, then every image as a voice.
void exercise(const uint8_t *data, size_t size)
{
    for (int32_t i = -128; i < 128; i++) {
        uint8_t flags = size > 0 ? data[size_t(i + 128) % size] : 0;
        SND_Request request{1, i, flags, nullptr, int32_t(flags) - 100};
        SND_PlayEffect(&request);
        test::AdvanceClock(flags);
        SND_Update();
    }
    for (uint32_t i = 0; i < FSB_Count; i++) {
        SND_Play8Bit(FSB_Table[i].data, FSB_Table[i].size);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('D', d.Host('D'));
    test::ResetCurrentDirectories();
    test::SetExitHook(test::ThrowOnExit);
    test::SetSoundDevice(true);
    d.Write('D', "DATA/SOUND/FSB.DAT", std::vector<uint8_t>(data, data + size));
    SND_Init(8);
    try {
        FSB_Load("data\\sound\\fsb.dat");
        exercise(data, size);
    } catch (const test::ExitCalled &) {
        // The game's own answer to a damaged bank: the fatal box.
    }
    FSB_Free();
    SND_Shutdown();
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
