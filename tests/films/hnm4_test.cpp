// The 256-colour film decoder on its own: pictures fed chunk by chunk into two exactly sized buffers
// and a canary-filled target texture, checked by hand and against the reference decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/dsp.h"
#include "core/lz.h"
#include "films/hnm.h"
#include "films/hnm4.h"
#include "films/hnm_screen.h"
#include "plat/test.h"
#include "tests/films/film_screen.h"
#include "tests/support/demo_film.h"
#include "tests/support/film_writer.h"
#include "tests/support/hnm4_model.h"
#include "tests/support/hnm4_writer.h"
#include "tests/support/lz_packer.h"

namespace {

using kalder_test::Hnm4Model;
using kalder_test::Hnm4Ops;

constexpr uint8_t kCanary = 0xC5;

class Hnm4Test : public ::testing::Test {
protected:
    void Start(int32_t height)
    {
        height_ = height;
        a_.assign(256 * size_t(height), 0xEE);
        b_.assign(256 * size_t(height), 0xEE);
        target_.assign(65536 + 256, kCanary);
        HNM_Header header{};
        header.width = 256;
        header.height = uint16_t(height);
        HNM_InitHNM4Decoder(a_.data(), b_.data(), &header);
        HNM_TargetTexture = target_.data();
        model_ = std::make_unique<Hnm4Model>(256, height);
    }
    void TearDown() override { HNM_TargetTexture = nullptr; }

    // One chunk through the decoder and the model; their results must agree.
    int32_t Feed(char subtype, const std::vector<uint8_t> &payload)
    {
        const int32_t result = HNM_DecodeHNM4Frame(1, subtype, payload.data(), uint32_t(payload.size()));
        EXPECT_EQ(model_->Decode(subtype, payload), result) << subtype;
        return result;
    }
    void ExpectModel() const
    {
        EXPECT_EQ(a_, model_->A());
        EXPECT_EQ(b_, model_->B());
    }
    std::vector<uint8_t> Target() const { return {target_.begin(), target_.begin() + 256 * long(height_)}; }

    // Two different pictures in the two buffers: an intra picture, then a delta picture that changes
    // every pair of the other buffer. The next chunk builds in B (counter 2).
    void TwoPictures()
    {
        Feed('Z', kalder_test::Hnm4Intra(kalder_test::NoiseHnm4Picture(height_, 3), 256, height_));
        Hnm4Ops ops;
        for (int32_t i = 0; i < 128 * height_; i++) {
            ops.Literal(uint8_t(i * 7 + 1), uint8_t(i * 13 + 2));
        }
        Feed('U', ops.End().Bytes());
        ASSERT_NE(a_, b_);
    }

