// kshow: the developers' program on the SDL back-end, one command with subcommands.
//
//   kshow echo
//       Opens the game's window, starts the message manager and prints every event its receiver
//       gets, one line each ("3 a=0x72 b=0").
//   kshow controls [device]
//       Opens the game's window, installs the control receiver over a running message manager with
//       the given control device (0 keyboard by default) and prints one line per changed control word
//       ("left 0x05") and, once a second, the time factor ("factor 0.6"), until the window closes.
//   kshow card <window|fullscreen> <W>x<H>
//       Starts the display of kalder (window) or kalderdx (fullscreen), sets the mode and shows the
//       test card until the window is closed or the program is asked to end. Prints
//       "mode WxH rgb555=N", or "refused" when the display refuses the mode.
//   kshow sound
//       Finds the disc as the game does, starts the message manager and sound (service 18, which
//       loads the disc's bank) and plays a fixed script: effects 0, 7 and 12, effect 0 at master 64,
//       a looped effect, two seconds of film stream (a 1 kHz tone), an 8-bit voice (a sweep), then
//       silence. No window: it calls SND_Update every 10 ms itself. Each step prints
//       "mark <step> <seconds since sound started>".
//   kshow prof
//       Opens the game's window, starts the 3D library on the "cubes" test scene with Debug_Level 1
//       and renders it with a swinging camera, the profiler's bars and frame rate over each frame,
//       until the window is closed or the program is asked to end. Prints once a second
//       "cycles/s C cycles/refresh R value V", V being the frame rate the overlay shows.
//   kshow cd <n>
//       Opens the CD device over the drive map's track files and prints "tracks N", then "play n",
//       plays track n and prints each change of the play mode ("mode 2", "mode 4"), running the pump
//       every 10 ms. Ends once the mode reads 4 (stopped).
//   kshow cd --playlist <hex> [--seconds S]
//       Opens the CD device and runs the playlist of the value (as MGM service 30 does), stepped every
//       33 ms as rounds would, for S seconds (8 by default). Prints "play n" for each track started.
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/cd.h"
#include "core/dsk.h"
#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/fsb.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/win.h"
#include "plat/sound.h"
#include "core/prof.h"
#include "engine3d/maths.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "plat/time.h"
#include "plat/window.h"
#include "tests/support/scenes.h"
#include "tests/support/testcard.h"
#include "world/ctrl.h"
#include "tests/support/wav_writer.h"
#include "tools/kdev/kdev_files.h"

static MGM_Queue *echo_queue;

static uint8_t echo_handler()
{
    MGM_Event e;
    while (QUE_Read(echo_queue, &e)) {
        std::printf("%c a=0x%02x b=0x%02x\n", char(e.type), unsigned(uint32_t(e.a)), unsigned(uint32_t(e.b)));
    }
    std::fflush(stdout);
    return 1;
}

// The game's window and a message manager, as start-up makes them; 0 when either is refused.
static int open_window_and_mgm()
{
    DSP_BackEnd = 1;
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kshow: no window\n");
        return 0;
    }
    if (!MGM_Create(50, 50)) {
        std::fprintf(stderr, "kshow: no message manager\n");
        return 0;
    }
    return 1;
}

static int echo()
{
    if (!open_window_and_mgm()) {
        return 1;
    }
    echo_queue = QUE_Create(50);
    MGM_SendMessage(38, reinterpret_cast<intptr_t>(echo_queue), reinterpret_cast<intptr_t>(&echo_handler));
    MGM_SendMessage(4);
    MGM_SendMessage(14);
    MGM_SendMessage(10);
    MGM_SendMessage(20);
    MGM_SendMessage(12, 200, 15);
    // One round every few milliseconds, as a game frame would; closing the window ends the loop.
    while (MGM_DispatchMessages()) {
        PLAT_Sleep(5);
    }
    MGM_SendMessage(13);
    MGM_Destroy();
    QUE_Destroy(echo_queue);
    WIN_ShutdownDisplay();
    return 0;
}

static MGM_Queue *idle_queue;
static uint8_t idle_handler() { return 1; }

