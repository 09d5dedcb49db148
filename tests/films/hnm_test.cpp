// The film player on the headless back-end: films made by the film writer on a temporary drive, read
// through the real streaming buffer, message manager, sound module and clock, and followed through the
// player's trace of its calls.
#include "tests/films/film_screen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/clk.h"
#include "core/dpr.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "core/win.h"
#include "films/hnm.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "plat/window.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_film.h"
#include "tests/support/demo_level.h"
#include "tests/support/film_samples.h"
#include "tests/support/film_writer.h"
#include "tests/support/font_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/temp_drives.h"

namespace {

using kalder_test::DeltaTable;
using kalder_test::FilmWriter;

struct Call {
    std::string routine;
    std::vector<uint8_t> payload;
    int32_t a, b, c;
};
std::vector<Call> calls;

void record(const char *routine, const uint8_t *payload, uint32_t length, int32_t a, int32_t b, int32_t c)
{
    Call call{routine, {}, a, b, c};
    if (payload != nullptr) {
        call.payload.assign(payload, payload + length);
    }
    calls.push_back(std::move(call));
}

// A call as the tables below write it: the routine, and the subtype and flag of a 256-colour picture,
// or the place, font and text of a subtitle.
std::string token(const Call &call)
{
    if (call.routine == "HNM_DecodeHNM4Frame") {
        return call.routine + " " + char(call.a) + " " + std::to_string(call.b);
    }
    if (call.routine == "HNM_DrawSubtitle") {
        return call.routine + " " + std::to_string(call.a) + " " + std::to_string(call.b) + " " +
               std::to_string(call.c) + " " + std::string(call.payload.begin(), call.payload.end());
    }
    return call.routine;
}

std::vector<uint8_t> pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; i++) {
        out[i] = uint8_t(i * 37 + seed);
    }
    return out;
}

// A delta table other than the writer's default, so that the table a film carries is seen to be used.
DeltaTable odd_table(int step)
{
    DeltaTable table{};
    for (int k = 0; k < 256; k++) {
        table[size_t(k)] = int16_t((k - 128) * step + (k & 1) * 5);
    }
    return table;
}

// Stereo samples of a tone, n blocks long.
std::vector<int16_t> tone(size_t blocks, double frequency)
{
    std::vector<int16_t> out(blocks * kalder_test::kFilmSoundCodes);
    for (size_t i = 0; i < out.size() / 2; i++) {
        const auto v = int16_t(std::lround(9000.0 * std::sin(2 * M_PI * frequency * double(i) / 22050.0)));
        out[2 * i] = v;
        out[2 * i + 1] = int16_t(-v / 2);
    }
    return out;
}

// A film with sound, block-transform ("HNS6") or hi-colour ("MIS2"): the first frame carries
// first_blocks blocks (the first with the table), every later frame one. The block-transform film ends
// at its zero frame header, the hi-colour one at its frame count; its pictures change nothing.
std::vector<uint8_t> sound_film(const std::string &magic, const DeltaTable &table,
                                const std::vector<std::vector<uint8_t>> &blocks, size_t first_blocks)
{
    FilmWriter film(magic);
    std::vector<std::vector<uint8_t>> first;
    for (size_t b = 0; b < first_blocks && b < blocks.size(); b++) {
        first.push_back(b == 0 ? kalder_test::SoundFirstPayload(table, blocks[b]) : blocks[b]);
    }
    auto frame = [&](const std::vector<std::vector<uint8_t>> &sound, uint8_t seed) {
        if (magic == "MIS2") {
            film.BeginFrame();
            for (const auto &payload : sound) {
                film.Chunk("SD", payload);
            }
            film.Chunk("IV", {0, 1}).EndFrame();
        } else {
            film.IXFrame(sound, "", pattern(24, seed));
        }
    };
    frame(first, 1);
    for (size_t b = first_blocks; b < blocks.size(); b++) {
        frame({blocks[b]}, 2);
    }
    if (magic != "MIS2") {
        film.ZeroFrame();
    }
    return film.Bytes();
}

class FilmTest : public FilmFixture {
protected:
    void SetUp() override
    {
        FilmFixture::SetUp();
        calls.clear();
        HNM_Trace = record;
        SCR_Width = 640;
        SCR_Height = 480;
    }

    void TearDown() override
    {
        HNM_Close();
        HNM_Trace = nullptr;
        QUE_Destroy(receiver_);
        receiver_ = nullptr;
        FilmFixture::TearDown();
    }

    // The '?' events the player posted since the last look.
    static int Ends()
    {
        int n = 0;
        MGM_Event event;
        while (QUE_Read(MGM_ControlQueue, &event)) {
            n += event.type == '?' ? 1 : 0;
        }
        return n;
    }

