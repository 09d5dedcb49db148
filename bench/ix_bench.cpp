// The IX picture decoder: frames per second of four kinds of picture, alone and with the screen copy,
// as multiples of the films' own 15.38 frames a second, beside the codec library's decoders of two
// other 1990s codecs on the same synthetic frames.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/av_peer.h"
#include "bench/summary.h"
#include "core/mem.h"
#include "core/scr.h"
#include "core/sys.h"
#include "films/hnm_screen.h"
#include "films/ix.h"
#include "tests/support/ix_encoder.h"
#include "tests/support/ix_reference.h"
#include "tests/support/synthetic_film.h"

namespace {

using namespace kalder_test;
using Frame = std::vector<uint16_t>;

constexpr double kFilmRate = 200.0 / 13.0;   // a frame every 13 clock units

struct Workload {
    std::string name;
    std::vector<std::vector<uint8_t>> pictures;   // decoded in turn, each against the one before
    Frame reference;                              // before the first
    bool checked = false;
};

std::vector<Workload> &Workloads()
{
    static std::vector<Workload> all;
    return all;
}

// Every tile coded, about 20 non-zero values a block, quality 75.
std::vector<uint8_t> WorstIntra()
{
    IxPicture p;
    p.intra = true;
    p.quality = 75;
    uint32_t seed = 12345;
    for (int t = 0; t < 80 * 38; t++) {
        int32_t values[3][64] = {};
        for (int c = 0; c < 3; c++) {
            values[c][0] = int32_t(seed >> 24) - 128;
            for (int n = 0; n < 20; n++) {
                seed = seed * 1664525u + 1013904223u;
                values[c][1 + (seed >> 8) % 63] = int32_t((seed >> 16) % 31) - 15;
            }
        }
        p.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
    }
    return IxWrite(p).payload;
}

// Copies only: every orientation and every split level, from both frames.
std::vector<uint8_t> CopyHeavy()
{
    IxPicture p = IxRandomPicture(11, false, 75);
    for (size_t t = 0; t < p.tiles.size(); t++) {
        if (p.tiles[t].kind == IxNode::Kind::Coded) {
            p.tiles[t] = IxNode::Vector(int(t % 8), uint32_t(100 + t % 50), uint32_t(50 + t % 20), t % 3 == 0);
        }
    }
    return IxWrite(p).payload;
}

void Prepare()
{
    HNM_InitIX565();
    const Frame first = SyntheticFilmFrame(0);
    Workloads().push_back({"mixed", SyntheticFilmPictures(46), Frame(IX_PIXELS, 0)});
    Workloads().push_back({"intra-worst", {WorstIntra()}, Frame(IX_PIXELS, 0)});
    IxPicture unchanged;
    unchanged.tiles.assign(80 * 38, IxNode::Unchanged());
    Workloads().push_back({"unchanged", {IxWrite(unchanged).payload}, first});
    Workloads().push_back({"copies", {CopyHeavy()}, first});
    // A guard before timing: each workload decodes as the plain reference decoder does.
    for (Workload &w : Workloads()) {
        Frame ours = w.reference, theirs = w.reference, out(IX_PIXELS), expected(IX_PIXELS);
        w.checked = true;
        for (const auto &p : w.pictures) {
            HNM_DecodeIXFrame(p.data(), uint32_t(p.size()), ours.data(), out.data(), nullptr);
            IxReferenceDecode(p, theirs.data(), expected.data(), IxFormat::Rgb565);
            w.checked = w.checked && out == expected;
            ours.swap(out);
            theirs.swap(expected);
        }
    }
}

void BM_Decode(benchmark::State &state, const Workload *w)
{
    if (!w->checked) {
        state.SkipWithError("differs from the reference decoder");
        return;
    }
    HNM_InitIX565();
    Frame current = w->reference, work(IX_PIXELS);
    size_t n = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> &p = w->pictures[n];
        HNM_DecodeIXFrame(p.data(), uint32_t(p.size()), current.data(), work.data(), nullptr);
        benchmark::DoNotOptimize(work.data());
        current.swap(work);
        n = n + 1 == w->pictures.size() ? 0 : n + 1;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["ns/pixel"] =
        benchmark::Counter(double(state.iterations()) * IX_PIXELS, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Decode and the screen copy onto a 640x480 frame buffer, through the frame pair of the screen output.
void BM_DecodeShow(benchmark::State &state, const Workload *w)
{
    if (!w->checked) {
        state.SkipWithError("differs from the reference decoder");
        return;
    }
    MEM_Arena = MEM_CreateStack(0x172000);
    std::vector<uint16_t> screen(640 * 480);
    SCR_FrameBuffer = screen.data();
    SCR_Width = 640;
    SCR_Height = 480;
    if (!HNM_AllocIXBuffers()) {
        state.SkipWithError("no frame pair");
        return;
    }
    std::memcpy(HNM_CurrentFrame, w->reference.data(), size_t(IX_PIXELS) * 2);
    size_t n = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> &p = w->pictures[n];
        HNM_ShowIXFrame(p.data(), uint32_t(p.size()));
        HNM_SwapIXBuffers();
        benchmark::DoNotOptimize(screen.data());
        n = n + 1 == w->pictures.size() ? 0 : n + 1;
    }
    state.SetItemsProcessed(state.iterations());
    HNM_FreeIXBuffers();
    MEM_DestroyStack(MEM_Arena);
    MEM_Arena = nullptr;
    SCR_FrameBuffer = nullptr;
}

// ---- Peers ----------------------------------------------------------------------------------------

struct Peer {
    std::string name;     // "<codec> <width>x<height>"
    AvPeerFilmPtr film;
    std::string why;
    int width, height;
};

std::vector<Peer> &Peers()
{
    static std::vector<Peer> all;
    return all;
}

// The synthetic frames in the encoder's pixel format, placed in a picture of the given height (black
// bands above and below when it is taller than 304).
std::vector<std::vector<uint8_t>> PeerFrames(int count, int height, bool rgb24)
{
    std::vector<std::vector<uint8_t>> out;
    const int top = (height - IX_HEIGHT) / 2;
    for (const Frame &f : SyntheticFilm(count)) {
        std::vector<uint8_t> bytes(size_t(640) * size_t(height) * (rgb24 ? 3 : 2), 0);
        for (int y = 0; y < IX_HEIGHT; y++) {
            for (int x = 0; x < 640; x++) {
                const uint16_t px = f[size_t(y * 640 + x)];
                const size_t at = size_t((top + y) * 640 + x);
                const int r = (px >> 11) & 31, g = (px >> 5) & 63, b = px & 31;
                if (rgb24) {
                    bytes[at * 3] = uint8_t(r << 3 | r >> 2);
                    bytes[at * 3 + 1] = uint8_t(g << 2 | g >> 4);
                    bytes[at * 3 + 2] = uint8_t(b << 3 | b >> 2);
                } else {
                    const uint16_t v = uint16_t(r << 10 | (g >> 1) << 5 | b);
                    bytes[at * 2] = uint8_t(v);
                    bytes[at * 2 + 1] = uint8_t(v >> 8);
                }
            }
        }
        out.push_back(std::move(bytes));
    }
    return out;
}

void PreparePeers()
{
    for (const char *codec : {"msvideo1", "cinepak"}) {
        const bool rgb24 = std::strcmp(codec, "cinepak") == 0;
        const int count = rgb24 ? 16 : 64;   // the Cinepak encoder is slow
        for (int height : {480, 304}) {
            Peer p;
            p.name = std::string(codec) + " 640x" + std::to_string(height);
            p.width = 640;
            p.height = height;
            p.film = AvPeerEncode(codec, rgb24 ? "rgb24" : "rgb555le", 640, height, PeerFrames(count, height, rgb24), &p.why);
            Peers().push_back(std::move(p));
        }
    }
}

std::string Rate(const SummaryReporter &rep, const std::string &name)
{
    auto it = rep.figures.find(name);
    if (it == rep.figures.end()) {
        return "not available";
    }
    char text[96];
    std::snprintf(text, sizeof text, "%.0f frames/s (%.0f x the film's rate)", it->second, it->second / kFilmRate);
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Prepare();
    PreparePeers();
    for (const Workload &w : Workloads()) {
        benchmark::RegisterBenchmark(("HNM_DecodeIXFrame/" + w.name).c_str(), BM_Decode, &w);
        benchmark::RegisterBenchmark(("HNM_ShowIXFrame/" + w.name).c_str(), BM_DecodeShow, &w);
    }
    for (Peer &p : Peers()) {
        benchmark::RegisterBenchmark(("peer/" + p.name).c_str(),
                                     [&p](benchmark::State &state) { AvPeerBenchmark(state, p.film.get(), p.why); });
    }
    SummaryReporter reporter(PickItemsPerSecond);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nIX summary (640 x 304 pictures; the film runs at %.2f frames/s; goal 50 x for the mixed film)\n",
                kFilmRate);
    for (const Workload &w : Workloads()) {
        auto it = reporter.figures.find("HNM_DecodeIXFrame/" + w.name);
        const double ns = it != reporter.figures.end() ? 1e9 / it->second / IX_PIXELS : 0;
        std::printf("%-12s decode %s, %.2f ns a pixel; decode and screen copy %s\n", w.name.c_str(),
                    Rate(reporter, "HNM_DecodeIXFrame/" + w.name).c_str(), ns,
                    Rate(reporter, "HNM_ShowIXFrame/" + w.name).c_str());
    }
    for (const Peer &p : Peers()) {
        auto it = reporter.figures.find("peer/" + p.name);
        if (!p.film || it == reporter.figures.end()) {
            std::printf("%-20s not available (%s)\n", p.name.c_str(), p.why.c_str());
            continue;
        }
        const double mpixels = it->second * p.width * p.height / 1e6;
        // At 640x480 the peer's picture holds the bands, as the screen does: against decode and copy.
        const std::string ours = p.height == 480 ? "HNM_ShowIXFrame/mixed" : "HNM_DecodeIXFrame/mixed";
        std::printf("%-20s %.0f frames/s, %.1f Mpixel/s, %zu bytes for %d frames; mixed IX film / peer: %s\n",
                    p.name.c_str(), it->second, mpixels, AvPeerBytes(*p.film), AvPeerFrames(*p.film),
                    Ratio(reporter, ours, "peer/" + p.name).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
