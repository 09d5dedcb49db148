// IX pictures: motion tables, block copies, the tile trees, damaged pictures and the encoder's round trips.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "films/ix.h"
#include "tests/support/ix_encoder.h"
#include "tests/support/ix_reference.h"
#include "tests/support/synthetic_film.h"

using namespace kalder_test;
using Kind = IxNode::Kind;
using Frame = std::vector<uint16_t>;

namespace {

class IxPictureTest : public ::testing::Test {
protected:
    void SetUp() override { HNM_InitIX565(); }
    void TearDown() override { HNM_InitIX565(); }
};

// A reference whose every pixel tells its place: the row in the high byte, the column in the low one
// (both taken modulo 256; tests look at small areas).
Frame patterned()
{
    Frame f(IX_PIXELS);
    for (int y = 0; y < IX_HEIGHT; y++) {
        for (int x = 0; x < IX_WIDTH; x++) {
            f[size_t(y * IX_WIDTH + x)] = uint16_t((y & 0xFF) << 8 | (x & 0xFF));
        }
    }
    return f;
}

uint16_t at(const Frame &f, int x, int y) { return f[size_t(y * IX_WIDTH + x)]; }

Frame decode(const std::vector<uint8_t> &payload, const Frame &reference, Frame start = {})
{
    Frame out = start.empty() ? Frame(size_t(IX_PIXELS), 0x5555) : start;
    HNM_DecodeIXFrame(payload.data(), uint32_t(payload.size()), reference.data(), out.data(), nullptr);
    return out;
}

Frame decode(const IxPicture &picture, const Frame &reference, const IxDamage &damage = {})
{
    return decode(IxWrite(picture, damage).payload, reference);
}

IxPicture all_tiles(bool intra, const IxNode &tile)
{
    IxPicture p;
    p.intra = intra;
    p.tiles.assign(80 * 38, tile);
    return p;
}

int tile_index(int x, int y) { return (y / 8) * 80 + x / 8; }

// Checks that tile t of out equals the reference's tile moved by (dx, dy).
bool tile_from(const Frame &out, const Frame &ref, int t, int dx, int dy)
{
    const int tx = (t % 80) * 8, ty = (t / 80) * 8;
    for (int r = 0; r < 8; r++) {
        for (int c = 0; c < 8; c++) {
            if (at(out, tx + c, ty + r) != at(ref, tx + c + dx, ty + r + dy)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST_F(IxPictureTest, MotionTables)
{
    auto spiral = [](int i) {
        const int v = HNM_IXSpiral[i] + 31 * IX_PITCH + 31;
        return std::pair<int, int>(v % IX_PITCH - 31, v / IX_PITCH - 31);
    };
    EXPECT_EQ(spiral(0), std::make_pair(1, 0));
    EXPECT_EQ(spiral(1), std::make_pair(0, 0));
    EXPECT_EQ(spiral(2), std::make_pair(0, 1));
    EXPECT_EQ(spiral(3), std::make_pair(1, 1));
    EXPECT_EQ(spiral(8), std::make_pair(0, -1));
    EXPECT_EQ(spiral(4095), std::make_pair(32, 32));
    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 4096; i++) {
        const auto p = spiral(i);
        EXPECT_TRUE(p.first >= -31 && p.first <= 32 && p.second >= -31 && p.second <= 32) << i;
        seen.insert(p);
        int x, y;
        IxSpiralEntry(i, &x, &y);
        ASSERT_EQ(p, std::make_pair(x, y)) << i;
    }
    EXPECT_EQ(seen.size(), 4096u);

    struct Corner {
        int table, index, x, y;
    };
    const Corner corners[] = {{1, 0, 31, 31},    {1, 63, -32, 31},   {1, 4032, 31, -32}, {1, 4095, -32, -32},
                              {2, 0, 63, 6},     {2, 127, -64, 6},   {2, 3968, 63, -25}, {2, 4095, -64, -25}};
    for (const Corner &c : corners) {
        const int32_t offset = (c.table == 1 ? HNM_IXWindow1 : HNM_IXWindow2)[c.index];
        EXPECT_EQ(offset, c.y * IX_PITCH + c.x) << "window " << c.table << " index " << c.index;
    }

    // The column of a block vector, i = tile x - dx, wraps within the row.
    const std::pair<int, int> wraps[] = {{-255, 513}, {-129, 639}, {-128, 0}, {0, 128}, {511, 639}, {512, 0}, {632, 120}};
    for (auto [i, column] : wraps) {
        EXPECT_EQ(HNM_IXColumnWrap[i + 1024], column) << i;
    }
}

TEST_F(IxPictureTest, OrientationsOfSmallBlocks)
{
    // A 4 x 2 and a 2 x 4 eighth, each a window copy from the reference 10 pixels left and 6 up of tile
    // (64, 64). Destination pixels row by row; expected source (row, column) in the source block, whose
    // width and height are exchanged for orientations 4 to 7.
    struct Case {
        bool wide;
        int orientation;
        std::vector<std::pair<int, int>> source;
    };
    const Case cases[] = {
        {true, 0, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}}},
        {true, 1, {{0, 3}, {0, 2}, {0, 1}, {0, 0}, {1, 3}, {1, 2}, {1, 1}, {1, 0}}},
        {true, 2, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {0, 0}, {0, 1}, {0, 2}, {0, 3}}},
        {true, 3, {{1, 3}, {1, 2}, {1, 1}, {1, 0}, {0, 3}, {0, 2}, {0, 1}, {0, 0}}},
        {true, 4, {{3, 1}, {2, 1}, {1, 1}, {0, 1}, {3, 0}, {2, 0}, {1, 0}, {0, 0}}},
        {true, 5, {{3, 0}, {2, 0}, {1, 0}, {0, 0}, {3, 1}, {2, 1}, {1, 1}, {0, 1}}},
        {true, 6, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {true, 7, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}}},
        {false, 0, {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {3, 0}, {3, 1}}},
        {false, 1, {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}, {2, 0}, {3, 1}, {3, 0}}},
        {false, 2, {{3, 0}, {3, 1}, {2, 0}, {2, 1}, {1, 0}, {1, 1}, {0, 0}, {0, 1}}},
        {false, 3, {{3, 1}, {3, 0}, {2, 1}, {2, 0}, {1, 1}, {1, 0}, {0, 1}, {0, 0}}},
        {false, 4, {{1, 3}, {0, 3}, {1, 2}, {0, 2}, {1, 1}, {0, 1}, {1, 0}, {0, 0}}},
        {false, 5, {{1, 0}, {0, 0}, {1, 1}, {0, 1}, {1, 2}, {0, 2}, {1, 3}, {0, 3}}},
        {false, 6, {{0, 3}, {1, 3}, {0, 2}, {1, 2}, {0, 1}, {1, 1}, {0, 0}, {1, 0}}},
        {false, 7, {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}}},
    };
    const Frame ref = patterned();
    const int tx = 64, ty = 64, sx = tx - 10, sy = ty - 6;
    const uint32_t index = uint32_t((31 - -6) * 64 + (31 - -10));
    for (const Case &c : cases) {
        IxPicture p = all_tiles(false, IxNode::Unchanged());
        const IxNode eighth = IxNode::Window(c.orientation, index);
        p.tiles[size_t(tile_index(tx, ty))] = IxNode::Split(
            Kind::Quarters, {IxNode::Split(c.wide ? Kind::EighthsRows : Kind::EighthsColumns, {eighth, IxNode::Unchanged()}),
                             IxNode::Unchanged(), IxNode::Unchanged(), IxNode::Unchanged()});
        const Frame out = decode(p, ref);
        const int w = c.wide ? 4 : 2, h = c.wide ? 2 : 4;
        for (int r = 0; r < h; r++) {
            for (int col = 0; col < w; col++) {
                const auto [sr, sc] = c.source[size_t(r * w + col)];
                EXPECT_EQ(at(out, tx + col, ty + r), at(ref, sx + sc, sy + sr))
                    << (c.wide ? "4x2" : "2x4") << " orientation " << c.orientation << " at " << r << "," << col;
            }
        }
    }

    // Whole tiles by block vector from the reference: corners of the destination and their sources.
    struct Tile {
        int orientation;
        std::pair<int, int> top_left, top_right, bottom_left;  // source (row, column) in the block
    };
    const Tile tiles[] = {{0, {0, 0}, {0, 7}, {7, 0}}, {1, {0, 7}, {0, 0}, {7, 7}}, {2, {7, 0}, {7, 7}, {0, 0}},
                          {3, {7, 7}, {7, 0}, {0, 7}}, {4, {7, 7}, {0, 7}, {7, 0}}, {5, {7, 0}, {0, 0}, {7, 7}},
                          {6, {0, 7}, {7, 7}, {0, 0}}, {7, {0, 0}, {7, 0}, {0, 7}}};
    for (const Tile &t : tiles) {
        IxPicture p = all_tiles(false, IxNode::Unchanged());
        // Source 13 pixels right and 21 down: dx = 128 - 13, dy = 64 - 21.
        p.tiles[size_t(tile_index(tx, ty))] = IxNode::Vector(t.orientation, 128 - 13, 64 - 21);
        const Frame out = decode(p, ref);
        auto src = [&](std::pair<int, int> rc) { return at(ref, tx + 13 + rc.second, ty + 21 + rc.first); };
        EXPECT_EQ(at(out, tx, ty), src(t.top_left)) << t.orientation;
        EXPECT_EQ(at(out, tx + 7, ty), src(t.top_right)) << t.orientation;
        EXPECT_EQ(at(out, tx, ty + 7), src(t.bottom_left)) << t.orientation;
    }
}