    // One frame: the calls it made, without the sound stream's.
    static std::vector<std::string> Frame()
    {
        calls.clear();
        HNM_NextFrame();
        std::vector<std::string> out;
        for (const Call &call : calls) {
            if (call.routine.rfind("SND_", 0) != 0) {
                out.push_back(token(call));
            }
        }
        return out;
    }

    static std::vector<std::string> Routines()
    {
        std::vector<std::string> out;
        for (const Call &call : calls) {
            out.push_back(call.routine);
        }
        return out;
    }

    static const uint8_t *StreamBytes() { return test::InspectSound(SND_Stream.buffer).data; }

    MGM_Queue *receiver_ = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// Opening

// A small film of the magic's decoder, with enough bytes after it that its file stays open after the
// pre-fill, so that a failure is seen to close it.
std::vector<uint8_t> small_film(const std::string &magic, bool padded = true)
{
    const char *picture = magic[2] == '4' ? "IZ" : magic[0] == 'M' ? "IV" : "IX";
    FilmWriter film(magic);
    film.Size(256, 256).BeginFrame().Chunk(picture, pattern(16, 3)).EndFrame().ZeroFrame();
    std::vector<uint8_t> bytes = film.Bytes();
    if (padded) {
        bytes.resize(bytes.size() + 0x60000, 0);
    }
    return bytes;
}

TEST_F(FilmTest, OpenTellsTheKindAndTheResult)
{
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes; // empty: no file
        bool sound;
        int32_t result;
        int32_t kind;
        uint32_t arena = 0x172000;
    };
    std::vector<uint8_t> header_only = small_film("HNS6", false);
    header_only.resize(68);
    std::vector<uint8_t> short_header = header_only;
    short_header.resize(67);
    std::vector<uint8_t> bad_magic = small_film("HNM6");
    std::memcpy(bad_magic.data(), "HNM5", 4);
    const Case cases[] = {
        {"HNM4", small_film("HNM4"), true, 1, 1},
        {"HNM4 without sound", small_film("HNM4"), false, 1, 1},
        {"MIB2", small_film("MIB2"), true, 1, 2},
        {"MIB2 without sound", small_film("MIB2"), false, 1, 2},
        {"HNM6", small_film("HNM6"), true, 1, 4},
        {"HNM6 without sound", small_film("HNM6"), false, 1, 4},
        {"HNS4", small_film("HNS4"), true, 2, 9},
        {"HNS4 without sound", small_film("HNS4"), false, 1, 1},
        {"MIS2", small_film("MIS2"), true, 2, 10},
        {"MIS2 without sound", small_film("MIS2"), false, 1, 2},
        {"HNS6", small_film("HNS6"), true, 2, 12},
        {"HNS6 without sound", small_film("HNS6"), false, 1, 4},
        {"unknown magic", bad_magic, true, 0, 0},
        {"67 bytes", short_header, true, 0, 0},
        {"68 bytes", header_only, true, 2, 12},
        {"missing file", {}, true, 0, 0},
        {"no room for the ring", small_film("HNM6"), true, 0, 0, 0x1000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        StartCore(c.arena, c.sound);
        const std::string path = c.bytes.empty() ? "data\\hnm\\none.hnm" : Film("film", c.bytes);
        // Whatever was taken from the arena before a film opens is given back by the open.
        ASSERT_NE(MEM_StackAlloc(MEM_Arena, 0x400), nullptr);
        EXPECT_EQ(HNM_Open(path.c_str()), c.result);
        EXPECT_EQ(HNM_Kind, c.kind);
        // Block-transform and hi-colour films draw on the screen; 256-colour ones feed a texture.
        EXPECT_EQ(HNM_DrawsPictures(), (c.kind & 7) == 2 || (c.kind & 7) == 4 ? 1 : 0);
        if (c.result == 0) {
            EXPECT_EQ(test::OpenFileCount(), 0);
            continue;
        }
        EXPECT_EQ(HNM_State.frames_left, HNM_State.header.frame_count);
        EXPECT_EQ(test::OpenFileCount(), c.bytes.size() > 0x58000 ? 1 : 0);
        if ((c.kind & 7) == 1) {
            // The 256-colour buffers are static: the arena holds the streaming ring alone.
            EXPECT_EQ(MEM_Arena->top - MEM_Arena->base, 0xB0004);
        }
    }
    EXPECT_EQ(HNM_Open(nullptr), 0);
    EXPECT_EQ(HNM_Kind, 0);
}

TEST_F(FilmTest, OpeningASecondFilmClosesTheFirst)
{
    StartCore();
    const std::string first = Film("first", small_film("HNM6"));
    const std::string second = Film("second", small_film("MIB2"));
    ASSERT_EQ(HNM_Open(first.c_str()), 1);
    EXPECT_EQ(test::OpenFileCount(), 1);
    calls.clear();
    ASSERT_EQ(HNM_Open(second.c_str()), 1);
    EXPECT_EQ(Routines(), (std::vector<std::string>{"HNM_FreeIXBuffers", "HNM_AllocIVBuffers"}));
    EXPECT_EQ(HNM_Kind, 2);
    EXPECT_EQ(test::OpenFileCount(), 1);
    HNM_Close();
    EXPECT_EQ(test::OpenFileCount(), 0);
    EXPECT_EQ(Ends(), 0);
}

// ---------------------------------------------------------------------------------------------------
// With the message manager

uint8_t keep_running() { return 1; }

TEST_F(FilmTest, MessageManagerRunsTheFilmByTicksOrBySound)
{
    for (const std::string magic : {"HNS6", "MIS2"}) {
        for (const bool sound : {false, true}) {
            SCOPED_TRACE(magic + (sound ? " with sound" : " silent"));
            TearDown();
            SetUp();
            WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
            StartCore(kArena, sound);
            receiver_ = QUE_Create(50);
            MGM_SendMessage(38, reinterpret_cast<intptr_t>(receiver_), reinterpret_cast<intptr_t>(&keep_running));
            MGM_SendMessage(12, 200, 15);
            std::vector<std::vector<uint8_t>> blocks(19, pattern(kalder_test::kFilmSoundCodes, 9));
            const std::string path = Film("paced", sound_film(magic, kalder_test::DefaultDeltaTable(), blocks, 15));

            // One pass; the events the receiver got, each '>' answered as the frame handler does.
            auto pass = [&](uint32_t ms) {
                test::AdvanceClock(ms);
                MGM_DispatchMessages();
                std::string got;
                MGM_Event event;
                while (QUE_Read(receiver_, &event)) {
                    if (event.type == '>' || event.type == '?') {
                        got += char(event.type);
                    }
                    if (event.type == '>') {
                        HNM_NextFrame();
                    }
                }
                return got;
            };

            ASSERT_EQ(MGM_SendMessage(23, reinterpret_cast<intptr_t>(path.c_str()), 5), sound ? 2 : 1);
            EXPECT_EQ(MGM_LastResult, sound ? 2 : 1);
            MGM_SendMessage(24);
            EXPECT_EQ(MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED), sound ? MGM_FILM_PACED : MGM_FILM_TICKED);
            std::string events;
            if (!sound) {
                // One frame per clock tick, nothing between ticks.
                for (int frame = 0; frame < 5; frame++) {
                    EXPECT_EQ(pass(1), "");
                    EXPECT_EQ(pass(66), ">");
                }
            } else {
                // The first frame at once; then one every 13 clock units, counted from the sound's start.
                EXPECT_EQ(pass(0), ">");
                for (int frame = 1; frame < 5; frame++) {
                    const int units = frame == 1 ? 14 : 13;
                    std::string gap;
                    for (int unit = 0; unit < units; unit++) {
                        const std::string got = pass(5);
                        gap += got.empty() ? "." : got;
                    }
                    EXPECT_EQ(gap, std::string(size_t(units - 1), '.') + ">") << "frame " << frame + 1;
                }
            }
            EXPECT_EQ(pass(0), "?");
            EXPECT_EQ(MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED), 0);
            EXPECT_EQ(HNM_Kind, 0);

            // Service 25 closes a running film and ends it without '?'.
            ASSERT_EQ(MGM_SendMessage(23, reinterpret_cast<intptr_t>(path.c_str()), 5), sound ? 2 : 1);
            MGM_SendMessage(24);
            pass(sound ? 0 : 67);
            MGM_SendMessage(25);
            EXPECT_EQ(HNM_Kind, 0);
            EXPECT_EQ(MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED), 0);
            EXPECT_EQ(pass(67), "");
            EXPECT_EQ(test::OpenFileCount(), 0);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Frame loops

TEST_F(FilmTest, FramesCallTheirReceiversInChunkOrder)
{
    struct Case {
        const char *what;
        std::function<std::vector<uint8_t>()> film;
        bool sound;
        std::vector<std::vector<std::string>> frames; // the last one ends the film
    };
    const std::vector<uint8_t> picture = pattern(32, 7);
    const std::vector<uint8_t> palette = kalder_test::PalettePayload({{4, {{1, 2, 3}}}}, true);
    const std::vector<std::string> iv_frame = {"HNM_DecodeSound",   "HNM_SetIVPalette", "HNM_SetSubtitle",
                                               "HNM_DecodeIVFrame", "HNM_SwapIVBuffers", "HNM_ShowIVFrame",
                                               "HNM_DrawSubtitle 320 448 0 Hi"};
    std::vector<std::string> iv_last = iv_frame;
    iv_last.push_back("HNM_FreeIVBuffers");
    const Case cases[] = {
        {"hi-colour film: three frames, each shown at its end",
         [&] {
             FilmWriter film("MIS2");
             for (int f = 0; f < 3; f++) {
                 film.BeginFrame();
                 if (f == 0) {
                     film.SoundFirst(kalder_test::DefaultDeltaTable(), pattern(2940, 1));
                 } else {
                     film.Sound(pattern(2940, 2));
                 }
                 film.Palette({{0, {{1, 2, 3}, {4, 5, 6}}}}).Subtitle("Hi").Chunk("IV", picture);
                 film.Chunk("QQ", pattern(5, 0)).EndFrame();
             }
             return film.Bytes();
         },
         true,
         {iv_frame, iv_frame, iv_last}},
        {"block-transform film of count 2 and five frames: the count shortens the first two",
         [&] {
             FilmWriter film("HNM6");
             film.FrameCount(2);
             for (int f = 1; f <= 5; f++) {
                 film.BeginFrame();
                 if (f == 3) {
                     film.Chunk("PL", palette);
                 }
                 film.Chunk("IX", picture);
                 if (f != 3) {
                     film.Subtitle("after");
                 }
                 film.EndFrame();
             }
             film.ZeroFrame();
             return film.Bytes();
         },
         false,
         {{"HNM_ShowIXFrame", "HNM_SwapIXBuffers"},
          {"HNM_ShowIXFrame", "HNM_SwapIXBuffers"},
          {"HNM_ShowIXFrame", "HNM_SwapIXBuffers"},
          {"HNM_ShowIXFrame", "HNM_SwapIXBuffers", "HNM_SetSubtitle"},
          {"HNM_ShowIXFrame", "HNM_SwapIXBuffers", "HNM_SetSubtitle", "HNM_FreeIXBuffers"}}},
        {"256-colour film: other chunks, then one video chunk a frame",
         [&] {
             FilmWriter film("HNM4");
             film.Size(256, 16);
             film.BeginFrame().Chunk("PL", palette).Subtitle("skipped").Sound(pattern(30, 1));
             film.Chunk("IZ", picture).EndFrame();
             film.BeginFrame().Chunk("IA", {}).EndFrame();
             film.BeginFrame().Chunk("PL", palette).Chunk("IU", picture).EndFrame();
             return film.Bytes();
         },
         false,
         {{"TEX_ApplyFilmPalette", "HNM_DecodeHNM4Frame Z 1"},
          {"HNM_DecodeHNM4Frame A 1"},
          {"TEX_ApplyFilmPalette", "HNM_DecodeHNM4Frame U 1", "HNM_ReleaseHNM4"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        StartCore(kArena, c.sound);
        const std::string path = Film("loop", c.film());
        ASSERT_NE(HNM_Open(path.c_str()), 0);
        for (size_t f = 0; f < c.frames.size(); f++) {
            SCOPED_TRACE("frame " + std::to_string(f + 1));
            EXPECT_EQ(Frame(), c.frames[f]);
            EXPECT_EQ(Ends(), f + 1 == c.frames.size() ? 1 : 0);
        }
        EXPECT_EQ(HNM_Kind, 0);
        EXPECT_EQ(test::OpenFileCount(), 0);
        EXPECT_EQ(Frame(), std::vector<std::string>{});
        EXPECT_EQ(Ends(), 0);
    }
}

TEST_F(FilmTest, PayloadsReachTheirReceiversWhole)
{
    StartCore();
    const std::vector<uint8_t> picture = pattern(1000, 5);
    const std::vector<uint8_t> palette = kalder_test::PalettePayload({{0, {{63, 0, 0}}}, {255, {}}}, true);
    FilmWriter film("HNM4");
    film.Size(256, 16).BeginFrame().Palette({{0, {{63, 0, 0}}}, {255, {}}}, true).Chunk("IZ", picture).EndFrame();
    ASSERT_EQ(HNM_Open(Film("whole", film.Bytes()).c_str()), 1);
    calls.clear();
    HNM_NextFrame();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].payload, palette);
    EXPECT_EQ(calls[1].payload, picture);
}

// ---------------------------------------------------------------------------------------------------
// Sound

TEST_F(FilmTest, SoundBlocksFillTheStreamRing)
{
    for (const std::string magic : {"HNS6", "MIS2"}) {
        SCOPED_TRACE(magic);
        TearDown();
        SetUp();
        StartCore(kArena, true);
        const DeltaTable table = odd_table(53);
        const kalder_test::DpcmSound sound = kalder_test::EncodeDpcm(tone(32, 440.0), table);
        ASSERT_EQ(sound.blocks.size(), 32u);
        const std::string path = Film("ring", sound_film(magic, table, sound.blocks, 15));
        ASSERT_EQ(HNM_Open(path.c_str()), 2);
        calls.clear();
        test::AdvanceClock(500);
        CLK_Update();
        const uint32_t clock = CLK_GameClock;
        HNM_NextFrame();
        // Fifteen blocks ahead, then the stream starts, stamped with the clock of the moment.
        std::vector<std::string> first = Routines();
        const std::vector<std::string> expected_start = {"HNM_DecodeSound", "SND_StreamReset", "SND_StreamWrite"};
        ASSERT_GE(first.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 3), expected_start);
        EXPECT_EQ(std::count(first.begin(), first.end(), "SND_StreamWrite"), 15);
        const auto play = std::find(first.begin(), first.end(), "SND_StreamPlay");
        ASSERT_NE(play, first.end());
        EXPECT_EQ(std::count(first.begin(), play, "SND_StreamWrite"), 15);
        EXPECT_TRUE(test::InspectSound(SND_Stream.buffer).playing);
        EXPECT_EQ(SND_StreamStartTime, clock);
        for (int frame = 0; frame < 17; frame++) {
            calls.clear();
            HNM_NextFrame();
            EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call &c) { return c.routine == "SND_StreamWrite"; }),
                      1);
        }
        // 32 blocks in a ring of 30: the 31st and 32nd wrote over the first two.
        for (size_t block = 0; block < 30; block++) {
            SCOPED_TRACE("ring block " + std::to_string(block));
            const size_t from = block < 2 ? block + 30 : block;
            EXPECT_EQ(std::memcmp(StreamBytes() + block * 5880, sound.pcm.data() + from * 2940, 5880), 0);
        }
    }
}