    int32_t height_ = 0;
    std::vector<uint8_t> a_;
    std::vector<uint8_t> b_;
    std::vector<uint8_t> target_;
    std::unique_ptr<Hnm4Model> model_;
};

std::vector<uint8_t> pairs_at(const std::vector<uint8_t> &buffer, size_t first, size_t count)
{
    return {buffer.begin() + long(2 * first), buffer.begin() + long(2 * (first + count))};
}

TEST_F(Hnm4Test, IntraPicturesFillBothBuffersAndTheRolesAlternate)
{
    Start(8);
    const std::vector<uint8_t> picture = kalder_test::NoiseHnm4Picture(8, 9);
    EXPECT_EQ(HNM_HNM4Counter(), 0);
    EXPECT_EQ(Feed('Z', kalder_test::Hnm4Intra(picture, 256, 8)), 1);
    EXPECT_EQ(a_, b_);
    EXPECT_EQ(b_, kalder_test::PairOrder(picture, 256, 8));
    EXPECT_EQ(Target(), picture);

    // Another subtype changes no pair and no pixel but turns the roles: the next delta builds in B.
    const std::vector<uint8_t> target_before = target_;
    EXPECT_EQ(Feed('A', {}), 1);
    EXPECT_EQ(target_, target_before);
    EXPECT_EQ(HNM_HNM4Counter(), 2);
    EXPECT_EQ(Feed('U', Hnm4Ops().Literal(1, 2).End().Bytes()), 1);
    EXPECT_EQ(pairs_at(b_, 0, 1), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(pairs_at(a_, 0, 1), pairs_at(kalder_test::PairOrder(picture, 256, 8), 0, 1));
    ExpectModel();
}

// The simple ops, worked out by hand on the buffer of the picture before last.
TEST_F(Hnm4Test, LiteralsSkipsAndFillsWriteTheirPairs)
{
    Start(8);
    TwoPictures();
    const std::vector<uint8_t> before = b_; // building in B: the picture of two calls ago
    Hnm4Ops ops;
    ops.Literal(10, 11).Skip(0).Skip(255).Literal(12, 13).Skip(300).Fill(1, 14).Fill(255, 15).Fill(0, 99);
    ops.Copy(0, 16383, 5); // j = i - 1: the previous pair five times
    ops.End(0xA0).Literal(1, 1);
    EXPECT_EQ(Feed('U', ops.Bytes()), 1);
    std::vector<uint8_t> want = before;
    auto put = [&](size_t i, uint8_t top, uint8_t bottom) {
        want[2 * i] = top;
        want[2 * i + 1] = bottom;
    };
    put(0, 10, 11);
    put(256, 12, 13);
    put(557, 14, 14);
    for (size_t i = 558; i < 558 + 255 + 5; i++) {
        put(i, 15, 15);
    }
    EXPECT_EQ(b_, want);
    ExpectModel();
}

// Each copy mode, as a forward copy overlapping what it writes and a copy reaching ahead, against
// the reference decoder; and one pair of each row transform worked out by hand.
TEST_F(Hnm4Test, EachCopyModeMatchesTheReference)
{
    for (uint32_t mode = 0; mode < 16; mode++) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        Start(8);
        TwoPictures();
        Hnm4Ops ops;
        ops.Skip(300).Copy(mode, 16384 - 2, 7);  // from two pairs back: repeats inside the build buffer
        ops.Skip(40).Copy(mode, 16384 + 4, 9);   // from ahead
        ops.Skip(300).Copy(mode, 16384 - 256, 31); // the band above
        EXPECT_EQ(Feed('U', ops.End().Bytes()), 1);
        ExpectModel();
    }
}

TEST_F(Hnm4Test, CopyModesFormTheirPairsFromTheRightRows)
{
    struct Case {
        uint32_t mode;
        uint8_t top, bottom;
    };
    // Source pair j = 600 in the other buffer holds (1, 2), the pair above it (3, 4); the pair at
    // j - 1 holds (5, 6). Mirrored copies of 2 pairs read j, then j - 1.
    const Case cases[] = {
        {1, 1, 2}, {3, 4, 1}, {9, 2, 1}, {11, 1, 4}, {5, 1, 2}, {13, 2, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        Start(8);
        TwoPictures();
        Hnm4Ops set;
        set.Skip(344).Literal(3, 4).Skip(254).Literal(5, 6).Literal(1, 2).End();
        Feed('U', set.Bytes()); // builds in B: the other buffer of the next picture
        Hnm4Ops ops;
        ops.Skip(100).Copy(c.mode, 16384 + 500, 1);
        EXPECT_EQ(Feed('U', ops.End().Bytes()), 1);
        EXPECT_EQ(pairs_at(a_, 100, 1), (std::vector<uint8_t>{c.top, c.bottom}));
        ExpectModel();
    }
    Start(8);
    TwoPictures();
    Feed('U', Hnm4Ops().Skip(599).Literal(5, 6).Literal(1, 2).End().Bytes());
    EXPECT_EQ(Feed('U', Hnm4Ops().Skip(100).Copy(5, 16384 + 500, 2).End().Bytes()), 1);
    EXPECT_EQ(pairs_at(a_, 100, 2), (std::vector<uint8_t>{1, 2, 5, 6}));
    ExpectModel();
}

TEST_F(Hnm4Test, TheTargetTakesBandsAsRowPairs)
{
    for (int32_t height : {2, 8, 256}) {
        SCOPED_TRACE("height " + std::to_string(height));
        Start(height);
        const std::vector<uint8_t> picture = kalder_test::NoiseHnm4Picture(height, 5);
        Feed('Z', kalder_test::Hnm4Intra(picture, 256, height));
        EXPECT_EQ(Target(), picture);
        // Rows past the height keep what they held.
        for (size_t k = 256 * size_t(height); k < target_.size(); k++) {
            ASSERT_EQ(target_[k], kCanary) << k;
        }
        // With flag 0, or no target texture, the pictures are built but not written.
        const std::vector<uint8_t> before = target_;
        const std::vector<uint8_t> ops = Hnm4Ops().Fill(200, 7).End().Bytes();
        HNM_DecodeHNM4Frame(0, 'U', ops.data(), uint32_t(ops.size()));
        HNM_TargetTexture = nullptr;
        const std::vector<uint8_t> intra = kalder_test::Hnm4Intra(kalder_test::NoiseHnm4Picture(height, 6), 256, height);
        HNM_DecodeHNM4Frame(1, 'Z', intra.data(), uint32_t(intra.size()));
        EXPECT_EQ(target_, before);
        EXPECT_EQ(pairs_at(a_, 0, 1), pairs_at(kalder_test::PairOrder(kalder_test::NoiseHnm4Picture(height, 6), 256, height), 0, 1));
    }
}

// Damaged pictures: each stops where it is found, writes nothing outside the buffers, and leaves
// the buffers the reference decoder leaves.
TEST_F(Hnm4Test, DamagedPicturesStopInsideTheBuffers)
{
    const uint32_t P = 1024; // pairs at height 8
    struct Case {
        const char *what;
        char subtype;
        std::vector<uint8_t> payload;
        int32_t result;
        bool build_unchanged;
    };
    const std::vector<uint8_t> valid = kalder_test::Hnm4Intra(kalder_test::NoiseHnm4Picture(8, 11), 256, 8);
    std::vector<uint8_t> damaged_lz = valid;
    damaged_lz.resize(valid.size() / 2);
    // A stream that unpacks one byte more than the buffers hold.
    std::vector<uint8_t> too_long(4, 0);
    {
        std::vector<uint8_t> bytes = kalder_test::NoiseHnm4Picture(8, 12);
        bytes.push_back(1);
        const std::vector<uint8_t> packed = kalder_test::LzPack(bytes.data(), bytes.size());
        too_long.insert(too_long.end(), packed.begin(), packed.end());
    }
    // A stream that ends early: the rest keeps its pairs.
    std::vector<uint8_t> short_stream(4, 0);
    {
        const std::vector<uint8_t> bytes(100, 42);
        const std::vector<uint8_t> packed = kalder_test::LzPack(bytes.data(), bytes.size());
        short_stream.insert(short_stream.end(), packed.begin(), packed.end());
    }
    const Case cases[] = {
        {"op cut after 1 byte", 'U', Hnm4Ops().Literal(1, 1).Raw({0x00}).Bytes(), 0, false},
        {"op cut after 2 bytes", 'U', Hnm4Ops().Literal(1, 1).Raw({0x40, 3}).Bytes(), 0, false},
        {"no end op", 'U', Hnm4Ops().Literal(1, 1).Fill(3, 2).Bytes(), 1, false},
        {"copy one pair past the end", 'U', Hnm4Ops().Skip(P - 4).Copy(1, 16384, 5).End().Bytes(), 0, true},
        {"copy ending at the last pair", 'U', Hnm4Ops().Skip(P - 4).Copy(1, 16384, 4).End().Bytes(), 1, false},
        {"source one pair before the start", 'U', Hnm4Ops().Skip(4).Copy(0, 16384 - 5, 3).End().Bytes(), 0, true},
        {"source one pair past the end", 'U', Hnm4Ops().Skip(10).Copy(1, 16384 + P - 12, 3).End().Bytes(), 0, true},
        {"shifted mode reading above band 0", 'U', Hnm4Ops().Skip(300).Copy(3, 16384 - 300 + 255, 2).End().Bytes(), 0, true},
        {"shifted mode from band 1", 'U', Hnm4Ops().Skip(300).Copy(3, 16384 - 300 + 256, 2).End().Bytes(), 1, false},
        {"mirrored copy reaching below pair 0", 'U', Hnm4Ops().Skip(10).Copy(5, 16384 - 9, 3).End().Bytes(), 0, true},
        {"mirrored copy ending at pair 0", 'U', Hnm4Ops().Skip(10).Copy(5, 16384 - 8, 3).End().Bytes(), 1, false},
        {"literal at the end", 'U', Hnm4Ops().Skip(P).Literal(1, 1).End().Bytes(), 0, true},
        {"skip far past the end, then end", 'U', Hnm4Ops().Skip(65535).Skip(65535).End().Bytes(), 1, true},
        {"fill passing the end", 'U', Hnm4Ops().Skip(P - 3).Fill(5, 9).End().Bytes(), 0, false},
        {"fill of count 0", 'U', Hnm4Ops().Fill(0, 9).End().Bytes(), 1, true},
        {"intra under 4 bytes", 'Z', {0, 0, 0}, 1, false},
        {"damaged packed stream", 'Z', damaged_lz, 0, false},
        {"stream one byte too long", 'Z', too_long, 0, false},
        {"stream ending early", 'Z', short_stream, 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Start(8);
        TwoPictures();
        const std::vector<uint8_t> build_before = b_;
        EXPECT_EQ(Feed(c.subtype, c.payload), c.result);
        ExpectModel();
        if (c.build_unchanged) {
            EXPECT_EQ(b_, build_before);
        }
        if (c.subtype == 'Z') {
            EXPECT_EQ(a_, b_); // an intra picture leaves both buffers equal, damaged or not
        }
        EXPECT_EQ(Target(), kalder_test::RowOrder(b_, 256, 8));
        for (size_t k = 256 * 8; k < target_.size(); k++) {
            ASSERT_EQ(target_[k], kCanary) << k;
        }
    }
}

TEST_F(Hnm4Test, AStreamEndingEarlyKeepsTheRestOfThePicture)
{
    Start(8);
    TwoPictures();
    const std::vector<uint8_t> before = b_;
    const std::vector<uint8_t> bytes(100, 42);
    std::vector<uint8_t> payload(4, 0);
    const std::vector<uint8_t> packed = kalder_test::LzPack(bytes.data(), bytes.size());
    payload.insert(payload.end(), packed.begin(), packed.end());
    EXPECT_EQ(Feed('Z', payload), 1);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), b_.begin()));
    EXPECT_TRUE(std::equal(before.begin() + 100, before.end(), b_.begin() + 100));
}