TEST_F(IxPictureTest, CopiesAsTheFormatPlacesThem)
{
    const Frame ref = patterned();
    // Every tile unchanged reproduces the reference.
    EXPECT_EQ(decode(all_tiles(false, IxNode::Unchanged()), ref), ref);

    // Spiral index 1 copies from the same place, index 0 from one pixel to the right.
    const Frame same = decode(all_tiles(false, IxNode::Spiral(1)), ref);
    EXPECT_EQ(same, ref);
    const Frame right = decode(all_tiles(false, IxNode::Spiral(0)), ref);
    EXPECT_TRUE(tile_from(right, ref, 0, 1, 0));
    EXPECT_TRUE(tile_from(right, ref, 1234, 1, 0));
    // The last tile's source runs one pixel past the frame: it stays unchanged.
    EXPECT_TRUE(tile_from(right, ref, 80 * 38 - 1, 0, 0));

    // dx = 128, dy = 64 from the reference is the same place; dx = 0 reaches 128 pixels right, wrapping
    // within the row.
    EXPECT_EQ(decode(all_tiles(false, IxNode::Vector(0, 128, 64)), ref), ref);
    const Frame far = decode(all_tiles(false, IxNode::Vector(0, 0, 64)), ref);
    EXPECT_TRUE(tile_from(far, ref, tile_index(0, 80), 128, 0));
    EXPECT_TRUE(tile_from(far, ref, tile_index(576, 80), 128 - 640, 0));

    // A half is measured from the tile's corner: the bottom half of a tile copied with dx = 128, dy = 64
    // takes the reference's top half.
    IxPicture halves = all_tiles(false, IxNode::Unchanged());
    halves.tiles[10] = IxNode::Split(Kind::HalvesRows, {IxNode::Unchanged(), IxNode::Vector(0, 128, 64)});
    const Frame h = decode(halves, ref);
    for (int c = 0; c < 8; c++) {
        EXPECT_EQ(at(h, 80 + c, 4), at(ref, 80 + c, 0));
        EXPECT_EQ(at(h, 80 + c, 7), at(ref, 80 + c, 3));
    }

    // Intra pictures: bit 15 of a tile's vector is the orientation's low bit, not the source frame. The
    // first row of tiles is coded, the second copies the tile above it (dy = 8), plain and mirrored.
    IxPicture intra;
    intra.intra = true;
    intra.quality = 100;
    for (int t = 0; t < 80; t++) {
        int32_t values[3][64] = {};
        values[0][0] = t - 40;
        values[0][1] = (t % 5) * 7 - 14;   // a horizontal slope, so that a mirror shows
        values[1][2] = 9;
        intra.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
    }
    for (int t = 0; t < 80; t++) {
        intra.tiles.push_back(IxNode::Vector(t % 2, 128, 8));
    }
    const Frame i = decode(intra, Frame(size_t(IX_PIXELS), 0));
    for (int t = 0; t < 80; t++) {
        for (int r = 0; r < 8; r++) {
            for (int c = 0; c < 8; c++) {
                const int sc = t % 2 ? 7 - c : c;
                ASSERT_EQ(at(i, t * 8 + c, 8 + r), at(i, t * 8 + sc, r)) << "tile " << t;
            }
        }
    }
}