TEST_F(FilmTest, TheFirstFrameStartsTheStreamAtItsFifteenthBlock)
{
    struct Case {
        size_t first_blocks;
        int plays;  // SND_StreamPlay calls in the first frame
        int resets; // delta tables read in the first frame
    };
    const Case cases[] = {{14, 0, 1}, {15, 1, 1}, {31, 1, 2}};
    const DeltaTable table_a = odd_table(40);
    const DeltaTable table_b = odd_table(-71);
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.first_blocks) + " blocks in the first frame");
        TearDown();
        SetUp();
        StartCore(kArena, true);
        std::vector<std::vector<uint8_t>> blocks;
        for (size_t b = 0; b < c.first_blocks + 2; b++) {
            blocks.push_back(pattern(2940, uint8_t(b)));
        }
        // The 31st block of a first frame is read as carrying a table again.
        if (c.first_blocks == 31) {
            blocks[30] = kalder_test::SoundFirstPayload(table_b, pattern(2940, 30));
        }
        ASSERT_EQ(HNM_Open(Film("first", sound_film("HNS6", table_a, blocks, c.first_blocks)).c_str()), 2);
        calls.clear();
        HNM_NextFrame();
        const std::vector<std::string> routines = Routines();
        EXPECT_EQ(std::count(routines.begin(), routines.end(), "SND_StreamPlay"), c.plays);
        EXPECT_EQ(std::count(routines.begin(), routines.end(), "SND_StreamReset"), c.resets);
        // The reset at the 31st block stops every channel, the stream among them.
        EXPECT_EQ(test::InspectSound(SND_Stream.buffer).playing, c.plays == 1 && c.first_blocks < 30);
        if (c.first_blocks == 31) {
            uint32_t levels = 0;
            const std::vector<int16_t> pcm = kalder_test::DecodeDpcm(pattern(2940, 30), table_b, &levels);
            EXPECT_EQ(std::memcmp(StreamBytes(), pcm.data(), 5880), 0);
        }
        calls.clear();
        HNM_NextFrame();
        const std::vector<std::string> later = Routines();
        EXPECT_EQ(std::count(later.begin(), later.end(), "SND_StreamPlay"), 0);
        EXPECT_EQ(std::count(later.begin(), later.end(), "SND_StreamWrite"), 1);
    }
}

