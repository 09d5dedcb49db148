// The LZ unpacker: hand-made streams for the format's corners, builder streams for every code
// family, packer round trips, and damaged streams for the bounded form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/lz.h"
#include "tests/support/lz_packer.h"
#include "tests/support/pattern_file.h"

namespace {

using kalder_test::LzCodeCounts;
using kalder_test::LzPackOptions;
using kalder_test::LzSample;
using kalder_test::LzStreamBuilder;
using Bytes = std::vector<uint8_t>;

// Runs the bounded form over exactly-sized heap copies, so that a read or write one byte outside
// either buffer trips AddressSanitizer. The destination's bytes come back in `out`.
int32_t Checked(const Bytes &stream, size_t capacity, Bytes *out = nullptr, size_t sourceLength = SIZE_MAX)
{
    Bytes source(stream.begin(), stream.begin() + std::min(sourceLength, stream.size()));
    Bytes destination(capacity);
    int32_t r = LZ_UnpackChecked(source.data(), uint32_t(source.size()), destination.data(), uint32_t(capacity));
    if (out != nullptr) {
        *out = destination;
    }
    return r;
}

// Both forms must agree on a valid stream: the trusting one given exactly-sized buffers too.
void ExpectUnpacksTo(const Bytes &stream, const Bytes &expected, const std::string &what)
{
    Bytes source(stream);
    Bytes destination(expected.size());
    EXPECT_EQ(LZ_Unpack(source.data(), destination.data()), int32_t(expected.size())) << what;
    EXPECT_TRUE(destination == expected) << what;

    Bytes out;
    EXPECT_EQ(Checked(stream, expected.size(), &out), int32_t(expected.size())) << what;
    EXPECT_TRUE(out == expected) << what;
}

Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }

TEST(LzUnpack, HandMadeStreams)
{
    Bytes straddling = {0xFE, 0xFF, 0xFF, 0xFF};
    Bytes literals31;
    for (int i = 0; i < 31; i++) {
        straddling.push_back(uint8_t('A' + i));
        literals31.push_back(uint8_t('A' + i));
    }
    // The end code's "0" is the last bit of the first word, its "1" the first bit of the second.
    for (uint8_t b : {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00}) {
        straddling.push_back(b);
    }

    struct Case {
        const char *what;
        Bytes stream;
        Bytes expected;
    };
    const Case cases[] = {
        {"shortest stream", {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00}, {}},
        {"literal then long match distance 1 length 9",
         {0x00, 0x00, 0x00, 0xA8, 'x', 0xFF, 0xFF, 0x00, 0x00, 0x00},
         Bytes(10, 'x')},
        {"code straddling two control words", straddling, literals31},
        {"end code with distance bits set", {0x00, 0x00, 0x00, 0x40, 0xF8, 0xFF, 0x00}, {}},
        // A short match is 0 0 h l: here 0 0 1 1 = length 5, distance 256 - 0xFF = 1.
        {"short match of length 5", {0x00, 0x00, 0x00, 0x9A, 'q', 0xFF, 0x00, 0x00, 0x00}, Bytes(6, 'q')},
    };
    for (const Case &c : cases) {
        ExpectUnpacksTo(c.stream, c.expected, c.what);
    }
}

