// The hi-colour decoder's band loop, special ops and damage rule, and random streams against the plain
// reference decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/films/iv_frames.h"
#include "tests/support/iv_encoder.h"
#include "tests/support/iv_film.h"
#include "tests/support/iv_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using iv_test::CheckCases;
using iv_test::FrameCase;
using iv_test::Frames;
using iv_test::ReferencePixel;
using iv_test::StalePixel;
using kalder_test::IvWriter;

uint8_t Stale(int64_t at) { return StalePixel(at); }

// Band ends of a mode that move the position down by count bands without covering columns.
IvWriter &Skip(IvWriter &w, uint8_t mode, int count)
{
    for (int i = 0; i < count; i++) {
        w.BandEnd(mode);
    }
    return w;
}

TEST(IvBandLoop, SpecialOpsAndBandsGiveTheirFrames)
{
    std::vector<FrameCase> cases = {
        {"first mode 0", {0, 0}, 1, Stale},
        {"first mode 1", {0, 1, 0x60, 1, 2}, 1, Stale},
        {"rows 0 and 1 from the reference", {0, 2, 0x20, 0xFF, 0x20, 0xFF, 0x20, 0x7F, 0xE0, 0x01}, 1,
         [](int64_t at) { return at < 1280 ? ReferencePixel(at) : Stale(at); }},
        {"3-row literal run then fills",
         {0, 3, 0xA0, 0, 1, 2, 3, 4, 5, 6, 0xE0, 0, 0xFF, 9, 0xE0, 0, 0xFF, 9, 0xE0, 0, 0x7D, 9, 0xE0, 1}, 1,
         [](int64_t at) -> uint8_t {
             const int64_t row = at / 640, column = at % 640;
             if (row > 2) return Stale(at);
             if (column < 2) return uint8_t(1 + column * 3 + row);
             return 9;
         }},
        {"band ends add 640, 1280 and 1920", IvWriter().Mode(2).BandEnd(3).BandEnd(4).BandEnd(2).LiteralColumn({7, 8}).BandEnd(1).Bytes(), 1,
         [](int64_t at) -> uint8_t { return at == 3840 ? 7 : at == 4480 ? 8 : Stale(at); }},
        {"literal run of n = 0 covers 2 columns", IvWriter().Mode(2).Raw({0xA0, 0, 1, 2, 3, 4}).LiteralColumn({9, 9}).BandEnd(1).Bytes(), 1,
         [](int64_t at) -> uint8_t {
             const int64_t row = at / 640, column = at % 640;
             if (row > 1 || column > 2) return Stale(at);
             return column == 2 ? 9 : uint8_t(1 + column * 2 + row);
         }},
        {"4-row fill of n = 255", IvWriter().Mode(4).Fill(255, 7).BandEnd(1).Bytes(), 1,
         [](int64_t at) -> uint8_t { return at / 640 < 4 && at % 640 < 256 ? 7 : Stale(at); }},
        {"a band of 600 columns", IvWriter().Mode(2).CopySame(255).CopySame(255).CopySame(87).BandEnd(2).LiteralColumn({5, 6}).BandEnd(1).Bytes(), 1,
         [](int64_t at) -> uint8_t {
             if (at == 1240) return 5;
             if (at == 1880) return 6;
             return at < 1280 && at % 640 < 600 ? ReferencePixel(at) : Stale(at);
         }},
    };
    // 0x20 reads the picture shown last in the modes whose copies read the output frame too.
    for (int mode = 32; mode <= 47; mode++) {
        const int h = kalder_test::IvModeHeight(mode);
        cases.push_back({"0x20 in mode " + std::to_string(mode), IvWriter().Mode(uint8_t(mode)).CopySame(9).BandEnd(1).Bytes(), 1,
                         [h](int64_t at) { return at / 640 < h && at % 640 < 10 ? ReferencePixel(at) : Stale(at); }});
    }
    // 150 two-row bands of 0x20 reproduce the 300 shown rows.
    IvWriter whole;
    whole.Mode(2);
    for (int band = 0; band < 150; band++) {
        whole.CopySame(255).CopySame(255).CopySame(127).BandEnd(band == 149 ? 1 : 2);
    }
    cases.push_back({"150 bands of the reference", whole.Bytes(), 1,
                     [](int64_t at) { return at < 300 * 640 ? ReferencePixel(at) : Stale(at); }});
    CheckCases(cases);
}