TEST_F(FilmTest, WithoutSoundTheSoundFilmPlaysSilentByTicks)
{
    StartCore();
    std::vector<std::vector<uint8_t>> blocks(18, pattern(2940, 4));
    ASSERT_EQ(HNM_Open(Film("silent", sound_film("HNS6", kalder_test::DefaultDeltaTable(), blocks, 15)).c_str()), 1);
    EXPECT_EQ(HNM_Kind, 4);
    int frames = 0;
    while (HNM_Kind != 0 && frames < 10) {
        HNM_NextFrame();
        frames++;
    }
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(Ends(), 1);
    for (const std::string &routine : Routines()) {
        EXPECT_EQ(routine.rfind("SND_Stream", 0), std::string::npos) << routine;
        EXPECT_NE(routine, "HNM_DecodeSound");
    }
}

TEST_F(FilmTest, ShortSoundPayloadsHoldTheirLastLevel)
{
    const DeltaTable table = odd_table(29);
    std::vector<uint8_t> table_bytes(512);
    std::memcpy(table_bytes.data(), table.data(), 512);
    auto first_payload = [&](size_t n) {
        std::vector<uint8_t> p = table_bytes;
        const std::vector<uint8_t> codes = pattern(4000, 77);
        p.insert(p.end(), codes.begin(), codes.end());
        p.resize(n);
        return p;
    };
    const size_t sizes[] = {0, 100, 511, 512 + 1000, 2940, 512 + 2940 + 300};
    const std::vector<uint8_t> later = pattern(101, 200);
    for (size_t size : sizes) {
        SCOPED_TRACE(std::to_string(size) + " bytes in the first sound chunk");
        TearDown();
        SetUp();
        StartCore(kArena, true);
        const std::vector<uint8_t> payload = first_payload(size);
        FilmWriter film("HNS6");
        film.BeginFrame().Chunk("SD", payload).Chunk("IX", pattern(24, 0)).EndFrame();
        film.BeginFrame().Chunk("SD", later).Chunk("IX", pattern(24, 0)).EndFrame().ZeroFrame();
        ASSERT_EQ(HNM_Open(Film("short", film.Bytes()).c_str()), 2);
        HNM_NextFrame();
        HNM_NextFrame();
        EXPECT_EQ(Ends(), 1);

        // The table's bytes present, zero after; the codes present, then both levels held.
        DeltaTable expected_table{};
        const size_t table_size = std::min<size_t>(size, 512);
        std::memcpy(expected_table.data(), payload.data(), table_size);
        uint32_t levels = 0;
        std::vector<int16_t> expected;
        for (const std::vector<uint8_t> &codes :
             {std::vector<uint8_t>(payload.begin() + long(table_size), payload.begin() + long(std::min<size_t>(size, 512 + 2940))),
              later}) {
            std::vector<int16_t> block = kalder_test::DecodeDpcm(codes, expected_table, &levels);
            while (block.size() < 2940) {
                block.push_back(int16_t(levels & 0xFFFF));
                block.push_back(int16_t(levels >> 16));
            }
            expected.insert(expected.end(), block.begin(), block.end());
        }
        EXPECT_EQ(std::memcmp(StreamBytes(), expected.data(), 2 * 5880), 0);
    }
}