TEST_F(Hnm4Test, AFilmStartsFromClearedBuffers)
{
    Start(8);
    TwoPictures();
    HNM_Header header{};
    header.width = 256;
    header.height = 8;
    HNM_InitHNM4Decoder(a_.data(), b_.data(), &header);
    EXPECT_EQ(a_, std::vector<uint8_t>(a_.size(), 0));
    EXPECT_EQ(b_, std::vector<uint8_t>(b_.size(), 0));
    EXPECT_EQ(HNM_HNM4Counter(), 0);
}

// Whole films from the encoder: every picture as the encoder meant it and as the reference makes it.
TEST_F(Hnm4Test, EncodedFilmsDecodeToTheirPictures)
{
    struct Case {
        const char *what;
        int32_t height;
        uint32_t key;
        bool coverage;
        bool demo;
    };
    const Case cases[] = {
        {"demo pictures, intra every 30", 256, 30, false, true},
        {"demo pictures, intra only first", 256, 0, false, true},
        {"noise, every picture intra", 16, 1, false, false},
        {"noise, coverage modes", 16, 0, true, false},
        {"noise, coverage modes, intra every 3", 8, 3, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::vector<uint8_t>> pictures;
        const uint32_t count = c.demo ? 8 : 12;
        for (uint32_t p = 0; p < count; p++) {
            if (c.demo) {
                pictures.push_back(kalder_test::DemoHnm4Picture(p));
            } else {
                // Pictures made of the last one's halves, mirrored and flipped, and new noise.
                std::vector<uint8_t> pic = kalder_test::NoiseHnm4Picture(c.height, p);
                if (p > 0) {
                    const std::vector<uint8_t> &last = pictures.back();
                    for (int32_t y = 0; y < c.height; y++) {
                        for (int32_t x = 0; x < 128; x++) {
                            pic[size_t(y) * 256 + size_t(x)] = last[size_t(c.height - 1 - y) * 256 + size_t(255 - x)];
                        }
                    }
                }
                pictures.push_back(pic);
            }
        }
        const kalder_test::Hnm4Film film = kalder_test::Hnm4Encoder(c.height, c.key, c.coverage).Encode(pictures);
        Start(c.height);
        for (size_t p = 0; p < film.chunks.size(); p++) {
            SCOPED_TRACE("picture " + std::to_string(p));
            EXPECT_EQ(Feed(film.chunks[p].subtype, film.chunks[p].payload), 1);
            ASSERT_EQ(Target(), film.pictures[p]);
            ASSERT_EQ(Target(), pictures[p]);
            ASSERT_EQ(Target(), model_->Picture());
        }
        ExpectModel();
    }
}

// A film of the encoder's chunks, a palette chunk before each intra picture.
std::vector<uint8_t> hnm4_film(const kalder_test::Hnm4Film &encoded, int32_t height)
{
    kalder_test::FilmWriter film("HNM4");
    film.Size(256, uint16_t(height));
    for (const kalder_test::Hnm4Chunk &c : encoded.chunks) {
        film.BeginFrame();
        if (c.subtype == 'Z') {
            film.Palette({{0, std::vector<std::array<uint8_t, 3>>(256, {1, 2, 3})}});
        }
        film.Chunk(std::string("I") + c.subtype, c.payload).EndFrame();
    }
    return film.Bytes();
}

kalder_test::Hnm4Film noise_film(int32_t height, uint32_t pictures, uint32_t key, bool coverage)
{
    std::vector<std::vector<uint8_t>> in;
    for (uint32_t p = 0; p < pictures; p++) {
        in.push_back(kalder_test::NoiseHnm4Picture(height, p * 3 + 1));
    }
    return kalder_test::Hnm4Encoder(height, key, coverage).Encode(in);
}

} // namespace