static int controls(int device)
{
    static const char *const names[CTRL_COUNT] = {"up", "down", "left", "right", "k1", "k2",
                                                  "k3", "sel", "swi", "bt0", "bt1"};
    if (!open_window_and_mgm()) {
        return 1;
    }
    // A receiver of its own stands for the game's, as a modal screen finds it.
    idle_queue = QUE_Create(50);
    MGM_SendMessage(38, reinterpret_cast<intptr_t>(idle_queue), reinterpret_cast<intptr_t>(&idle_handler));
    // Keys and the pad are forwarded; clock stamps are not, since the control receiver takes them
    // for an unknown event.
    MGM_SendMessage(4);
    MGM_SendMessage(10);
    MGM_SendMessage(12, 200, 15);
    CTRL_SetDevice(device);
    CTRL_ResetButtons();
    CTRL_Install();
    int32_t shown[CTRL_COUNT];
    for (int i = 0; i < CTRL_COUNT; i++) {
        shown[i] = CTRL_Controls[i];
    }
    uint32_t next_factor = PLAT_TimeMs() + 1000;
    while (MGM_DispatchMessages()) {
        for (int i = 0; i < CTRL_COUNT; i++) {
            if (CTRL_Controls[i] != shown[i]) {
                shown[i] = CTRL_Controls[i];
                std::printf("%s 0x%02x\n", names[i], unsigned(shown[i]));
            }
        }
        if (int32_t(PLAT_TimeMs() - next_factor) >= 0) {
            next_factor += 1000;
            std::printf("factor %g\n", GAME_TimeFactor);
        }
        std::fflush(stdout);
        PLAT_Sleep(5);
    }
    CTRL_Uninstall();
    MGM_SendMessage(13);
    MGM_Destroy();
    QUE_Destroy(idle_queue);
    WIN_ShutdownDisplay();
    return 0;
}

static uint32_t sound_start;

// Waits ms, running SND_Update every 10 ms (and anything else each step wants).
static void play_for(uint32_t ms, void (*step)() = nullptr)
{
    for (uint32_t start = PLAT_TimeMs(); PLAT_TimeMs() - start < ms;) {
        SND_Update();
        if (step != nullptr) {
            step();
        }
        PLAT_Sleep(10);
    }
}

static void mark(const char *step)
{
    std::printf("mark %s %.3f\n", step, (PLAT_TimeMs() - sound_start) / 1000.0);
    std::fflush(stdout);
}

// The film stream: 5,880-byte blocks (1,470 stereo frames) of a 1 kHz tone at a quarter of full scale,
// continuous from block to block.
static uint32_t stream_frames;
static int stream_blocks;

static void write_stream_block()
{
    std::vector<int16_t> block(1470 * 2);
    for (size_t f = 0; f < 1470; f++, stream_frames++) {
        int16_t v = int16_t(std::lround(8192.0 * std::sin(2.0 * 3.14159265358979 * 1000.0 * stream_frames / 22050.0)));
        block[2 * f] = block[2 * f + 1] = v;
    }
    SND_StreamWrite(reinterpret_cast<const uint8_t *>(block.data()), stream_blocks, 5880);
    stream_blocks++;
}

// Keeps about half a second written ahead of the stream's cursor, up to two seconds in all.
static void refill_stream()
{
    uint32_t cursor = 0;
    if (!PLAT_SoundGetPosition(SND_Stream.buffer, &cursor)) {
        return;
    }
    int32_t playing = int32_t(cursor / 5880);
    while (stream_blocks < 30 && (SND_StreamBlock - playing + 30) % 30 < 8) {
        write_stream_block();
    }
}