TEST_F(FilmTest, StereoDecodingWrapsAndTakesWholeFrames)
{
    DeltaTable table{};
    table[1] = 30000;
    table[2] = -30000;
    table[3] = 1;
    const uint8_t codes[] = {1, 2, 1, 2, 3, 3, 1};
    int16_t out[8] = {};
    uint32_t levels = 0x00010002; // left 2, right 1
    HNM_DecodeDPCMStereo(&levels, table.data(), codes, 7, out);
    // 7 codes give three frames; the seventh is left for nobody.
    const int16_t expected[8] = {30002, -29999, int16_t(60002 - 65536), int16_t(-59999 + 65536), int16_t(60003 - 65536),
                                 int16_t(-59998 + 65536), 0, 0};
    EXPECT_EQ(std::memcmp(out, expected, sizeof out), 0);
    EXPECT_EQ(levels, uint32_t(uint16_t(expected[4])) | uint32_t(uint16_t(expected[5])) << 16);
    uint32_t unchanged = 0x12345678;
    HNM_DecodeDPCMStereo(&unchanged, table.data(), codes, 1, out);
    EXPECT_EQ(unchanged, 0x12345678u);

    uint16_t level = 0xFFFF;
    int16_t mono[3] = {};
    HNM_DecodeDPCMMono(&level, table.data(), codes, 3, mono);
    EXPECT_EQ(mono[0], int16_t(29999));
    EXPECT_EQ(mono[1], int16_t(-1));
    EXPECT_EQ(mono[2], int16_t(29999));
    EXPECT_EQ(level, 29999);
}

