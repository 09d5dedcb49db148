// The hi-colour decoder and blitter: pictures per second of five workloads, the blit per layout, the two
// together and a pair-table rebuild, as multiples of the films' 15 pictures a second, beside the codec
// library's decoders of three other 1990s codecs on the demo film's pictures.
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/av_peer.h"
#include "bench/summary.h"
#include "core/dsp.h"
#include "films/hnm_screen.h"
#include "films/iv.h"
#include "tests/support/film_writer.h"
#include "tests/support/iv_film.h"
#include "tests/support/iv_model.h"
#include "tests/support/iv_writer.h"

namespace {

using namespace kalder_test;
using Bytes = std::vector<uint8_t>;

constexpr double kFilmRate = 15.0;
constexpr double kShownPixels = 640.0 * 300.0;

struct Workload {
    std::string name;
    std::vector<Bytes> pictures;   // decoded in turn, each against the one before, from cleared frames
    bool checked = false;
};

std::vector<Workload> &Workloads()
{
    static std::vector<Workload> all;
    return all;
}

// Every band of mode 2 filled by literal runs of 257, 257 and 126 columns: about 193 KB.
Bytes AllLiteral()
{
    std::mt19937 rng(7);
    IvWriter w;
    w.Mode(2);
    for (int band = 0; band < 150; band++) {
        for (int columns : {257, 257, 126}) {
            std::vector<std::vector<uint8_t>> run(size_t(columns), std::vector<uint8_t>(2));
            for (auto &column : run)
                for (auto &v : column) v = uint8_t(rng());
            w.LiteralRun(run);
        }
        w.BandEnd(band == 149 ? 1 : 2);
    }
    return w.Bytes();
}

// Every band of mode 2 copied in place from the reference.
Bytes AllCopySame()
{
    IvWriter w;
    w.Mode(2);
    for (int band = 0; band < 150; band++) {
        w.CopySame(255).CopySame(255).CopySame(127).BandEnd(band == 149 ? 1 : 2);
    }
    return w.Bytes();
}

// 4-row bands of transposed runs of 38 columns (and one of 32), each reading 38 rows of the reference:
// down from the band in the top rows, up from it below.
Bytes Transposed()
{
    IvWriter w;
    w.Mode(4);
    for (int band = 0; band < 75; band++) {
        const int family = band * 4 < 40 ? 4 : 5;
        for (int k = 0; k < 16; k++) w.Run(family, 31, 32768);
        w.Run(family, 28, 32768).BandEnd(band == 74 ? 1 : 4);
    }
    return w.Bytes();
}

void Prepare()
{
    Workloads().push_back({"demo", IvSyntheticFilm().payloads});
    Workloads().push_back({"literal", {AllLiteral()}});
    Workloads().push_back({"copy-same", {AllCopySame()}});
    Workloads().push_back({"runs", {IvRandomStream(1).payload, IvRandomStream(2).payload, IvRandomStream(3).payload}});
    Workloads().push_back({"transposed", {Transposed()}});
    // A guard before timing: each workload decodes as the reference decoder does, and wholly.
    for (Workload &w : Workloads()) {
        Bytes current(size_t(IV_FRAME_BYTES), 0), work(current), model_current(current), model_work(current);
        w.checked = true;
        for (const Bytes &p : w.pictures) {
            const HNM_IVDecodeInfo info = HNM_DecodeIVPicture(p.data(), uint32_t(p.size()), current.data(), work.data());
            w.checked = w.checked && info.whole == 1 && IvModelDecode(p, model_current.data(), model_work.data()) == 1 &&
                        work == model_work;
            std::swap(current, work);
            std::swap(model_current, model_work);
        }
    }
}

// The screen of a blit layout.
struct Layout {
    const char *name;
    int32_t layout, width, height;
};
constexpr Layout kLayouts[] = {{"640x480", 5, 640, 480}, {"640x400", 1, 640, 400}, {"320x400", 2, 320, 400},
                               {"320x200", 4, 320, 200}, {"800x600", 0, 800, 600}};

std::vector<uint32_t> DemoPairs() { return IvPairTable(IvSyntheticPalette(), false); }

// Decodes the workload's pictures in turn, swapping the frames as the player does; with a layout, each
// picture is blitted too.
void BM_Decode(benchmark::State &state, const Workload *w, const Layout *blit)
{
    if (!w->checked) {
        state.SkipWithError("differs from the reference decoder");
        return;
    }
    Bytes a(size_t(IV_FRAME_BYTES), 0), b(a);
    uint8_t *current = a.data(), *work = b.data();
    const std::vector<uint32_t> pairs = DemoPairs();
    std::vector<uint16_t> screen(blit != nullptr ? size_t(blit->width * blit->height) : 1);
    size_t n = 0;
    for (auto _ : state) {
        const Bytes &p = w->pictures[n];
        HNM_DecodeIVPicture(p.data(), uint32_t(p.size()), current, work);
        std::swap(current, work);
        if (blit != nullptr) {
            HNM_BlitIVFrame(current, screen.data(), pairs.data(), blit->layout);
        }
        benchmark::DoNotOptimize(current);
        benchmark::ClobberMemory();
        n = n + 1 == w->pictures.size() ? 0 : n + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Blit(benchmark::State &state, const Layout *l)
{
    const Bytes &picture = IvSyntheticFilm().decoded.back();
    const std::vector<uint32_t> pairs = DemoPairs();
    std::vector<uint16_t> screen(size_t(l->width * l->height));
    for (auto _ : state) {
        HNM_BlitIVFrame(picture.data(), screen.data(), pairs.data(), l->layout);
        benchmark::DoNotOptimize(screen.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// A PL chunk of 256 colours: the colours, then the whole table rebuilt.
void BM_PairTable(benchmark::State &state)
{
    std::vector<uint32_t> table(65536);
    uint32_t *saved = HNM_PairTable;
    HNM_PairTable = table.data();
    DSP_Rgb555 = 0;
    const Bytes payload = PalettePayload({IvSyntheticPalette()});
    for (auto _ : state) {
        HNM_SetIVPalette(payload.data(), uint32_t(payload.size()));
        benchmark::DoNotOptimize(table.data());
        benchmark::ClobberMemory();
    }
    HNM_PairTable = saved;
    state.SetItemsProcessed(state.iterations());
}

// ---- Peers ----------------------------------------------------------------------------------------

std::vector<AvPeer> &Peers()
{
    static std::vector<AvPeer> all;
    return all;
}

// The demo film's decoded pictures (640 x 300) in an encoder's pixel format: 5-5-5 words, RGB bytes, or
// the indices alone (the palette goes beside them, from PeerPalette).
std::vector<Bytes> PeerFrames(const std::string &format)
{
    const PaletteRun palette = IvSyntheticPalette();
    std::vector<Bytes> out;
    for (const Bytes &decoded : IvSyntheticFilm().decoded) {
        const size_t pixels = size_t(kShownPixels);
        Bytes bytes;
        if (format == "pal8") {
            bytes.assign(decoded.begin(), decoded.begin() + long(pixels));
        } else {
            for (size_t k = 0; k < pixels; k++) {
                const auto &c = palette.colours[decoded[k]];
                if (format == "rgb24") {
                    bytes.insert(bytes.end(), {uint8_t(c[0] << 2), uint8_t(c[1] << 2), uint8_t(c[2] << 2)});
                } else {
                    const uint16_t w = IvColour(c[0], c[1], c[2], true);
                    bytes.insert(bytes.end(), {uint8_t(w), uint8_t(w >> 8)});
                }
            }
        }
        out.push_back(std::move(bytes));
    }
    return out;
}

// The film's palette as the indexed encoder takes it, 0x00RRGGBB.
std::vector<uint32_t> PeerPalette()
{
    std::vector<uint32_t> out;
    for (const auto &c : IvSyntheticPalette().colours) {
        out.push_back(uint32_t(c[0] << 2) << 16 | uint32_t(c[1] << 2) << 8 | uint32_t(c[2] << 2));
    }
    return out;
}

void PreparePeers()
{
    const std::vector<uint32_t> palette = PeerPalette();
    struct Spec {
        const char *codec, *format, *ours;
    };
    for (const Spec &s : {Spec{"msvideo1", "rgb555le", "decode+blit/demo/640x480"}, Spec{"smc", "pal8", "decode/demo"},
                          Spec{"cinepak", "rgb24", "decode+blit/demo/640x480"}}) {
        AvPeer p;
        p.name = s.codec;
        p.ours = s.ours;
        p.film = AvPeerEncode(s.codec, s.format, 640, 300, PeerFrames(s.format), &p.why, &palette);
        Peers().push_back(std::move(p));
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Prepare();
    PreparePeers();
    for (const Workload &w : Workloads()) {
        benchmark::RegisterBenchmark(("decode/" + w.name).c_str(), BM_Decode, &w, nullptr);
    }
    for (const Layout &l : kLayouts) {
        benchmark::RegisterBenchmark((std::string("blit/") + l.name).c_str(), BM_Blit, &l);
    }
    for (const Layout &l : kLayouts) {
        benchmark::RegisterBenchmark((std::string("decode+blit/demo/") + l.name).c_str(), BM_Decode, &Workloads()[0], &l);
    }
    benchmark::RegisterBenchmark("pair-table", BM_PairTable);
    AvPeerRegister(Peers());
    SummaryReporter reporter(PickItemsPerSecond);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nHi-colour summary (640 x 300 pictures; the films run at 15 pictures/s)\n");
    for (const auto &[name, figure] : reporter.figures) {
        if (name.rfind("peer/", 0) == 0) {
            continue;
        }
        if (name == "pair-table") {
            std::printf("%-28s %.0f rebuilds/s, %.1f us each\n", name.c_str(), figure, 1e6 / figure);
            continue;
        }
        std::printf("%-28s %.0f pictures/s, %.2f ns per shown pixel, %.0f x the film's rate\n", name.c_str(), figure,
                    1e9 / (figure * kShownPixels), figure / kFilmRate);
    }
    AvPeerSummary(reporter, Peers(), kShownPixels, 28, nullptr);
    benchmark::Shutdown();
    return 0;
}
