// The synthetic hi-colour pictures and their films (see iv_film.h).
#include "tests/support/iv_film.h"

#include <filesystem>

#include "tests/support/film_cache.h"
#include "tests/support/iv_encoder.h"
#include "tests/support/iv_model.h"
#include "tests/support/pack_writer.h"

namespace kalder_test {

namespace {

constexpr int kRows = 300;
constexpr int kBlock = 32, kBlockX = 440, kBlockY = 40;
constexpr uint8_t kBlockColours = 128, kDiscColours = 192, kBarColours = 224;

// The block before any turn: a shaded square with an F in two colours, so that every turn and mirror
// looks different.
uint8_t BlockPixel(int i, int j)
{
    if (j >= 5 && j < 11 && i >= 4 && i < 28) return kBlockColours + 40;
    if (i >= 4 && i < 10 && j >= 5 && j < 27) return kBlockColours + 48;
    if (i >= 14 && i < 19 && j >= 5 && j < 21) return kBlockColours + 56;
    return uint8_t(kBlockColours + (i + 2 * j) / 3);
}

// The block after the picture's quarter turns clockwise.
uint8_t TurnedPixel(int i, int j, int turns)
{
    for (int t = 0; t < turns; t++) {
        const int row = kBlock - 1 - j, column = i;
        i = row, j = column;
    }
    return BlockPixel(i, j);
}

} // namespace

PaletteRun IvSyntheticPalette()
{
    PaletteRun run;
    for (int i = 0; i < 256; i++) {
        uint8_t r, g, b;
        if (i < kBlockColours) {
            // Deep blue to orange.
            r = uint8_t(i * 63 / 127), g = uint8_t(16 + i * 30 / 127), b = uint8_t(48 - i * 40 / 127);
        } else if (i < kDiscColours) {
            const int k = i - kBlockColours;
            r = uint8_t(k < 40 ? 10 + k / 2 : k < 48 ? 60 : k < 56 ? 63 : 20);
            g = uint8_t(k < 40 ? 30 + k / 2 : k < 48 ? 10 : k < 56 ? 50 : 63);
            b = uint8_t(k < 40 ? 20 : k < 48 ? 10 : k < 56 ? 0 : 30);
        } else if (i < kBarColours) {
            r = 63, g = uint8_t(63 - (i - kDiscColours)), b = uint8_t(40 + (i - kDiscColours) / 2);
        } else {
            const int k = (i - kBarColours) / 8;
            r = uint8_t(k * 20), g = uint8_t(63 - k * 15), b = uint8_t(10 + k * 17);
        }
        run.colours.push_back({r, g, b});
    }
    return run;
}

uint16_t IvColour(uint32_t r, uint32_t g, uint32_t b, bool rgb555)
{
    return rgb555 ? uint16_t(((r & 0x3F) << 9 & 0x7C00) | ((g & 0x3F) << 4 & 0x03E0) | (b >> 1 & 0x1F))
                  : uint16_t(((r & 0x3F) << 10 & 0xF800) | ((g & 0x3F) << 5 & 0x07E0) | (b >> 1 & 0x1F));
}

std::vector<uint32_t> IvPairTable(const PaletteRun &palette, bool rgb555)
{
    std::vector<uint16_t> colours(256, 0);
    for (size_t i = 0; i < palette.colours.size() && palette.first + i < 256; i++) {
        const auto &c = palette.colours[i];
        colours[palette.first + i] = IvColour(c[0], c[1], c[2], rgb555);
    }
    std::vector<uint32_t> pairs(65536);
    for (uint32_t i = 0; i < 65536; i++) pairs[i] = colours[i & 255] | uint32_t(colours[i >> 8]) << 16;
    return pairs;
}

std::vector<uint8_t> IvSyntheticPicture(int n)
{
    std::vector<uint8_t> picture(size_t(kIvWidth * kRows));
    const int cx = 150 + 8 * n, cy = 110 + 2 * n, radius = 36;
    const int turns = (n / 8) % 4;
    for (int y = 0; y < kRows; y++) {
        for (int x = 0; x < kIvWidth; x++) {
            const int u = x - 2 * n + 64, v = y - n + 32;
            const int t = (u / 4 + v / 2) % 254;
            int value = t < 127 ? t : 253 - t;
            if (y >= 232 && y < 280) {
                value = kBarColours + ((x + 3 * n) / 16) % 4 * 8;
            }
            const int bx = x - kBlockX, by = y - kBlockY;
            if (bx >= 0 && bx < 2 * kBlock && by >= 0 && by < 2 * kBlock) {
                // The block, its mirror image to the right, and the two upside down below.
                const int j = bx < kBlock ? bx : 2 * kBlock - 1 - bx;
                const int i = by < kBlock ? by : 2 * kBlock - 1 - by;
                value = TurnedPixel(i, j, turns);
            }
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 < radius * radius) {
                value = d2 < (radius - 3) * (radius - 3) ? kDiscColours + 8 : kDiscColours + 24;
            }
            picture[size_t(y * kIvWidth + x)] = uint8_t(value);
        }
    }
    return picture;
}

std::vector<std::vector<uint8_t>> IvSyntheticPictures(int count)
{
    std::vector<std::vector<uint8_t>> out;
    for (int n = 0; n < count; n++) out.push_back(IvSyntheticPicture(n));
    return out;
}

const IvFilm &IvSyntheticFilm()
{
    static const IvFilm film = [] {
        IvFilm f;
        std::vector<uint8_t> reference(size_t(kIvFrame), 0), stale(size_t(kIvFrame), 0);
        for (int n = 0; n < kDemoIvFilmFrames; n++) {
            IvEncoded e = EncodeIV(IvSyntheticPicture(n).data(), reference.data(), stale.data(), n % 3 == 2);
            stale = reference;
            reference = e.picture;
            f.payloads.push_back(std::move(e.payload));
            f.decoded.push_back(std::move(e.picture));
            f.used.insert(e.used.begin(), e.used.end());
        }
        return f;
    }();
    return film;
}

std::vector<uint8_t> DemoIvFilmImage()
{
    return CachedFilm("demo-iv.hnm", [] {
        const IvFilm &pictures = IvSyntheticFilm();
        FilmWriter film("MIB2");
        film.Size(640, 300);
        for (size_t n = 0; n < pictures.payloads.size(); n++) {
            film.BeginFrame();
            if (n == 0) film.Palette({IvSyntheticPalette()});
            film.Chunk("IV", pictures.payloads[n]).EndFrame();
        }
        return film.Bytes();
    });
}

bool WriteDemoIvFilm(const std::string &disc_host)
{
    std::error_code error;
    std::filesystem::create_directories(disc_host + "/DATA/HNM", error);
    return !error && WriteHostFile(disc_host + "/" + kDemoIvFilmDiscPath, DemoIvFilmImage());
}

} // namespace kalder_test