TEST(IvBandLoop, DamageStopsAtTheFirstBadOp)
{
    // Rows 0..1, columns 0..3 from the reference, then the bad op.
    auto good = [] { return IvWriter().Mode(2).CopySame(3); };
    auto first4 = [](int64_t at) { return at < 1280 && at % 640 < 4 ? ReferencePixel(at) : Stale(at); };
    std::vector<FrameCase> cases = {
        {"payload of 0 bytes", {}, 0, Stale},
        {"payload of 1 byte", {0}, 0, Stale},
        {"first mode 48", {0, 48, 0x20, 1}, 0, Stale},
        {"first mode 255", {0, 255, 0x20, 1}, 0, Stale},
        {"mode 48 after a band end", good().BandEnd(48).CopySame(3).BandEnd(1).Bytes(), 0, first4},
        {"mode 255 after a band end", good().BandEnd(255).CopySame(3).BandEnd(1).Bytes(), 0, first4},
        {"no end", good().Bytes(), 0, first4},
        {"0x20 cut", good().Raw({0x20}).Bytes(), 0, first4},
        {"literal column cut", good().Raw({0x60, 1}).Bytes(), 0, first4},
        {"literal run cut", good().Raw({0xA0, 0, 1, 2, 3}).Bytes(), 0, first4},
        {"literal run count cut", good().Raw({0xA0}).Bytes(), 0, first4},
        {"fill cut", good().Raw({0xE0, 0, 5}).Bytes(), 0, first4},
        {"band end cut", good().Raw({0xE0}).Bytes(), 0, first4},
        {"offset run cut", good().Raw({0x00, 0x00}).Bytes(), 0, first4},
        {"window run cut", IvWriter().Mode(5).CopySame(3).Raw({0x00}).Bytes(), 0,
         [](int64_t at) { return at < 1280 && at % 640 < 4 ? ReferencePixel(at) : Stale(at); }},
    };
    // A write ending one byte past the frame: rows 302 and 303 are filled, then a 1-column fill below.
    {
        IvWriter w;
        w.Mode(2);
        Skip(w, 2, 302).Fill(255, 4).Fill(255, 4).Fill(127, 4).Fill(0, 5).BandEnd(1);
        cases.push_back({"write one past the frame", w.Bytes(), 0, [](int64_t at) { return at >= 302 * 640 ? 4 : Stale(at); }});
    }
    // Reads one byte before the frame through each output window in the first band.
    for (int k = 9; k <= 15; k++) {
        const int64_t before = -kalder_test::Window(k, 255) - 1;  // columns to cover first
        IvWriter w;
        w.Mode(uint8_t(k + 24));
        for (int64_t left = before; left > 0; left -= 256) {
            w.Fill(int(std::min<int64_t>(left, 256)) - 1, 3);
        }
        w.Run(0, 0, 255).BandEnd(1);
        cases.push_back({"window " + std::to_string(k) + " reads byte -1", w.Bytes(), 0,
                         [before](int64_t at) { return at < before || (at >= 640 && at < 640 + before) ? 3 : Stale(at); }});
    }
    {
        // Position 32767, offset 0: the source is one byte before the frame.
        IvWriter w;
        w.Mode(2);
        Skip(w, 2, 51).Fill(126, 6).Run(0, 0, 0).BandEnd(1);
        cases.push_back({"offset 0 reads byte -1", w.Bytes(), 0, [](int64_t at) {
                             const int64_t row = at / 640;
                             return (row == 51 || row == 52) && at % 640 < 127 ? 6 : Stale(at);
                         }});
    }
    {
        // A transposed 4-row run at row 300 whose last source pixel is one past the frame.
        IvWriter w;
        w.Mode(4);
        Skip(w, 4, 100).Run(4, 3, 32768 + 637).BandEnd(1);
        cases.push_back({"transposed 4-row run reads one past the frame", w.Bytes(), 0, Stale});
        IvWriter fits;
        fits.Mode(4);
        Skip(fits, 4, 100).Run(4, 3, 32768 + 636).BandEnd(1);
        cases.push_back({"the same run one byte up fits", fits.Bytes(), 1, [](int64_t at) -> uint8_t {
                             if (at < 300 * 640 || at % 640 >= 4) return Stale(at);
                             const int64_t r = at / 640 - 300, c = at % 640;
                             return ReferencePixel(192636 + c * 640 + r);
                         }});
    }
    CheckCases(cases);
}

// The op kinds a set of streams never used: modes, families, windows, sources and special ops, and with
// lengths every length code of every height.
std::vector<std::string> Missing(const std::set<std::string> &used, bool lengths)
{
    std::vector<std::string> missing;
    auto need = [&](const std::string &name) {
        if (used.count(name) == 0) missing.push_back(name);
    };
    for (int mode = 2; mode <= 47; mode++) need("mode " + std::to_string(mode));
    for (int family = 0; family < 8; family++) need("family " + std::to_string(family));
    for (int h = 2; h <= 4 && lengths; h++)
        for (int code = 0; code < 32; code++) need("length " + std::to_string(h) + "/" + std::to_string(code));
    for (int k = 0; k < 16; k++) need("window " + std::to_string(k));
    for (const char *name : {"source output", "source reference", "op fill", "op literal run", "op literal column", "op copy same"})
        need(name);
    return missing;
}

