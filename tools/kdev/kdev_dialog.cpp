// kdev drd and dialog: the dialogue file's entries as the player reads them, and the dialog window's
// frames.
#include "tools/kdev/kdev_dialog.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dsk.h"
#include "interface/drd.h"
#include "interface/spr.h"
#include "tests/support/dialog_pictures.h"
#include "tests/support/pack_writer.h"
#include "tests/support/png16.h"
#include "tools/kdev/kdev_level.h"

namespace {

constexpr const char *Dialogue_Path = "data\\3dc\\dialog.drd";

uint32_t u32_at(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

uint16_t u16_at(const uint8_t *p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// The sprite file's entry 0, decoded from its directory as the picture sprite is.
void print_picture()
{
    const uint8_t *picture = nullptr;
    uint32_t length = 0;
    DLG_GetExtraChunk(&picture, &length);
    if (picture == nullptr) {
        std::printf("  picture none\n");
    } else if (length < SPR_PALETTE_BYTES + SPR_TAIL_BYTES) {
        std::printf("  picture damaged (%u bytes)\n", unsigned(length));
    } else {
        uint32_t offset = 0;
        const SPR_Entry entry = SPR_DecodeEntry(picture + (length - SPR_TAIL_BYTES), 0, nullptr, &offset);
        std::printf("  picture %d x %d\n", int(entry.width), int(entry.height));
    }
}

void print_entry(int32_t i)
{
    std::printf("entry %d: offset %u", int(i), unsigned(DRD_GetOffset(i)));
    if (DLG_LoadEntry(i) == 0) {
        std::printf("\nentry %d: refused\n", int(i));
        return;
    }
    std::printf(", length %u, %d lines\n", unsigned(DLG_GetEntryLength()), int(DLG_GetLineCount()));
    uint32_t length = 0;
    const uint8_t *wave = DLG_GetSound(&length);
    std::printf("  voice %u channel(s), %u Hz, %u bits, %u data bytes, %d ticks\n", unsigned(u16_at(wave + 22)),
                unsigned(u32_at(wave + 24)), unsigned(u16_at(wave + 34)), unsigned(u32_at(wave + 40)),
                int(DLG_GetDuration()));
    for (int32_t j = 0; j < DLG_GetLineCount(); j++) {
        std::printf("  line %d at %d for %d: \"%s\"%s\n", int(j), int(DLG_GetLineStart(j)), int(DLG_GetLineDuration(j)),
                    DLG_GetLineText(j), DLG_GetLineTerminated(j) != 0 ? "" : " [no terminator]");
    }
    print_picture();
}

bool open_dialogue()
{
    DSK_Locate();
    if (DRD_Open(Dialogue_Path) == 0) {
        std::fprintf(stderr, "kdev drd: %s%s: not a dialogue file\n", DSK_InstallPath(), Dialogue_Path);
        return false;
    }
    return true;
}

} // namespace

int KdevDrd(const char *folder, int32_t wav_entry, const char *wav_path)
{
    if (!KdevMapDrives(folder) || !open_dialogue()) {
        return 1;
    }
    std::printf("%d entries, entry buffer %u bytes\n", int(DRD_GetCount()), unsigned(DRD_GetBufferSize()));
    for (int32_t i = 0; i < DRD_GetCount(); i++) {
        print_entry(i);
    }
    int status = 0;
    if (wav_path != nullptr) {
        uint32_t length = 0;
        if (DLG_LoadEntry(wav_entry) == 0) {
            std::fprintf(stderr, "kdev drd: entry %d: refused\n", int(wav_entry));
            status = 1;
        } else {
            const uint8_t *wave = DLG_GetSound(&length);
            if (!kalder_test::WriteHostFile(wav_path, std::vector<uint8_t>(wave, wave + length))) {
                std::fprintf(stderr, "kdev drd: cannot write %s\n", wav_path);
                status = 1;
            } else {
                std::printf("voice %s\n", wav_path);
            }
        }
    }
    DRD_Close();
    return status;
}

int KdevDialog(const char *folder, int32_t entry, const char *outdir)
{
    if (!KdevMapDrives(folder)) {
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(outdir, error);
    const std::vector<uint16_t> background = kalder_test::DemoProject0Frame(640, 480);
    kalder_test::DialogStage stage(640, 480, background);
    const kalder_test::DialogRun run = kalder_test::RunDialog(entry, kalder_test::DialogScript{});
    if (run.frames.empty()) {
        std::fprintf(stderr, "kdev dialog: entry %d: refused\n", int(entry));
        return 1;
    }
    std::printf("entry %d: %d ticks of voice, window closed at tick %d\n", int(entry), int(DLG_GetDuration()),
                int(kalder_test::DialogTick()));
    for (int32_t tick : {0, 20, 60, 90, 100}) {
        const kalder_test::DialogFrame *frame = kalder_test::FrameAt(run, tick);
        const std::string path = std::string(outdir) + "/dialog-" + std::to_string(entry) + "-t" + std::to_string(tick) + ".png";
        if (frame == nullptr || !kalder_test::WritePng16(path, frame->pixels.data(), 640, 480, false)) {
            std::fprintf(stderr, "kdev dialog: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("frame %s\n", path.c_str());
    }
    return 0;
}