TEST_F(IxPictureTest, DamagedPictures)
{
    const Frame ref = patterned();
    const IxPicture spirals = all_tiles(false, IxNode::Spiral(0));       // two control bits a tile
    const IxPicture vectors = all_tiles(false, IxNode::Vector(0, 127, 64)); // one vector a tile
    IxPicture coded = all_tiles(true, IxNode::Unchanged());
    coded.quality = 100;
    {
        int32_t values[3][64] = {};
        values[0][0] = 50;
        coded.tiles.assign(80 * 38, IxNode::Coded(IxCodeValues(values)));
    }
    const uint16_t coded_grey = 0xB596;   // y = 178
    const std::vector<uint8_t> good = IxWrite(spirals).payload;

    // The expected picture: tiles before `from` as made by `made`, the rest the reference.
    auto expected = [&](int from, auto made) {
        Frame f = ref;
        for (int t = 0; t < from; t++) {
            const int tx = (t % 80) * 8, ty = (t / 80) * 8;
            for (int r = 0; r < 8; r++) {
                for (int c = 0; c < 8; c++) {
                    f[size_t((ty + r) * IX_WIDTH + tx + c)] = made(tx + c, ty + r);
                }
            }
        }
        return f;
    };
    // One pixel to the right, linearly (column 639 takes the next row's first pixel); the last tile's
    // source would end past the frame, so it stays as it was.
    auto shifted = [&](int x, int y) {
        return x >= 632 && y >= 296 ? ref[size_t(y * IX_WIDTH + x)] : ref[size_t(y * IX_WIDTH + x + 1)];
    };

    struct Case {
        const char *name;
        std::vector<uint8_t> payload;
        Frame expected;
    };
    std::vector<Case> cases;
    auto damaged = [&](const IxPicture &p, auto damage) {
        IxDamage d;
        damage(d);
        return IxWrite(p, d).payload;
    };
    cases.push_back({"short header", std::vector<uint8_t>(good.begin(), good.begin() + 23), ref});
    for (int i = 0; i < 5; i++) {
        cases.push_back({"offset past the end", damaged(spirals, [&](IxDamage &d) { d.offsets[i] = uint32_t(good.size() + 1); }), ref});
    }
    cases.push_back({"end before start", damaged(spirals, [&](IxDamage &d) { d.offsets[4] = 30; d.offsets[3] = 31; }), ref});
    {
        IxPicture p = spirals;
        p.tiles[700] = IxNode::Split(Kind::NoCode, {});
        cases.push_back({"tile code 1111", IxWrite(p).payload, expected(700, shifted)});
    }
    cases.push_back({"control bits end exactly", damaged(spirals, [](IxDamage &d) { d.last_stream = 1; }), expected(80 * 38, shifted)});
    cases.push_back({"control bits cut", damaged(spirals, [](IxDamage &d) { d.last_stream = 1; d.cut = 1; }),
                     expected(80 * 38 - 16, shifted)});
    cases.push_back({"vectors cut", damaged(vectors, [](IxDamage &d) { d.last_stream = 2; d.cut = 3; }),
                     expected(80 * 38 - 2, shifted)});
    cases.push_back({"spiral indices cut", damaged(spirals, [](IxDamage &d) { d.last_stream = 3; d.cut = 1; }),
                     expected(80 * 38 - 2, shifted)});
    {
        // Codes cut short: the end offset moved to the payload's new end; the missing codes read as 0,
        // so the tiles past them are DC 0 (grey 128) with no error.
        const std::vector<uint8_t> full = IxWrite(coded).payload;
        IxDamage d;
        d.cut = uint32_t(full.size() - 24) / 2;
        d.offsets[4] = uint32_t(full.size() - d.cut);
        const std::vector<uint8_t> cut = IxWrite(coded, d).payload;
        Frame f(size_t(IX_PIXELS), 0x8410);
        uint32_t start, end;
        std::memcpy(&start, &cut[16], 4);
        std::memcpy(&end, &cut[20], 4);
        // Nine codes a tile; a tile whose luminance codes are all there keeps its grey.
        for (int t = 0; 9 * t + 2 < int(end - start) * 2; t++) {
            for (int r = 0; r < 8; r++) {
                for (int c = 0; c < 8; c++) {
                    f[size_t(((t / 80) * 8 + r) * IX_WIDTH + (t % 80) * 8 + c)] = coded_grey;
                }
            }
        }
        Frame out = decode(cut, ref);
        EXPECT_EQ(at(out, 0, 0), coded_grey);
        EXPECT_EQ(at(out, 639, 303), 0x8410);
        EXPECT_EQ(out, f) << "codes cut";
        EXPECT_EQ(out, IxReferenceDecode(cut, ref));
    }
    // Sources outside the frame make the block unchanged: above row 0, below row 303, past the last pixel.
    {
        IxPicture p = all_tiles(false, IxNode::Unchanged());
        p.tiles[5] = IxNode::Vector(0, 128, 65);                 // one row above the frame
        p.tiles[tile_index(0, 296) + 3] = IxNode::Vector(0, 128, 63);  // one row below
        p.tiles[80 * 38 - 1] = IxNode::Split(Kind::Quarters, {IxNode::Unchanged(), IxNode::Unchanged(), IxNode::Unchanged(),
            IxNode::Split(Kind::Sixteenths, {IxNode::Unchanged(), IxNode::Unchanged(), IxNode::Unchanged(),
                                             IxNode::Window(0, uint32_t((31 - 6) * 64 + (31 - 7)))})});  // its last pixel one past the frame
        cases.push_back({"sources outside the frame", IxWrite(p).payload, ref});
        // The same tiles one step inside are copied.
        IxPicture q = all_tiles(false, IxNode::Unchanged());
        q.tiles[5] = IxNode::Vector(0, 128, 64);
        q.tiles[80 * 38 - 1] = IxNode::Spiral(8);                // (0, -1): one row up
        Frame inside = ref;
        for (int r = 0; r < 8; r++) {
            for (int c = 0; c < 8; c++) {
                inside[size_t((296 + r) * IX_WIDTH + 632 + c)] = at(ref, 632 + c, 295 + r);
            }
        }
        cases.push_back({"sources just inside", IxWrite(q).payload, inside});
    }
    for (const Case &c : cases) {
        const Frame out = decode(c.payload, ref);
        EXPECT_EQ(out, c.expected) << c.name;
        EXPECT_EQ(out, IxReferenceDecode(c.payload, ref)) << c.name;
    }
}