TEST(IvBandLoop, RandomStreamsMatchTheReferenceDecoder)
{
    std::set<std::string> used;
    for (uint32_t seed = 1; seed <= 12; seed++) {
        SCOPED_TRACE(seed);
        const kalder_test::IvStream stream = kalder_test::IvRandomStream(seed);
        used.insert(stream.used.begin(), stream.used.end());
        Frames ours, model;
        EXPECT_EQ(ours.Decode(stream.payload), 1);
        EXPECT_EQ(model.Model(stream.payload), 1);
        EXPECT_EQ(iv_test::FirstDifference(ours, model), -1);
    }
    const std::vector<std::string> missing = Missing(used, true);
    EXPECT_TRUE(missing.empty()) << missing.size() << " kinds unused, first " << missing.front();
}

TEST(IvBandLoop, DamagedStreamsMatchTheReferenceDecoder)
{
    // Random streams cut at many places, and with bytes changed: both decoders stop at the same op.
    for (uint32_t seed = 20; seed <= 23; seed++) {
        const Bytes payload = kalder_test::IvRandomStream(seed).payload;
        for (size_t k = 1; k < 24; k++) {
            Bytes damaged = payload;
            if (k % 2 == 0) {
                damaged.resize(payload.size() * k / 24);
            } else {
                damaged[payload.size() * k / 24] ^= uint8_t(0x5A + k);
            }
            SCOPED_TRACE(testing::Message() << "seed " << seed << " damage " << k);
            Frames ours, model;
            EXPECT_EQ(ours.Decode(damaged), model.Model(damaged));
            EXPECT_EQ(iv_test::FirstDifference(ours, model), -1);
        }
    }
}

TEST(IvEncoder, FilmPicturesDecodeToTheTarget)
{
    // Each picture decoded as the player would: against the one before, over the one before that.
    const kalder_test::IvFilm &film = kalder_test::IvSyntheticFilm();
    ASSERT_EQ(film.payloads.size(), size_t(kalder_test::kDemoIvFilmFrames));
    Frames frames;
    std::fill(frames.reference.get(), frames.reference.get() + IV_FRAME_BYTES, 0);
    std::fill(frames.output.get(), frames.output.get() + IV_FRAME_BYTES, 0);
    for (size_t n = 0; n < film.payloads.size(); n++) {
        SCOPED_TRACE(n);
        const Bytes target = kalder_test::IvSyntheticPicture(int(n));
        Frames model(frames);
        ASSERT_EQ(frames.Decode(film.payloads[n]), 1);
        ASSERT_EQ(model.Model(film.payloads[n]), 1);
        EXPECT_EQ(iv_test::FirstDifference(frames, model), -1);
        EXPECT_TRUE(std::equal(target.begin(), target.end(), frames.output.get()));
        EXPECT_TRUE(std::equal(film.decoded[n].begin(), film.decoded[n].end(), frames.output.get()));
        frames.reference.swap(frames.output);
    }
    // Coverage mode reaches every mode, window and source; the pictures give every family.
    const std::vector<std::string> missing = Missing(film.used, false);
    EXPECT_TRUE(missing.empty()) << missing.size() << " kinds unused, first " << missing.front();
}

TEST(IvEncoder, PicturesOverAnyFramesComeOutExact)
{
    // A picture unlike both frames: the target's rows, and rows 300..303 as the output held them.
    for (bool coverage : {false, true}) {
        SCOPED_TRACE(coverage);
        Frames frames;
        Bytes target(size_t(IV_WIDTH * IV_SHOWN_ROWS));
        for (size_t i = 0; i < target.size(); i++) target[i] = uint8_t(i / 640 % 7 == 0 ? i * 13 : i / 9);
        const kalder_test::IvEncoded e =
            kalder_test::EncodeIV(target.data(), frames.reference.get(), frames.output.get(), coverage);
        ASSERT_EQ(frames.Decode(e.payload), 1);
        EXPECT_TRUE(std::equal(target.begin(), target.end(), frames.output.get()));
        for (int64_t at = int64_t(target.size()); at < IV_FRAME_BYTES; at++) {
            ASSERT_EQ(frames.output[size_t(at)], StalePixel(at)) << at;
        }
        EXPECT_TRUE(std::equal(e.picture.begin(), e.picture.end(), frames.output.get()));
    }
}

} // namespace
