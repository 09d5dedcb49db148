// The 256-colour picture decoder: pictures per second of four workloads, as multiples of the films'
// 15 pictures a second, beside the codec library's decoders of three other 1990s codecs on the demo
// film's pictures; and the scene textures' shading work a tick: the shade tables of one slot, the
// flicker over 64 slots.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/av_peer.h"
#include "bench/summary.h"
#include "core/dsp.h"
#include "films/hnm.h"
#include "films/hnm4.h"
#include "engine3d/gfx_tint.h"
#include "engine3d/image.h"
#include "engine3d/matcache.h"
#include "tests/support/demo_film.h"
#include "tests/support/engine_area.h"
#include "tests/support/hnm4_model.h"
#include "tests/support/hnm4_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/mem_file_source.h"
#include "world/flick.h"
#include "world/tex.h"

namespace {

using namespace kalder_test;

constexpr double kFilmRate = 15.0;

struct Workload {
    std::string name;
    Hnm4Film film;
    bool checked = false;
};

std::vector<Workload> &Workloads()
{
    static std::vector<Workload> all;
    return all;
}

std::vector<std::vector<uint8_t>> DemoPictures()
{
    std::vector<std::vector<uint8_t>> out;
    for (uint32_t p = 0; p < 60; p++) {
        out.push_back(DemoHnm4Picture(p));
    }
    return out;
}

void Prepare()
{
    const std::vector<std::vector<uint8_t>> demo = DemoPictures();
    Workloads().push_back({"demo", Hnm4Encoder(256, 30).Encode(demo)});
    Workloads().push_back({"intra-only", Hnm4Encoder(256, 1).Encode({demo.begin(), demo.begin() + 8})});
    std::vector<std::vector<uint8_t>> noise;
    for (uint32_t p = 0; p < 8; p++) {
        noise.push_back(NoiseHnm4Picture(256, p + 40));
    }
    Workloads().push_back({"delta-coverage", Hnm4Encoder(256, 0, true).Encode(noise)});
    // A delta picture of only its end op: the decoder's time is the de-interleave's.
    Hnm4Film still = Hnm4Encoder(256, 1).Encode({demo[0]});
    Hnm4Model model(256, 256);
    model.Decode('Z', still.chunks[0].payload);
    still.chunks.push_back({'U', Hnm4Ops().End().Bytes()});
    still.pictures.push_back(still.pictures[0]);
    Workloads().push_back({"deinterleave", still});
    // A guard before timing: each film decodes as the reference decoder does.
    std::vector<uint8_t> a(65536), b(65536), target(65536);
    HNM_Header header{};
    header.width = 256;
    header.height = 256;
    for (Workload &w : Workloads()) {
        HNM_InitHNM4Decoder(a.data(), b.data(), &header);
        HNM_TargetTexture = target.data();
        Hnm4Model reference(256, 256);
        w.checked = true;
        for (const Hnm4Chunk &c : w.film.chunks) {
            HNM_DecodeHNM4Frame(1, c.subtype, c.payload.data(), uint32_t(c.payload.size()));
            reference.Decode(c.subtype, c.payload);
            w.checked = w.checked && target == reference.Picture();
        }
    }
    HNM_TargetTexture = nullptr;
}

void BM_Decode(benchmark::State &state, const Workload *w)
{
    if (!w->checked) {
        state.SkipWithError("differs from the reference decoder");
        return;
    }
    std::vector<uint8_t> a(65536), b(65536), target(65536);
    HNM_Header header{};
    header.width = 256;
    header.height = 256;
    HNM_InitHNM4Decoder(a.data(), b.data(), &header);
    HNM_TargetTexture = target.data();
    size_t n = 0;
    // The deinterleave workload times only its delta picture, after the intra one.
    const size_t first = w->name == "deinterleave" ? 1 : 0;
    if (first == 1) {
        const Hnm4Chunk &c = w->film.chunks[0];
        HNM_DecodeHNM4Frame(1, c.subtype, c.payload.data(), uint32_t(c.payload.size()));
    }
    n = first;
    for (auto _ : state) {
        const Hnm4Chunk &c = w->film.chunks[n];
        HNM_DecodeHNM4Frame(1, c.subtype, c.payload.data(), uint32_t(c.payload.size()));
        benchmark::DoNotOptimize(target.data());
        n = n + 1 == w->film.chunks.size() ? first : n + 1;
    }
    HNM_TargetTexture = nullptr;
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * 65536);
}

// ---- Peers ----------------------------------------------------------------------------------------

std::vector<AvPeer> &Peers()
{
    static std::vector<AvPeer> all;
    return all;
}

// The demo film's first palette, 0x00RRGGBB.
std::vector<uint32_t> FilmPalette()
{
    std::vector<uint32_t> palette(256);
    const std::vector<uint8_t> chunk = PalettePayload(DemoAnimPalette(false));
    TEX_DecodeFilmPalette(chunk.data(), uint32_t(chunk.size()), palette.data());
    return palette;
}