TEST_F(IxPictureTest, OverlappingCopiesWithinThePicture)
{
    // Coded tiles, then halves and tiles copied over places they overlap; the source is read whole first.
    IxPicture p;
    p.intra = true;
    p.quality = 80;
    for (int t = 0; t < 80 * 38; t++) {
        if (t < 160 || t % 3 == 0) {
            int32_t values[3][64] = {};
            values[0][0] = (t * 37) % 200 - 100;
            values[0][1] = t % 9 - 4;
            values[0][8] = t % 7 - 3;
            values[2][0] = t % 11 - 5;
            p.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
        } else if (t % 3 == 1) {
            // The bottom half from 2 rows above it: rows overlap the destination.
            p.tiles.push_back(IxNode::Split(Kind::HalvesRows, {IxNode::Vector(2, 128, 2), IxNode::Vector(5, 128 - 1, 1)}));
        } else {
            // The whole tile from 3 pixels left and 2 up (rows of the tile itself).
            p.tiles.push_back(IxNode::Vector(t % 8, 128 + 3, 2));
        }
    }
    const std::vector<uint8_t> payload = IxWrite(p).payload;
    const Frame ref(size_t(IX_PIXELS), 0x1234);
    EXPECT_EQ(decode(payload, ref, ref), IxReferenceDecode(payload, ref));
}