static int sound()
{
    std::printf("drive map loaded\n");
    DSK_Locate();
    std::printf("disc found\n");
    if (!KdevFileFound("data\\sound\\fsb.dat")) {
        return 1;
    }
    if (!MGM_Create(50, 50)) {
        std::fprintf(stderr, "kshow: no message manager\n");
        return 1;
    }
    if (MGM_SendMessage(18, 8, reinterpret_cast<intptr_t>("data\\sound")) == 0) {
        std::printf("sound is off: no audio output\n");
        MGM_Destroy();
        return 0;
    }
    sound_start = PLAT_TimeMs();
    std::printf("sound is on, %u sounds in the bank\n", unsigned(FSB_Count));
    play_for(200);
    for (int32_t sound : {0, 7, 12}) {
        char name[32];
        std::snprintf(name, sizeof name, "effect-%d", int(sound));
        mark(name);
        SND_Request request{1, sound, 0, nullptr, 0};
        SND_PlayEffect(&request);
        play_for(500);
    }
    SND_SetMasterVolume(64);
    mark("effect-0-master-64");
    SND_Request quiet{1, 0, 0, nullptr, 0};
    SND_PlayEffect(&quiet);
    play_for(500);
    SND_SetMasterVolume(127);
    mark("looped-effect");
    SND_Request looped{1, 3, SND_LOOP, nullptr, 0};
    SND_PlayEffect(&looped);
    play_for(500);

    mark("stream");
    SND_StreamReset();
    for (int i = 0; i < 8; i++) {
        write_stream_block();
    }
    SND_StreamPlay();
    play_for(2000, refill_stream);
    SND_StreamStop();
    mark("stream-end");
    play_for(300);

    // Half a second of an 8-bit sweep from 200 Hz to 2 kHz.
    mark("voice");
    std::vector<uint8_t> samples(5512);
    double phase = 0.0;
    for (size_t i = 0; i < samples.size(); i++) {
        phase += 2.0 * 3.14159265358979 * (200.0 + 1800.0 * double(i) / 5512.0) / 11025.0;
        samples[i] = uint8_t(128 + std::lround(80.0 * std::sin(phase)));
    }
    std::vector<uint8_t> sweep = kalder_test::WavImage({1, 11025, 8}, samples);
    SND_Play8Bit(sweep.data(), uint32_t(sweep.size()));
    play_for(800);
    mark("silence");
    SND_StopAll();
    play_for(600);
    mark("end");
    MGM_SendMessage(19);
    MGM_Destroy();
    return 0;
}

static int usage()
{
    std::fprintf(stderr, "usage: kshow echo\n       kshow controls [device]\n"
                         "       kshow card <window|fullscreen> <W>x<H>\n       kshow sound\n"
                         "       kshow prof\n       kshow cd <n>\n       kshow cd --playlist <hex> [--seconds S]\n");
    return 2;
}

static int cd_track(uint32_t track)
{
    if (CD_Open() == 0) {
        std::fprintf(stderr, "kshow: the CD device did not open\n");
        return 1;
    }
    std::printf("tracks %u\nplay %u\n", CD_TrackCount, track);
    std::fflush(stdout);
    CD_PlayTrack(track);
    int32_t last = -1;
    for (;;) {
        PLAT_PumpMessages();
        const int32_t mode = CD_GetMode();
        if (mode != last) {
            std::printf("mode %d\n", mode);
            std::fflush(stdout);
            last = mode;
        }
        if (mode == 4) {
            break;
        }
        PLAT_Sleep(10);
    }
    // A moment more of output, so that a recording of it shows the silence after the track.
    PLAT_Sleep(300);
    CD_Close();
    return 0;
}

static int cd_playlist(uint32_t tracks, double seconds)
{
    if (CD_Open() == 0) {
        std::fprintf(stderr, "kshow: the CD device did not open\n");
        return 1;
    }
    std::printf("tracks %u\n", CD_TrackCount);
    MGM_StartPlaylist(int32_t(tracks));
    const uint32_t start = PLAT_TimeMs();
    int32_t index = MGM_PlaylistIndex;
    while (PLAT_TimeMs() - start < uint32_t(seconds * 1000)) {
        PLAT_PumpMessages();
        MGM_StepPlaylist();
        if (MGM_PlaylistIndex != index) {
            index = MGM_PlaylistIndex;
            std::printf("play %d\n", MGM_PlaylistTracks[index]);
            std::fflush(stdout);
        }
        PLAT_Sleep(33);
    }
    CD_Close();
    return 0;
}

