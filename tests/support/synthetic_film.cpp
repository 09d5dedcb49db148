// Deterministic 640 x 304 RGB565 film frames for the IX encoder: gradient, disc, bars and a still patch.
#include "tests/support/synthetic_film.h"

#include <cstdlib>
#include <map>

#include "tests/support/ix_encoder.h"

namespace kalder_test {

static uint16_t rgb565(int r, int g, int b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

// A triangle wave 0..255 with the given half period.
static int triangle(int v, int half)
{
    int m = v % (2 * half);
    return std::abs(m - half) * 255 / half;
}

std::vector<uint16_t> SyntheticFilmFrame(int n)
{
    constexpr int W = 640, H = 304;
    std::vector<uint16_t> frame(size_t(W * H));
    const int cx = 120 + 6 * n, cy = 140 + ((n / 12) % 2 ? 12 - n % 12 : n % 12) * 3, radius = 48, soft = 10;
    const int inner = (radius - soft) * (radius - soft), outer = radius * radius;
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x++) {
            int r = triangle(x + 2 * n + 40, 720);
            int b = triangle(y + n + 20, 400);
            int g = (r + b) / 3 + 40;
            if (y >= 232 && y < 280) {
                // Bars, constant down each column, scrolling left.
                const bool dark = ((x + 2 * n) / 16) % 2 == 0;
                r = dark ? 30 : 220, g = dark ? 60 : 230, b = dark ? 120 : 90;
            }
            if (x >= 520 && x < 616 && y >= 16 && y < 80) {
                const bool on = ((x / 8) + (y / 8)) % 2 == 0;
                r = on ? 200 : 40, g = on ? 40 : 160, b = on ? 40 : 200;
            }
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 < outer) {
                const int alpha = d2 <= inner ? 256 : (outer - d2) * 256 / (outer - inner);
                r = (r * (256 - alpha) + 240 * alpha) >> 8;
                g = (g * (256 - alpha) + 200 * alpha) >> 8;
                b = (b * (256 - alpha) + 60 * alpha) >> 8;
            }
            frame[size_t(y * W + x)] = rgb565(r, g, b);
        }
    }
    return frame;
}

std::vector<std::vector<uint16_t>> SyntheticFilm(int count)
{
    std::vector<std::vector<uint16_t>> frames;
    for (int n = 0; n < count; n++) {
        frames.push_back(SyntheticFilmFrame(n));
    }
    return frames;
}

FilmPictures EncodeFilmPictures(int count, const std::function<std::vector<uint16_t>(int n)> &frame)
{
    FilmPictures e;
    std::vector<uint16_t> previous;
    for (int n = 0; n < count; n++) {
        std::vector<uint16_t> source = frame(n);
        IxEncoded picture =
            n % 15 == 0 ? EncodeIntra(source, 90) : EncodeInter(source, e.decoded.back(), 75, &previous);
        e.pictures.push_back(std::move(picture.payload));
        e.decoded.push_back(std::move(picture.predicted));
        previous = std::move(source);
    }
    return e;
}

namespace {

const FilmPictures &encoded(int count)
{
    static std::map<int, FilmPictures> made;
    auto found = made.find(count);
    if (found == made.end()) {
        found = made.emplace(count, EncodeFilmPictures(count, SyntheticFilmFrame)).first;
    }
    return found->second;
}

} // namespace

const std::vector<std::vector<uint8_t>> &SyntheticFilmPictures(int count) { return encoded(count).pictures; }
const std::vector<std::vector<uint16_t>> &SyntheticFilmDecoded(int count) { return encoded(count).decoded; }

} // namespace kalder_test