// The demo pictures through the film's palette, in the encoder's pixel format ("pal8": the indices).
std::vector<std::vector<uint8_t>> PeerFrames(const char *format)
{
    const bool rgb24 = std::strcmp(format, "rgb24") == 0;
    const std::vector<uint32_t> palette = FilmPalette();
    std::vector<std::vector<uint8_t>> out;
    for (const std::vector<uint8_t> &picture : DemoPictures()) {
        if (std::strcmp(format, "pal8") == 0) {
            out.push_back(picture);
            continue;
        }
        std::vector<uint8_t> bytes(picture.size() * (rgb24 ? 3 : 2));
        for (size_t k = 0; k < picture.size(); k++) {
            const uint32_t c = palette[picture[k]];
            const uint32_t r = c >> 16 & 255, g = c >> 8 & 255, bl = c & 255;
            if (rgb24) {
                bytes[3 * k] = uint8_t(r);
                bytes[3 * k + 1] = uint8_t(g);
                bytes[3 * k + 2] = uint8_t(bl);
            } else {
                const uint16_t c = uint16_t((r >> 3) << 10 | (g >> 3) << 5 | bl >> 3);
                bytes[2 * k] = uint8_t(c);
                bytes[2 * k + 1] = uint8_t(c >> 8);
            }
        }
        out.push_back(std::move(bytes));
    }
    return out;
}

void PreparePeers()
{
    const std::vector<uint32_t> palette = FilmPalette();
    for (auto [codec, format] : {std::pair{"smc", "pal8"}, {"msvideo1", "rgb555le"}, {"cinepak", "rgb24"}}) {
        AvPeer p;
        p.name = codec;
        p.ours = "HNM_DecodeHNM4Frame/demo";
        p.film = AvPeerEncode(codec, format, 256, 256, PeerFrames(format), &p.why, &palette);
        Peers().push_back(std::move(p));
    }
}

// ---- Scene textures ---------------------------------------------------------------------------------

// 64 registered textures of the demo film's palette, in a library area of their own.
struct TextureScene {
    kalder_test::EngineArea area{8000000};
    TextureScene()
    {
        kalder_test::MemFiles_Clear();
        Set_File_Source(kalder_test::MemFileSource);
        std::snprintf(Material_Dir, sizeof Material_Dir, "%s", "D:\\DATA\\3DC\\");
        Cache_Count = 0;
        kalder_test::MemFiles_SetAnyMaterial(kalder_test::MaterialImage([](int r, int i) {
                                                 return uint16_t((i * 7 + r) & 0xFFFF);
                                             }).Finish().bytes);
        GFX_BuildSaturateTable();
        TEX_Reset();
        TEX_Shading = TEX_ShadingState{};
        TEX_Shading.scene_shade_step = 2;
        for (int m = 0; m < TEX_SLOT_COUNT; m++) {
            const std::string name = "T" + std::to_string(m);
            Add_Cached_File(name.c_str(), name.c_str());
        }
        for (int32_t i = 0; i < Get_Cache_Count(); i++) {
            TEX_Register(Get_Cache_Name_Field(i));
        }
    }
    ~TextureScene()
    {
        TEX_Reset();
        Set_File_Source(nullptr);
        kalder_test::MemFiles_Clear();
    }
};

// One slot's 32 tables (lights present and a fade running), or its one table of the tick.
void BM_ShadeTables(benchmark::State &state, bool full)
{
    TextureScene scene;
    FLICK_LightsPresent = 1;
    TEX_Shading.fade_frames = full ? 1.0f : 0.0f;
    int32_t tint = 0;
    for (auto _ : state) {
        TEX_BuildShadeTables(&TEX_Slots[0], tint, -tint, 3);
        tint = (tint + 1) & 63;
        benchmark::DoNotOptimize(TEX_Slots[0].texels);
    }
    FLICK_LightsPresent = 0;
    state.SetItemsProcessed(state.iterations());
}

// The flicker of a tick over 64 slots (no lights: one table and the base table each).
void BM_Flicker(benchmark::State &state)
{
    TextureScene scene;
    TEX_Shading.flicker[0] = TEX_Shading.flicker[1] = TEX_Shading.flicker[2] = 40;
    for (auto _ : state) {
        TEX_Flicker();
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Prepare();
    PreparePeers();
    for (const Workload &w : Workloads()) {
        benchmark::RegisterBenchmark(("HNM_DecodeHNM4Frame/" + w.name).c_str(), BM_Decode, &w);
    }
    benchmark::RegisterBenchmark("TEX_BuildShadeTables/full", BM_ShadeTables, true);
    benchmark::RegisterBenchmark("TEX_BuildShadeTables/single", BM_ShadeTables, false);
    benchmark::RegisterBenchmark("TEX_Flicker/64-slots", BM_Flicker);
    AvPeerRegister(Peers());
    SummaryReporter reporter(PickItemsPerSecond);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n256-colour summary (256 x 256 pictures; the films run at 15 pictures/s)\n");
    for (const Workload &w : Workloads()) {
        auto it = reporter.figures.find("HNM_DecodeHNM4Frame/" + w.name);
        if (it == reporter.figures.end()) {
            std::printf("%-16s not run\n", w.name.c_str());
            continue;
        }
        std::printf("%-16s %.0f pictures/s, %.0f MB/s of texture, %.0f x the film's rate\n", w.name.c_str(),
                    it->second, it->second * 65536 / 1e6, it->second / kFilmRate);
    }
    AvPeerSummary(reporter, Peers(), 65536, 16, "demo film");
    std::printf("\nScene textures\n");
    for (const char *name : {"TEX_BuildShadeTables/full", "TEX_BuildShadeTables/single"}) {
        auto it = reporter.figures.find(name);
        if (it != reporter.figures.end()) {
            std::printf("%-28s %.0f ns a slot\n", name, 1e9 / it->second);
        }
    }
    auto flicker = reporter.figures.find("TEX_Flicker/64-slots");
    if (flicker != reporter.figures.end()) {
        std::printf("%-28s %.1f us a tick\n", "TEX_Flicker/64-slots", 1e6 / flicker->second);
    }
    benchmark::Shutdown();
    return 0;
}