TEST_F(IxPictureTest, RandomPicturesMatchTheReference)
{
    const char *const branches[] = {
        "inter.tile.spiral", "inter.tile.vector", "inter.tile.coded", "inter.tile.halves-rows",
        "inter.tile.halves-columns", "inter.tile.unchanged", "inter.tile.quarters",
        "inter.half.spiral", "inter.half.vector", "inter.half.quarters", "inter.half.unchanged",
        "inter.quarter.spiral", "inter.quarter.vector", "inter.quarter.unchanged", "inter.quarter.eighths-rows",
        "inter.quarter.eighths-columns", "inter.quarter.sixteenths",
        "inter.eighth.spiral", "inter.eighth.window", "inter.eighth.unchanged", "inter.eighth.split",
        "inter.sixteenth.spiral", "inter.sixteenth.window", "inter.sixteenth.unchanged",
        "intra.tile.halves-rows", "intra.tile.halves-columns", "intra.tile.quarters", "intra.tile.coded",
        "intra.tile.vector", "intra.half.quarters", "intra.half.vector", "intra.quarter.vector",
        "intra.quarter.eighths-rows", "intra.quarter.eighths-columns", "intra.quarter.sixteenths",
        "intra.eighth.window", "intra.eighth.split", "intra.sixteenth.window"};
    std::map<std::string, int> used;
    Frame previous = SyntheticFilmFrame(0);
    for (uint32_t seed = 1; seed <= 4; seed++) {
        for (bool intra : {true, false}) {
            const IxWritten w = IxWrite(IxRandomPicture(seed, intra, int32_t(seed * 23 % 101)));
            for (const auto &[name, n] : w.branches) {
                used[name] += n;
            }
            for (IxFormat format : {IxFormat::Rgb565, IxFormat::Rgb555}) {
                format == IxFormat::Rgb555 ? HNM_InitIX555() : HNM_InitIX565();
                Frame out(previous.size(), 0x7777), expected(previous.size(), 0x7777);
                HNM_DecodeIXFrame(w.payload.data(), uint32_t(w.payload.size()), previous.data(), out.data(), nullptr);
                IxReferenceDecode(w.payload, previous.data(), expected.data(), format);
                ASSERT_EQ(out, expected) << "seed " << seed << (intra ? " intra" : " inter")
                                         << (format == IxFormat::Rgb555 ? " 5-5-5" : " 5-6-5");
                previous = out;
            }
        }
    }
    for (const char *b : branches) {
        EXPECT_GT(used[b], 0) << b;
    }
}

