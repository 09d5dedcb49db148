// kdev film: plays a film on the headless display and writes every frame as a PNG file (with --picture
// also each hi-colour picture as the decoder made it), or for a 256-colour film every picture of the
// texture it feeds.
#include "tools/kdev/kdev_film.h"
#include "tools/kdev/kdev_files.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/clk.h"
#include "core/dpr.h"
#include "core/dsk.h"
#include "core/dsp.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "core/sys.h"
#include "core/win.h"
#include "films/hnm.h"
#include "films/hnm4.h"
#include "films/hnm_screen.h"
#include "films/iv.h"
#include "plat/test.h"
#include "tests/support/hnm4_model.h"
#include "tests/support/png16.h"
#include "tests/support/texture_pictures.h"
#include "world/tex.h"

namespace {

// A 256-colour film: the texture it feeds, the palette its chunks give, and the reference decoder run
// beside the player to tell a whole picture from a stopped one.
struct TextureFilm {
    std::vector<uint8_t> texels = std::vector<uint8_t>(65536);
    uint32_t palette[256] = {};
    std::unique_ptr<kalder_test::Hnm4Model> model;
};
TextureFilm *texture_film;

} // namespace

// Where --picture writes the hi-colour pictures (empty: it does not), and the frame being played.
static std::string picture_folder;
static int frame_number;

// The 640 x 300 picture shown last, through the pair table, as picture-NNNN.png.
static void write_picture()
{
    std::vector<uint16_t> pixels(size_t(IV_WIDTH) * IV_SHOWN_ROWS);
    const uint8_t *picture = reinterpret_cast<const uint8_t *>(HNM_CurrentFrame);
    for (size_t i = 0; i < pixels.size(); i++) {
        pixels[i] = uint16_t(HNM_PairTable[picture[i]] & 0xFFFF);
    }
    char name[32];
    std::snprintf(name, sizeof name, "/picture-%04d.png", frame_number);
    const std::string file = picture_folder + name;
    if (!kalder_test::WritePng16(file, pixels.data(), IV_WIDTH, IV_SHOWN_ROWS, DSP_Rgb555 != 0)) {
        std::fprintf(stderr, "kdev: cannot write %s\n", file.c_str());
    }
}

// Every call the player makes for the frame, but the sound stream's.
static void print_call(const char *routine, const uint8_t *payload, uint32_t length, int32_t a, int32_t b, int32_t c)
{
    if (std::strncmp(routine, "SND_", 4) == 0) {
        return;
    }
    if (texture_film != nullptr && std::strcmp(routine, "TEX_ApplyFilmPalette") == 0) {
        TEX_DecodeFilmPalette(payload, length, texture_film->palette);
    }
    if (texture_film != nullptr && std::strcmp(routine, "HNM_DecodeHNM4Frame") == 0) {
        // Called before the decoder: the counter's parity names the buffer this picture is built in.
        const char buffer = (HNM_HNM4Counter() & 1) == 0 ? 'B' : 'A';
        const int32_t whole = texture_film->model->Decode(char(a), std::vector<uint8_t>(payload, payload + length));
        std::printf("  %s %c %u bytes: %s, built in %c\n", routine, char(a), length, whole ? "whole" : "stopped", buffer);
        return;
    }
    if (std::strcmp(routine, "HNM_DecodeIVFrame") == 0) {
        // The same decode on a copy of the work frame, for its bands and where it stopped.
        std::vector<uint8_t> work(reinterpret_cast<const uint8_t *>(HNM_WorkFrame),
                                  reinterpret_cast<const uint8_t *>(HNM_WorkFrame) + IV_FRAME_BYTES);
        const HNM_IVDecodeInfo info =
            HNM_DecodeIVPicture(payload, length, reinterpret_cast<const uint8_t *>(HNM_CurrentFrame), work.data());
        std::printf("  %s %u bytes: %u bands, ", routine, length, info.bands);
        if (info.whole != 0) {
            std::printf("whole\n");
        } else {
            std::printf("stopped at byte %u\n", info.stop_byte);
        }
    } else if (std::strcmp(routine, "HNM_DrawSubtitle") == 0) {
        std::printf("  %s at %d,%d font %d: \"%.*s\"\n", routine, a, b, c, int(length),
                    reinterpret_cast<const char *>(payload));
    } else if (payload != nullptr) {
        std::printf("  %s %u bytes\n", routine, length);
    } else {
        std::printf("  %s\n", routine);
    }
    if (std::strcmp(routine, "HNM_ShowIVFrame") == 0 && !picture_folder.empty()) {
        write_picture();
    }
}