// ---------------------------------------------------------------------------------------------------
// Pacing

TEST_F(FilmTest, SoundFilmsAreDueEveryThirteenUnits)
{
    struct Step {
        uint32_t units; // clock units passed before the poll
        int due;
    };
    struct Case {
        const char *what;
        size_t first_blocks;
        std::function<void()> before_open;
        std::function<void()> after_first; // base and clock set by hand
        std::vector<Step> steps;
    };
    auto repeat = [](std::vector<Step> steps, Step step, int n) {
        steps.insert(steps.end(), size_t(n), step);
        return steps;
    };
    const Case cases[] = {
        {"13 units are not due", 15, nullptr, nullptr, {{0, 0}, {13, 0}, {0, 0}}},
        {"14 units are due and move the base by 13", 15, nullptr, nullptr, {{14, 1}, {0, 0}, {12, 0}, {1, 1}, {0, 0}}},
        {"after a stall of 200 units, 15 polls in a row are due", 15, nullptr, nullptr,
         repeat(repeat({{200, 1}}, {0, 1}, 14), {0, 0}, 2)},
        {"a base just below 2^32 and a wrapped clock", 15, nullptr,
         [] {
             SND_StreamStartTime = 0xFFFFFFF8u;
             CLK_GameClock = 5;
         },
         {{0, 0}, {1, 1}, {0, 0}}},
        {"a short pre-roll is paced from the opening", 10,
         [] {
             test::AdvanceClock(5000);
             CLK_Update();
             SND_StreamStartTime = 0;
         },
         nullptr, {{0, 0}, {13, 0}, {1, 1}, {0, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        StartCore(kArena, true);
        std::vector<std::vector<uint8_t>> blocks(c.first_blocks + 5, pattern(2940, 3));
        const std::string path = Film("paced", sound_film("HNS6", kalder_test::DefaultDeltaTable(), blocks, c.first_blocks));
        if (c.before_open) {
            c.before_open();
        }
        ASSERT_EQ(HNM_Open(path.c_str()), 2);
        // The first frame is due at once, and stays due until it is read.
        EXPECT_EQ(HNM_FrameDue(), 1);
        EXPECT_EQ(HNM_FrameDue(), 1);
        HNM_NextFrame();
        if (c.after_first) {
            c.after_first();
        }
        for (size_t i = 0; i < c.steps.size(); i++) {
            test::AdvanceClock(c.steps[i].units * 5);
            EXPECT_EQ(HNM_FrameDue(), c.steps[i].due) << "poll " << i;
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Subtitles

TEST_F(FilmTest, SubtitlesShowOnTheirFrameOnly)
{
    struct Case {
        uint32_t width, height;
        int32_t x, y, font;
    };
    const Case cases[] = {
        {640, 480, 320, 448, 0}, {640, 400, 320, 374, 0}, {320, 400, 160, 374, 0},
        {400, 300, 200, 280, 1}, {320, 200, 160, 187, 1},
    };
    FilmWriter film("HNM6");
    film.IXFrame({}, "", pattern(24, 0)).IXFrame({}, "Kalder", pattern(24, 0)).IXFrame({}, "", pattern(24, 0));
    film.ZeroFrame();
    const std::vector<uint8_t> bytes = film.Bytes();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        TearDown();
        SetUp();
        StartCore();
        SCR_Width = c.width;
        SCR_Height = c.height;
        ASSERT_EQ(HNM_Open(Film("titled", bytes).c_str()), 1);
        const std::string drawn = "HNM_DrawSubtitle " + std::to_string(c.x) + " " + std::to_string(c.y) + " " +
                                  std::to_string(c.font) + " Kalder";
        for (int frame = 1; frame <= 3; frame++) {
            const std::vector<std::string> trace = Frame();
            EXPECT_EQ(std::count(trace.begin(), trace.end(), drawn), frame == 2 ? 1 : 0) << "frame " << frame;
            EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                                    [](const std::string &t) { return t.rfind("HNM_DrawSubtitle", 0) == 0; }),
                      frame == 2 ? 1 : 0);
        }
    }
}

TEST_F(FilmTest, SubtitleTextsAreCutAndShownLiterally)
{
    struct Case {
        const char *what;
        std::vector<uint8_t> payload;
        std::string shown;
    };
    std::vector<uint8_t> nul_inside = kalder_test::SubtitlePayload("two");
    nul_inside.push_back('x');
    const Case cases[] = {
        {"a text of 300 bytes without its end", std::vector<uint8_t>(300, 'a'), std::string(255, 'a')},
        {"a formatting directive", kalder_test::SubtitlePayload("100%s"), "100%s"},
        {"a text without its end", {'e', 'n', 'd'}, "end"},
        {"bytes after the end", nul_inside, "two"},
        {"an empty payload", {}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        StartCore();
        FilmWriter film("HNM6");
        film.BeginFrame().Chunk("ST", c.payload).Chunk("IX", pattern(24, 0)).EndFrame().ZeroFrame();
        ASSERT_EQ(HNM_Open(Film("text", film.Bytes()).c_str()), 1);
        HNM_NextFrame();
        const auto drawn =
            std::find_if(calls.begin(), calls.end(), [](const Call &call) { return call.routine == "HNM_DrawSubtitle"; });
        ASSERT_NE(drawn, calls.end());
        EXPECT_EQ(std::string(drawn->payload.begin(), drawn->payload.end()), c.shown);
        EXPECT_EQ(std::string(HNM_State.subtitle), c.shown);
    }
}

// ---------------------------------------------------------------------------------------------------
// Whole and damaged films

TEST_F(FilmTest, WholeAndDamagedFilmsEndOnceAndCleanly)
{
    std::vector<kalder_test::FilmSample> cases = kalder_test::WholeFilmSamples();
    const std::vector<kalder_test::FilmSample> damaged = kalder_test::DamagedFilmSamples();
    cases.insert(cases.end(), damaged.begin(), damaged.end());
    for (const kalder_test::FilmSample &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        StartCore(kArena, true);
        try {
            ASSERT_NE(HNM_Open(Film("sample", c.bytes).c_str()), 0);
            for (int frame = 0; frame < 100 && HNM_Kind != 0; frame++) {
                HNM_NextFrame();
            }
        } catch (const test::ExitCalled &exit) {
            ADD_FAILURE() << "fatal stop " << exit.code;
        }
        EXPECT_EQ(Ends(), 1);
        EXPECT_EQ(HNM_Kind, 0);
        EXPECT_EQ(test::OpenFileCount(), 0);
        const std::vector<std::string> routines = Routines();
        auto count = [&](std::initializer_list<const char *> names) {
            int n = 0;
            for (const char *name : names) {
                n += int(std::count(routines.begin(), routines.end(), name));
            }
            return n;
        };
        if (c.pictures >= 0) {
            EXPECT_EQ(count({"HNM_DecodeHNM4Frame", "HNM_DecodeIVFrame", "HNM_ShowIXFrame"}), c.pictures);
            EXPECT_EQ(count({"HNM_DecodeSound"}), c.sounds);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Start-up

// The demo installation's opening film, through the real start-up and dispatch loop: the game is held
// while its 46 frames play, with sound or, without a device, by clock ticks, and goes on after it.
TEST_F(FilmTest, StartUpPlaysTheOpeningFilmWithTheGameHeld)
{
    // What start-up reads of the demo installation, written once for both runs: the level, the sprite
    // and icon files and the opening film (the title's and the way's films are left out).
    kalder_test::TempDrives installation("CD");
    ASSERT_TRUE(kalder_test::WriteDemoLevel(installation));
    ASSERT_TRUE(kalder_test::WriteDemoSpriteFiles(installation.Host('D')));
    ASSERT_TRUE(kalder_test::WriteDemoIconPack(installation.Host('D')));
    ASSERT_TRUE(kalder_test::WriteDemoFilm(installation.Host('D')));
    for (const bool sound : {true, false}) {
        SCOPED_TRACE(sound ? "with a sound device" : "without a sound device");
        TearDown();
        SetUp();
        test::MapDrive('C', installation.Host('C'));
        test::MapDrive('D', installation.Host('D'));
        test::ResetCurrentDirectories();
        test::SetSoundDevice(sound);
        ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
        SYS_Init();
        SYS_CreateMessageManager();
        EXPECT_EQ(GAME_FilmHold, 1);
        EXPECT_EQ(HNM_Kind, sound ? 12 : 4);
        EXPECT_EQ(MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED), sound ? MGM_FILM_PACED : MGM_FILM_TICKED);
        calls.clear();
        int passes = 0;
        while (GAME_FilmHold == 1 && passes < 2000) {
            test::AdvanceClock(5);
            MGM_DispatchMessages();
            passes++;
        }
        const std::vector<std::string> routines = Routines();
        EXPECT_EQ(GAME_FilmHold, 0);
        EXPECT_EQ(HNM_Kind, 0);
        EXPECT_EQ(std::count(routines.begin(), routines.end(), "HNM_ShowIXFrame"), kalder_test::kDemoFilmFrames);
        EXPECT_EQ(std::count(routines.begin(), routines.end(), "SND_StreamPlay"), sound ? 1 : 0);
        EXPECT_EQ(std::count(routines.begin(), routines.end(), "HNM_DrawSubtitle"), 15);
        // About 3 s either way: 46 frames of 13 clock units (65 ms), or 46 ticks, which 5 ms steps
        // stretch to 70 ms.
        EXPECT_NEAR(passes * 5, sound ? 2925 : 3220, 30);
        SYS_DestroyMessageManager();
        SYS_Shutdown();
        WIN_ShutdownDisplay();
        TXT_FreeAll();
    }
}

} // namespace
