// mkdemo: writes a small synthetic installation that `make run` plays from.
//
// Layout, under the folder given: drives/D is the game disc (DATA\1CD.ID, and the project database
// kalder.dat at its root) and drives/C the hard disk holding the installation folder VORN\KALDER
// (DATA\HD.ID, with empty DATA\3DC, DATA\ANIM and DATA\GAME: a standard installation, not a full
// one). The disc's DATA\SOUND\FSB.DAT is the sound bank: 32 short tones. Its TRACKS folder holds two
// music tracks as a player's rip would (TRACK02.WAV: four notes, Track3.wav: one tone), and Project0
// plays track 2. The disc also holds the fonts and the cursor set that start-up loads
// (DATA\FONT\HI640.SPR, HI480.SPR, HI320.SPR and DATA\OBJET\SOUR.ALP) and the icon pack of the HUD
// (DATA\ICONE\ICONES.BF), drawn for this program. Run the game from that folder, or point KALDER_DRIVES
// at the two drives.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tests/support/font_writer.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/install_writer.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/wav_writer.h"

namespace fs = std::filesystem;
using kalder_test::LevelRecordBuilder;

// Three projects: Project0, where the hero starts, has an exit to Project1, which leads back;
// Project2's scene ends the game. Every other record is blank, as the editor leaves it.
static kalder_test::KalderDatWriter demo_database()
{
    kalder_test::KalderDatWriter db;
    const std::vector<uint8_t> blank = kalder_test::BlankEditorRecord();
    db.records[0] = LevelRecordBuilder(blank)
                        .Name("Project0")
                        .InUse()
                        .I32s(kalder_test::level::kStartPosition, {0, -160, 0})
                        .I32(kalder_test::level::kCdTrack, 2)
                        .Exit(0, "EXIT1", "Project1", 0x01, {1200, -1000, -300}, {1600, 1000, 300})
                        .Bytes();
    db.records[1] = LevelRecordBuilder(blank)
                        .Name("Project1")
                        .InUse()
                        .Exit(0, "EXIT1", "Project0", 0x01, {1200, -1000, -300}, {1600, 1000, 300})
                        .Bytes();
    db.records[2] = LevelRecordBuilder(blank).Name("Project2").InUse().Element(0, "EMPTY", "END.DSN").Bytes();
    return db;
}

// Music track 2: 2 s at 44,100 Hz stereo, four notes of 0.5 s (A4, C#5, E5, A5) at half of full
// scale, each faded in and out over 5 ms.
static std::vector<uint8_t> four_notes()
{
    const double notes[] = {440.0, 554.37, 659.26, 880.0};
    const int rate = 44100, note_frames = rate / 2, fade = rate * 5 / 1000;
    std::vector<uint8_t> samples;
    for (double frequency : notes) {
        for (int i = 0; i < note_frames; i++) {
            const double gain = std::min({1.0, double(i) / fade, double(note_frames - 1 - i) / fade});
            const auto v = int16_t(std::lround(16384.0 * gain * std::sin(2 * M_PI * frequency * i / rate)));
            for (int channel = 0; channel < 2; channel++) {
                samples.push_back(uint8_t(uint16_t(v) & 0xFF));
                samples.push_back(uint8_t(uint16_t(v) >> 8));
            }
        }
    }
    return kalder_test::WavImage(kalder_test::WavFormat{2, rate, 16}, samples);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdemo <folder>\n");
        return 2;
    }
    const fs::path root = fs::path(argv[1]) / "drives";
    bool ok = kalder_test::WriteMinimalInstallation((root / "C").string(), (root / "D").string());
    ok = ok && kalder_test::WriteHostFile((root / "D" / "kalder.dat").string(), demo_database().Image());

    const fs::path disc = root / "D";
    // The bank: sound i a 0.2 s tone at 220 x 2^(i/12) Hz (the one-sound bank of the minimal
    // installation is replaced).
    ok = ok && kalder_test::WriteFsb((disc / "DATA" / "SOUND" / "FSB.DAT").string(), kalder_test::DemoSounds(32));
    ok = ok && kalder_test::WriteDemoSpriteFiles(disc.string());
    ok = ok && kalder_test::WriteDemoIconPack(disc.string());

    // The music, spelt two ways as rips come.
    fs::create_directories(disc / "TRACKS");
    const kalder_test::WavFormat mono8{1, 22050, 8};
    ok = ok &&
         kalder_test::WriteHostFile((disc / "TRACKS" / "TRACK02.WAV").string(), four_notes()) &&
         kalder_test::WriteHostFile((disc / "TRACKS" / "Track3.wav").string(),
                                    kalder_test::WavImage(mono8, kalder_test::WavSamples(mono8, kalder_test::Wave::Sine, 22050, 330.0)));

    // The demo models under the disc's data\3dc: a textured cube with a flat child, its material (the
    // file name in lower case, as the resolver must match it), two floor triangles and two keys.
    using namespace kalder_test;
    const fs::path models = disc / "DATA" / "3DC";
    fs::create_directories(models);
    std::vector<uint16_t> palette(256);
    for (int i = 0; i < 256; i++) {
        palette[size_t(i)] = uint16_t(((i & 0xE0) << 8) | ((i & 0x1C) << 6) | ((i & 0x03) << 3));
    }
    const TrackSpec spin{{{0, {0, 0, 0, 0x8000}}, {30, {0, 0x5A82, 0, 0x5A82}}}, {{0, {0, 0, 0}}, {30, {0, 512, 0}}}};
    ok = ok && WriteHostFile((models / "cube.3dc").string(), HierarchyImage(CubeObjects(), CubeMaterials()).Finish().bytes) &&
         WriteHostFile((models / "cube.3dm").string(), MaterialImage(DarkenedPalette(palette)).Finish().bytes) &&
         WriteHostFile((models / "floor.3di").string(),
                       CollisionImage({{-2048, 0, -2048}, {2048, 0, -2048}, {-2048, 0, 2048}, {2048, 0, 2048}},
                                      {{0, 2, 1}, {1, 2, 3}})
                           .Finish()
                           .bytes) &&
         WriteHostFile((models / "cube.3da").string(), TrackImage(4, {spin, spin}).Finish().bytes);
    if (!ok) {
        std::fprintf(stderr, "mkdemo: cannot write under %s\n", argv[1]);
        return 1;
    }
    std::printf("demo installation written to %s\n", argv[1]);
    return 0;
}