TEST_F(IxPictureTest, SecondOutputTakesTheCodedTiles)
{
    const IxPicture p = IxRandomPicture(7, false, 60);
    const std::vector<uint8_t> payload = IxWrite(p).payload;
    const Frame ref = SyntheticFilmFrame(2);
    Frame out(IX_PIXELS), second(size_t(IX_PIXELS), 0xDEAD);
    HNM_DecodeIXFrame(payload.data(), uint32_t(payload.size()), ref.data(), out.data(), second.data());
    int coded = 0;
    for (int t = 0; t < 80 * 38; t++) {
        const bool is_coded = p.tiles[size_t(t)].kind == Kind::Coded;
        coded += is_coded;
        const int tx = (t % 80) * 8, ty = (t / 80) * 8;
        for (int r = 0; r < 8; r++) {
            for (int c = 0; c < 8; c++) {
                const size_t i = size_t((ty + r) * IX_WIDTH + tx + c);
                ASSERT_EQ(second[i], is_coded ? out[i] : 0xDEAD) << "tile " << t;
            }
        }
    }
    EXPECT_GT(coded, 100);
    Frame again(IX_PIXELS);
    HNM_DecodeIXFrame(payload.data(), uint32_t(payload.size()), ref.data(), again.data(), nullptr);
    EXPECT_EQ(again, out);
}

