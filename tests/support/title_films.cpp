// The title's demo films (see title_films.h).
#include "tests/support/title_films.h"

#include <cstdlib>
#include <filesystem>

#include "tests/support/demo_film.h"
#include "tests/support/film_cache.h"
#include "tests/support/film_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/synthetic_film.h"

namespace kalder_test {

namespace {

constexpr int W = 640, H = 304;

uint16_t rgb565(int r, int g, int b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

// 256 x (cos, sin) of n / 31 of a half turn, rounded: integers, so that every machine draws the same.
constexpr int kTurn[kGenericFilmFrames][2] = {
    {256, 0},     {255, 26},    {251, 52},    {244, 77},    {235, 101},   {224, 124},   {210, 146},  {194, 167},
    {176, 186},   {157, 202},   {135, 217},   {113, 230},   {89, 240},    {64, 248},    {39, 253},   {13, 256},
    {-13, 256},   {-39, 253},   {-64, 248},   {-89, 240},   {-113, 230},  {-135, 217},  {-157, 202}, {-176, 186},
    {-194, 167},  {-210, 146},  {-224, 124},  {-235, 101},  {-244, 77},   {-251, 52},   {-255, 26},
};

const FilmPictures &intro_pictures()
{
    static const FilmPictures made = EncodeFilmPictures(kIntroFilmFrames, IntroFilmFrame);
    return made;
}

const FilmPictures &generic_pictures()
{
    static const FilmPictures made = EncodeFilmPictures(kGenericFilmFrames, GenericFilmFrame);
    return made;
}

} // namespace

std::vector<uint16_t> IntroFilmFrame(int n)
{
    const uint16_t ground = rgb565(16, 24, 80);
    const uint16_t gold = rgb565(240, 176, 32);
    const uint16_t crimson = rgb565(200, 40, 64);
    std::vector<uint16_t> frame(size_t(W * H), ground);
    for (int y = 40; y < 264; y++) {
        for (int x = 0; x < W; x++) {
            const int band = (((x - 3 * n) % W + W) % W) / 160;
            if (band == 0) {
                frame[size_t(y * W + x)] = gold;
            } else if (band == 2) {
                frame[size_t(y * W + x)] = crimson;
            }
        }
    }
    return frame;
}

std::vector<uint16_t> GenericFilmFrame(int n)
{
    const int a = kTurn[n % kGenericFilmFrames][0];
    const int b = kTurn[n % kGenericFilmFrames][1];
    std::vector<uint16_t> frame(size_t(W * H));
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x++) {
            // Distance across the stripes, then a triangle wave: the same at a half turn, so it loops.
            const int across = ((x - W / 2) * a + (y - H / 2) * b) >> 8;
            const int m = ((across % 96) + 96) % 96;
            const int v = std::abs(m - 48) * 255 / 48;
            const int r = (56 * (255 - v) + 88 * v) / 255;
            const int g = (56 * (255 - v) + 40 * v) / 255;
            const int bl = (60 * (255 - v) + 112 * v) / 255;
            frame[size_t(y * W + x)] = rgb565(r, g, bl);
        }
    }
    return frame;
}

std::vector<uint8_t> IntroFilmImage()
{
    return CachedFilm("intro.hnm", [] { return DemoToneFilm(intro_pictures().pictures, false); });
}

std::vector<uint8_t> GenericFilmImage()
{
    return CachedFilm("generic.hnm", [] {
        FilmWriter film("HNM6");
        film.Size(W, H);
        for (const std::vector<uint8_t> &picture : generic_pictures().pictures) {
            film.IXFrame({}, "", picture);
        }
        film.ZeroFrame();
        return film.Bytes();
    });
}

const std::vector<std::vector<uint16_t>> &GenericFilmDecoded() { return generic_pictures().decoded; }

bool WriteTitleFilms(const std::string &disc_host)
{
    std::error_code error;
    std::filesystem::create_directories(disc_host + "/DATA/HNM", error);
    return !error && WriteHostFile(disc_host + "/" + kIntroFilmDiscPath, IntroFilmImage()) &&
           WriteHostFile(disc_host + "/" + kGenericFilmDiscPath, GenericFilmImage());
}

} // namespace kalder_test