// Played by the film player: with a bound texture every picture reaches it; without one nothing is
// written anywhere, and on no screen size does a picture reach the frame buffer.
TEST_F(FilmScreenTest, TwoFiftySixColourFilmsFeedTheTextureNeverTheScreen)
{
    StartCore();
    const kalder_test::Hnm4Film encoded = noise_film(16, 7, 3, true);
    const std::string path = Film("tex", hnm4_film(encoded, 16));
    std::vector<uint8_t> texture(65536, kCanary);
    HNM_TargetTexture = texture.data();
    ASSERT_EQ(HNM_Open(path.c_str()), 1);
    EXPECT_EQ(HNM_Kind, HNM_KIND_HNM4);
    for (size_t p = 0; p < encoded.pictures.size(); p++) {
        HNM_NextFrame();
        ASSERT_TRUE(std::equal(encoded.pictures[p].begin(), encoded.pictures[p].end(), texture.begin())) << p;
    }
    EXPECT_TRUE(std::all_of(texture.begin() + 256 * 16, texture.end(), [](uint8_t v) { return v == kCanary; }));
    HNM_Close();
    HNM_TargetTexture = nullptr;

    // The demo's texture film, with no texture bound, on every screen size.
    const std::string demo = Film("demo4", kalder_test::DemoAnimFilmImage());
    for (auto [w, h] : {std::pair{640, 480}, {640, 400}, {400, 300}, {320, 400}, {320, 200}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Display(w, h, false);
        EXPECT_EQ(HNM_TargetTexture, nullptr);
        std::vector<uint16_t> whole(640 * 480);
        for (size_t k = 0; k < whole.size(); k++) {
            whole[k] = uint16_t(k * 2654435761u >> 16);
        }
        std::copy(whole.begin(), whole.end(), SCR_FrameBuffer);
        ASSERT_EQ(HNM_Open(demo.c_str()), 1);
        int pictures = 0;
        while (HNM_Kind != 0) {
            HNM_NextFrame();
            pictures++;
        }
        EXPECT_EQ(pictures, int(kalder_test::kDemoAnimPictures));
        HNM_Close();
        EXPECT_TRUE(std::equal(whole.begin(), whole.end(), SCR_FrameBuffer));
    }
}

// Sizes the decoder's buffers and rows cannot hold: the film does not open and its file is closed.
TEST_F(FilmScreenTest, TwoFiftySixColourFilmsOfOtherSizesDoNotOpen)
{
    StartCore();
    struct Case {
        uint16_t width, height;
        int32_t result;
    };
    const Case cases[] = {{256, 16, 1}, {255, 16, 0}, {320, 16, 0}, {256, 0, 0}, {256, 7, 0}, {256, 258, 0}};
    const kalder_test::Hnm4Film encoded = noise_film(16, 1, 1, false);
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        std::vector<uint8_t> bytes = hnm4_film(encoded, 16);
        bytes[8] = uint8_t(c.width);
        bytes[9] = uint8_t(c.width >> 8);
        bytes[10] = uint8_t(c.height);
        bytes[11] = uint8_t(c.height >> 8);
        bytes.resize(bytes.size() + 0x60000, 0); // the file stays open after the pre-fill
        EXPECT_EQ(HNM_Open(Film("size", bytes).c_str()), c.result);
        EXPECT_EQ(HNM_Kind, c.result == 1 ? HNM_KIND_HNM4 : 0);
        EXPECT_EQ(test::OpenFileCount(), c.result == 1 ? 1 : 0);
        HNM_Close();
    }
}