static int cd(int argc, char **argv)
{
    if (argc == 3) {
        return cd_track(uint32_t(std::strtoul(argv[2], nullptr, 10)));
    }
    if ((argc == 4 || argc == 6) && std::strcmp(argv[2], "--playlist") == 0) {
        double seconds = 8;
        if (argc == 6) {
            if (std::strcmp(argv[4], "--seconds") != 0) {
                return usage();
            }
            seconds = std::atof(argv[5]);
        }
        return cd_playlist(uint32_t(std::strtoul(argv[3], nullptr, 16)), seconds);
    }
    return usage();
}

static int card(const char *back_end, const char *size)
{
    int width = 0;
    int height = 0;
    if (std::sscanf(size, "%dx%d", &width, &height) != 2) {
        return usage();
    }
    if (std::strcmp(back_end, "window") == 0) {
        DSP_BackEnd = 1;
    } else if (std::strcmp(back_end, "fullscreen") == 0) {
        DSP_BackEnd = 0;
    } else {
        return usage();
    }
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kshow: the display did not start\n");
        return 1;
    }
    if (!DSP_SetMode(width, height)) {
        std::printf("refused\n");
        std::fflush(stdout);
        WIN_ShutdownDisplay();
        return 1;
    }
    // The resolution option would set the drawing size; here the mode is the size.
    SCR_Width = uint32_t(width);
    SCR_Height = uint32_t(height);
    kalder_test::DrawTestCard(SCR_FrameBuffer, width, height, DSP_Rgb555 == 1);
    std::printf("mode %dx%d rgb555=%d\n", width, height, int(DSP_Rgb555));
    std::fflush(stdout);
    while (!PLAT_PumpMessages()) {
        DSP_Present();
    }
    WIN_ShutdownDisplay();
    return 0;
}

// Debug_Level is the tool's own choice: the game never sets it.
static int prof()
{
    DSP_BackEnd = 1;
    if (!WIN_InitDisplay(nullptr, 1)) {
        std::fprintf(stderr, "kshow: no window\n");
        return 1;
    }
    kalder_test::SceneArea area(7850000, int32_t(SCR_Width), int32_t(SCR_Height));
    if (kalder_test::LoadScene(area, "cubes") < 0) {
        std::fprintf(stderr, "kshow: the scene cubes does not load\n");
        WIN_ShutdownDisplay();
        return 1;
    }
    Debug_Level = 1;
    uint32_t next_print = PLAT_TimeMs() + 1000;
    float value = 0.0f;
    for (int32_t frame = 0; !PLAT_PumpMessages(); frame++) {
        // Timer 0 runs from one restart after a frame to the stop in the next; the restart follows
        // the stop at once, so the span between two restarts is what the overlay divides by.
        const float restarted = PROF_Timers[0].start;
        kalder_test::PlaceRootCamera({0, 0, 0}, (Get_Sin((frame * 8) & 4095) * 160) >> 15);
        Render_Frame(SCR_FrameBuffer);
        DSP_Present();
        if (frame > 0) {
            value = PROF_CyclesPerSecond / (PROF_Timers[0].start - restarted);
        }
        if (int32_t(PLAT_TimeMs() - next_print) >= 0) {
            next_print += 1000;
            std::printf("cycles/s %.0f cycles/refresh %.0f value %4.1f\n", double(PROF_CyclesPerSecond),
                        double(Cycles_Per_Refresh), double(value));
            std::fflush(stdout);
        }
    }
    Debug_Level = 0;
    WIN_ShutdownDisplay();
    return 0;
}

int main(int argc, char **argv)
{
    KdevProgramName = "kshow";
    if (argc >= 2 && std::strcmp(argv[1], "echo") == 0) {
        return echo();
    }
    if ((argc == 2 || argc == 3) && std::strcmp(argv[1], "controls") == 0) {
        return controls(argc == 3 ? std::atoi(argv[2]) : 0);
    }
    if (argc == 2 && std::strcmp(argv[1], "sound") == 0) {
        return sound();
    }
    if (argc >= 2 && std::strcmp(argv[1], "cd") == 0) {
        return cd(argc, argv);
    }
    if (argc == 4 && std::strcmp(argv[1], "card") == 0) {
        return card(argv[2], argv[3]);
    }
    if (argc == 2 && std::strcmp(argv[1], "prof") == 0) {
        return prof();
    }
    return usage();
}