int KdevFilm(int argc, char **argv, int (*usage)())
{
    if (argc < 1) {
        return usage();
    }
    const char *path = argv[0];
    std::string folder = ".";
    bool have_folder = false, rgb555 = false, pictures = false;
    int width = 640, height = 480;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--555") == 0) {
            rgb555 = true;
        } else if (std::strcmp(argv[i], "--picture") == 0) {
            pictures = true;
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            char x = 0, rest = 0;
            if (std::sscanf(argv[++i], "%d%c%d%c", &width, &x, &height, &rest) != 3 || x != 'x' || width <= 0 ||
                height <= 0) {
                return usage();
            }
        } else if (argv[i][0] != '-' && !have_folder) {
            folder = argv[i];
            have_folder = true;
        } else {
            return usage();
        }
    }

    // What the player needs: the arena, the streaming buffer, the message manager's queues and the
    // clock, and a display of the size and format asked for. No sound.
    std::vector<test::DisplayMode> modes;
    for (auto [w, h] : {std::pair{640, 480}, {800, 600}, {640, 400}, {400, 300}, {320, 400}, {320, 200}}) {
        modes.push_back(rgb555 ? test::DisplayMode{w, h, 60, 0x7C00, 0x03E0, 0x001F}
                               : test::DisplayMode{w, h, 60, 0xF800, 0x07E0, 0x001F});
    }
    test::SetDisplayModes(modes);
    DSP_BackEnd = 0;
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kdev: no display\n");
        return 1;
    }
    if (!DSP_SetMode(width, height)) {
        return usage();
    }
    SCR_Width = uint32_t(width);
    SCR_Height = uint32_t(height);
    MEM_Arena = MEM_CreateStack(0x172000);
    DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
    if (MEM_Arena == nullptr || DPR_Main == nullptr || !MGM_Create(50, 50)) {
        std::fprintf(stderr, "kdev: cannot start the player\n");
        return 1;
    }
    CLK_Start(200, 15);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // A path without a drive is found as the game finds its films: on the drive the data location
    // makes current.
    if (std::strchr(path, ':') == nullptr) {
        DSK_Locate();
    }

    // Texture films lie in the installation folder: a relative path the disc does not hold is
    // looked for there.
    const std::string installed = std::string(DSK_InstallPath()) + path;
    if (!KdevFileFound(path, std::strchr(path, ':') == nullptr ? installed.c_str() : nullptr)) {
        return 1;
    }
    if (HNM_Open(path) == 0 && (std::strchr(path, ':') != nullptr || HNM_Open(installed.c_str()) == 0)) {
        std::fprintf(stderr, "kdev: cannot open film %s\n", path);
        return 1;
    }
    // A 256-colour film is never shown: its pictures go into a texture, written instead of the screen.
    TextureFilm texture;
    const bool to_texture = (HNM_Kind & 7) == HNM_KIND_HNM4;
    const int rows = HNM_State.header.height;
    if (to_texture) {
        texture.model = std::make_unique<kalder_test::Hnm4Model>(256, rows);
        texture_film = &texture;
        HNM_TargetTexture = texture.texels.data();
    }
    picture_folder = pictures ? folder : "";
    HNM_Trace = print_call;
    int frames = 0;
    while (HNM_Kind != 0) {
        std::printf("frame %d\n", frames + 1);
        frame_number = frames + 1;
        HNM_NextFrame();
        frames++;
        char name[32];
        std::snprintf(name, sizeof name, to_texture ? "/texture-%04d.png" : "/frame-%04d.png", frames);
        const std::string file = folder + name;
        const std::vector<uint16_t> painted =
            to_texture ? kalder_test::PaintTexture(texture.texels.data(), rows, texture.palette) : std::vector<uint16_t>();
        const bool written = to_texture ? kalder_test::WritePng16(file, painted.data(), 256, rows, DSP_Rgb555 != 0)
                                        : kalder_test::WritePng16(file, SCR_FrameBuffer, width, height, DSP_Rgb555 != 0);
        if (!written) {
            std::fprintf(stderr, "kdev: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    HNM_Trace = nullptr;
    HNM_TargetTexture = nullptr;
    texture_film = nullptr;
    std::printf("%d frames\n", frames);
    return 0;
}