TEST_F(IxPictureTest, EncoderRoundTrips)
{
    const Frame f0 = SyntheticFilmFrame(0), f1 = SyntheticFilmFrame(1);
    const IxEncoded intra = EncodeIntra(f0, 100);
    EXPECT_EQ(decode(intra.payload, Frame(size_t(IX_PIXELS), 0)), intra.predicted);
    const IxEncoded inter = EncodeInter(f1, intra.predicted, 75);
    EXPECT_EQ(decode(inter.payload, intra.predicted), inter.predicted);

    // Unchanged and spiral tiles are exact against the source.
    const Frame exact_ref = f0;
    const IxEncoded copies = EncodeInter(f1, exact_ref, 75);
    EXPECT_GT(copies.branches.at("inter.tile.unchanged"), 0);
    EXPECT_GT(copies.branches.at("inter.tile.spiral"), 0);
    const Frame out = decode(copies.payload, exact_ref);
    int exact_tiles = 0;
    for (int t = 0; t < 80 * 38; t++) {
        const int tx = (t % 80) * 8, ty = (t / 80) * 8;
        bool equal = true;
        for (int r = 0; r < 8 && equal; r++) {
            equal = std::memcmp(&out[size_t((ty + r) * IX_WIDTH + tx)], &f1[size_t((ty + r) * IX_WIDTH + tx)], 16) == 0;
        }
        exact_tiles += equal;
    }
    EXPECT_GE(exact_tiles, copies.branches.at("inter.tile.unchanged") + copies.branches.at("inter.tile.spiral"));

    // Vector copies are exact: the picture is the reference moved 40 pixels left and 16 up.
    IxPicture moved = all_tiles(false, IxNode::Vector(0, 128 - 40, 64 - 16));
    const Frame vmoved = decode(moved, f0);
    EXPECT_TRUE(tile_from(vmoved, f0, tile_index(80, 80), 40, 16));
    EXPECT_TRUE(tile_from(vmoved, f0, tile_index(632, 0), 40 - 640, 16));

    // Flat tiles at quality 100 come back exactly, except green 63, which decodes as 62.
    Frame flat(IX_PIXELS);
    std::vector<uint16_t> colours;
    for (int r : {0, 1, 8, 15, 16, 30, 31}) {
        for (int g : {0, 1, 20, 32, 61, 62, 63}) {
            for (int b : {0, 2, 16, 29, 31}) {
                colours.push_back(uint16_t(r << 11 | g << 5 | b));
            }
        }
    }
    for (int t = 0; t < 80 * 38; t++) {
        const uint16_t c = colours[size_t(t) % colours.size()];
        for (int r = 0; r < 8; r++) {
            for (int x = 0; x < 8; x++) {
                flat[size_t(((t / 80) * 8 + r) * IX_WIDTH + (t % 80) * 8 + x)] = c;
            }
        }
    }
    const IxEncoded flat_coded = EncodeIntra(flat, 100);
    const Frame flat_out = decode(flat_coded.payload, Frame(size_t(IX_PIXELS), 0));
    for (size_t i = 0; i < colours.size(); i++) {
        const uint16_t source = colours[i];
        const uint16_t expected = ((source >> 5) & 63) == 63 ? uint16_t(source - (1 << 5)) : source;
        const int t = int(i);
        EXPECT_EQ(at(flat_out, (t % 80) * 8 + 3, (t / 80) * 8 + 5), expected) << std::hex << source;
    }

    // Smooth frames: the encoder and decoder together keep at least 30 dB at quality 100, 26 dB at 50.
    for (int n : {0, 23}) {
        const Frame f = SyntheticFilmFrame(n);
        const double q100 = IxPsnr(EncodeIntra(f, 100).predicted, f);
        const double q50 = IxPsnr(EncodeIntra(f, 50).predicted, f);
        std::printf("synthetic frame %d: %.2f dB at quality 100, %.2f dB at quality 50\n", n, q100, q50);
        EXPECT_GE(q100, 30.0);
        EXPECT_GE(q50, 26.0);
    }
}