TEST(LzUnpack, BytesAfterTheEndCodeAreNotRead)
{
    Bytes padded = {0x00, 0x00, 0x00, 0xA8, 'x', 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    Bytes out;
    EXPECT_EQ(Checked(padded, 10, &out), 10);
    EXPECT_EQ(out, Bytes(10, 'x'));
}

// One operation of a family row: a code for the builder and, independently, its effect on a plain
// byte-by-byte model of the output.
struct Op {
    char kind; // 'p' prefix of n pattern literals, 'l' literal, 's' short, 'L' long, 'X' extended long
    uint32_t length;
    uint32_t distance;
};

struct FamilyRow {
    std::string what;
    std::vector<Op> ops;
    Bytes exact; // when not empty, the output written out by hand
};

Bytes BuildRow(const FamilyRow &row, Bytes *expected)
{
    LzStreamBuilder b;
    expected->clear();
    for (const Op &op : row.ops) {
        if (op.kind == 'p') {
            for (uint32_t i = 0; i < op.length; i++) {
                uint8_t c = kalder_test::PatternByte(uint32_t(expected->size()));
                b.Literal(c);
                expected->push_back(c);
            }
            continue;
        }
        if (op.kind == 'l') {
            b.Literal(uint8_t(op.length));
            expected->push_back(uint8_t(op.length));
            continue;
        }
        if (op.kind == 's') {
            b.Short(op.length, op.distance);
        } else {
            b.Long(op.length, op.distance, op.kind == 'X');
        }
        for (uint32_t i = 0; i < op.length; i++) {
            expected->push_back((*expected)[expected->size() - op.distance]);
        }
    }
    b.End();
    return b.Bytes();
}

std::vector<FamilyRow> FamilyRows()
{
    std::vector<FamilyRow> rows;
    for (uint32_t length = 2; length <= 5; length++) {
        for (uint32_t distance : {1u, 256u}) {
            rows.push_back({"short length " + std::to_string(length) + " distance " + std::to_string(distance),
                            {{'p', 256, 0}, {'s', length, distance}},
                            {}});
        }
    }
    for (uint32_t low = 1; low <= 7; low++) {
        rows.push_back({"long w&7=" + std::to_string(low), {{'p', 300, 0}, {'L', low + 2, 300}}, {}});
    }
    for (uint32_t n : {1u, 254u, 255u}) {
        rows.push_back({"extended n=" + std::to_string(n), {{'p', 300, 0}, {'X', n + 2, 280}}, {}});
    }
    rows.push_back({"long distance 1", {{'p', 1, 0}, {'L', 9, 1}}, {}});
    rows.push_back({"long distance 8192", {{'p', 8192, 0}, {'L', 7, 8192}, {'X', 200, 8192}}, {}});
    rows.push_back({"overlapping copy distance 3 length 10",
                    {{'l', 'a', 0}, {'l', 'b', 0}, {'l', 'c', 0}, {'X', 10, 3}},
                    Text("abcabcabcabca")});
    rows.push_back({"short overlapping copy", {{'l', 'a', 0}, {'l', 'b', 0}, {'s', 5, 2}}, Text("abababa")});
    return rows;
}

TEST(LzUnpack, EveryCodeFamily)
{
    for (const FamilyRow &row : FamilyRows()) {
        Bytes expected;
        Bytes stream = BuildRow(row, &expected);
        if (!row.exact.empty()) {
            EXPECT_EQ(expected, row.exact) << row.what;
        }
        ExpectUnpacksTo(stream, expected, row.what);
    }
}

// Packer options by name, with the families each must and must not produce.
struct OptionRow {
    const char *name;
    LzPackOptions options;
};
const OptionRow kOptionRows[] = {
    {"default", {}},
    {"literals only", {false, false, false}},
    {"short only", {true, false, false}},
    {"long only", {false, true, false}},
    {"extended lengths", {false, true, true}},
};

void ExpectFamilies(const OptionRow &o, const LzCodeCounts &n, bool compressible, const std::string &what)
{
    EXPECT_EQ(n.ends, 1u) << what;
    if (!o.options.shortMatches) {
        EXPECT_EQ(n.shorts, 0u) << what;
    }
    if (!o.options.longMatches || o.options.forceExtended) {
        EXPECT_EQ(n.longs, 0u) << what;
    }
    if (!o.options.longMatches) {
        EXPECT_EQ(n.extended, 0u) << what;
    }
    if (compressible) {
        if (o.options.shortMatches) {
            EXPECT_GT(n.shorts, 0u) << what;
        }
        if (o.options.longMatches && !o.options.forceExtended) {
            EXPECT_GT(n.longs, 0u) << what;
        }
        if (o.options.longMatches) {
            EXPECT_GT(n.extended, 0u) << what;
        }
    }
}

TEST(LzUnpack, PackerRoundTrips)
{
    const size_t sizes[] = {0, 1, 31, 32, 33, 8193, 1 << 20};
    const LzSample kinds[] = {LzSample::Zeros, LzSample::Random, LzSample::Text, LzSample::Texture,
                              LzSample::Records};
    for (size_t size : sizes) {
        for (LzSample kind : kinds) {
            Bytes data = kalder_test::LzSampleData(kind, size);
            for (const OptionRow &o : kOptionRows) {
                std::string what = std::string(kalder_test::LzSampleName(kind)) + " " + std::to_string(size) +
                                   " " + o.name;
                LzCodeCounts counts;
                Bytes stream = kalder_test::LzPack(data.data(), data.size(), o.options, &counts);
                ExpectUnpacksTo(stream, data, what);
                // Text and texture hold every family once they are long enough; zeros hold only
                // the longest matches, so the default packer rightly uses no short or 3..9 match.
                bool compressible = size >= 8193 && (kind == LzSample::Text || kind == LzSample::Texture);
                ExpectFamilies(o, counts, compressible, what);
                if (!o.options.shortMatches && !o.options.longMatches) {
                    EXPECT_EQ(counts.literals, size) << what;
                }
            }
        }
    }
}

TEST(LzUnpackChecked, DamagedStreams)
{
    LzStreamBuilder shortTooFar;
    shortTooFar.Literal('a');
    shortTooFar.Short(2, 2);
    shortTooFar.End();

    LzStreamBuilder longTooFar;
    for (int i = 0; i < 100; i++) {
        longTooFar.Literal(uint8_t(i));
    }
    longTooFar.Long(5, 8192);
    longTooFar.End();

    struct Case {
        const char *what;
        Bytes stream;
        size_t capacity;
    };
    const Case cases[] = {
        {"first code a match", {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, 64},
        {"short match of distance 2 after one byte", shortTooFar.Bytes(), 64},
        {"long match of distance 8192 after 100 bytes", longTooFar.Bytes(), 8192},
        {"control word of all ones with no data", {0xFF, 0xFF, 0xFF, 0xFF}, 64},
        {"control word cut short", {0xFF, 0xFF, 0xFF}, 64},
        {"empty source", {}, 64},
        {"long match word cut short", {0x00, 0x00, 0x00, 0x40, 0x00}, 64},
        {"end code's length byte missing", {0x00, 0x00, 0x00, 0x40, 0x00, 0x00}, 64},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Checked(c.stream, c.capacity), -1) << c.what;
    }
}

// Every valid fixture: one byte less of room fails, exact room succeeds, and every cut of the
// stream fails without reading past the cut.
TEST(LzUnpackChecked, ExactRoomAndEveryCut)
{
    std::vector<std::pair<std::string, Bytes>> streams;
    for (const FamilyRow &row : FamilyRows()) {
        Bytes expected;
        streams.push_back({row.what, BuildRow(row, &expected)});
    }
    Bytes text = kalder_test::LzSampleData(LzSample::Text, 3000);
    streams.push_back({"packed text", kalder_test::LzPack(text.data(), text.size())});
    streams.push_back({"shortest", {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00}});

    for (const auto &[what, stream] : streams) {
        Bytes out;
        int32_t size = Checked(stream, 1 << 16, &out);
        ASSERT_GE(size, 0) << what;
        Bytes exact(out.begin(), out.begin() + size);
        Bytes again;
        EXPECT_EQ(Checked(stream, size_t(size), &again), size) << what;
        EXPECT_EQ(again, exact) << what;
        if (size > 0) {
            EXPECT_EQ(Checked(stream, size_t(size) - 1), -1) << what;
        }
        for (size_t cut = 0; cut < stream.size(); cut++) {
            ASSERT_EQ(Checked(stream, size_t(size), nullptr, cut), -1) << what << " cut at " << cut;
        }
    }
}

TEST(LzUnpackChecked, KeepsTheBytesWrittenBeforeAFailingCode)
{
    LzStreamBuilder b;
    b.Literal('k');
    b.Literal('e');
    b.Short(2, 3); // reaches one byte before the start
    b.End();
    Bytes out;
    EXPECT_EQ(Checked(b.Bytes(), 8, &out), -1);
    EXPECT_EQ(out[0], 'k');
    EXPECT_EQ(out[1], 'e');

    // A run of literals taken together stops at the room's end too.
    LzStreamBuilder run;
    for (int i = 0; i < 40; i++) {
        run.Literal(uint8_t('a' + i % 26));
    }
    run.End();
    EXPECT_EQ(Checked(run.Bytes(), 30, &out), -1);
    EXPECT_EQ(std::string(out.begin(), out.end()), "abcdefghijklmnopqrstuvwxyzabcd");
}

// The bounded form copies in fixed moves where it has room; these streams sit on every edge of that:
// distances 1..17 (the short ones must repeat bytes one at a time), lengths 2..264, copies ending 0..17
// bytes before the room's end, and literal runs ending exactly at the room's end or the source's. Each
// must give the bytes and result of the trusting form's byte loop and of a plain model.
TEST(LzUnpackChecked, FastCopiesAgreeWithTheByteLoop)
{
    struct Stream {
        std::string what;
        Bytes stream;
        Bytes expected;
    };
    std::vector<Stream> streams;
    for (uint32_t distance = 1; distance <= 17; distance++) {
        for (uint32_t length = 2; length <= 264; length++) {
            std::vector<Op> ops = {{'p', 40, 0}};
            if (length <= 5) {
                ops.push_back({'s', length, distance});
            } else if (length <= 257) {
                ops.push_back({length <= 9 ? 'L' : 'X', length, distance});
            } else {
                // Past the longest code: two matches back to back, the second one of 8.
                ops.push_back({'X', length - 8, distance});
                ops.push_back({'L', 8, distance});
            }
            ops.push_back({'p', 3, 0});
            Stream s{"distance " + std::to_string(distance) + " length " + std::to_string(length), {}, {}};
            s.stream = BuildRow({s.what, ops, {}}, &s.expected);
            streams.push_back(std::move(s));
        }
    }
    for (uint32_t run = 1; run <= 70; run++) {
        Stream s{"literal run " + std::to_string(run), {}, {}};
        s.stream = BuildRow({s.what, {{'p', 5, 0}, {'L', 20, 5}, {'p', run, 0}}, {}}, &s.expected);
        streams.push_back(std::move(s));
    }

    for (const Stream &s : streams) {
        Bytes source(s.stream);
        Bytes plain(s.expected.size());
        ASSERT_EQ(LZ_Unpack(source.data(), plain.data()), int32_t(plain.size())) << s.what;
        ASSERT_EQ(plain, s.expected) << s.what;
        for (size_t slack = 0; slack <= 17; slack++) {
            Bytes out;
            ASSERT_EQ(Checked(s.stream, s.expected.size() + slack, &out), int32_t(s.expected.size()))
                << s.what << " slack " << slack;
            ASSERT_TRUE(std::equal(s.expected.begin(), s.expected.end(), out.begin())) << s.what << " slack " << slack;
        }
        // One byte short of room, and the stream cut one byte short: refused.
        ASSERT_EQ(Checked(s.stream, s.expected.size() - 1), -1) << s.what;
        ASSERT_EQ(Checked(s.stream, s.expected.size(), nullptr, s.stream.size() - 1), -1) << s.what;
    }
}

} // namespace
