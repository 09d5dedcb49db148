// The LZ unpacker against zlib's raw inflate and LZ4 on the same data in the same run: output speed
// of each decoder and the packed sizes, for the kinds of data the game unpacks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/lz.h"
#include "tests/support/lz_packer.h"

#ifdef KALDER_HAVE_ZLIB
#include <zlib.h>
#endif
#ifdef KALDER_HAVE_LZ4
#include <lz4.h>
#include <lz4hc.h>
#endif

namespace {

using kalder_test::LzSample;
using Bytes = std::vector<uint8_t>;

struct Workload {
    LzSample kind;
    size_t size;
    Bytes data;
    Bytes lz;
    Bytes deflated;
    Bytes lz4;
};

void Check(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "lz_bench: %s gives wrong output\n", what.c_str());
        std::exit(1);
    }
}

#ifdef KALDER_HAVE_ZLIB
Bytes Deflate(const Bytes &data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, uLong(data.size())));
    z.next_in = const_cast<Bytef *>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Raw inflate (no header, no checksum: the game's stream has none either) into `out`.
size_t Inflate(z_stream *z, const Bytes &packed, Bytes *out)
{
    inflateReset(z);
    z->next_in = const_cast<Bytef *>(packed.data());
    z->avail_in = uInt(packed.size());
    z->next_out = out->data();
    z->avail_out = uInt(out->size());
    inflate(z, Z_FINISH);
    return z->total_out;
}
#endif

std::vector<Workload> &Workloads()
{
    static std::vector<Workload> workloads;
    return workloads;
}

void Prepare()
{
    const struct {
        LzSample kind;
        size_t size;
    } kinds[] = {
        {LzSample::Random, 256 * 1024},
        {LzSample::Text, 256 * 1024},
        {LzSample::Runs, 256 * 1024},
        {LzSample::Texture, 256 * 256}, // one film picture
        {LzSample::Records, 256 * 1024},
    };
    for (const auto &k : kinds) {
        Workload w{k.kind, k.size, kalder_test::LzSampleData(k.kind, k.size, 7), {}, {}, {}};
        w.lz = kalder_test::LzPack(w.data.data(), w.data.size());
        std::string name = kalder_test::LzSampleName(k.kind);
        Bytes out(w.size);
        Check(LZ_Unpack(w.lz.data(), out.data()) == int32_t(w.size) && out == w.data, name + " LZ_Unpack");
        std::fill(out.begin(), out.end(), 0);
        Check(LZ_UnpackChecked(w.lz.data(), uint32_t(w.lz.size()), out.data(), uint32_t(out.size())) ==
                      int32_t(w.size) &&
                  out == w.data,
              name + " LZ_UnpackChecked");
#ifdef KALDER_HAVE_ZLIB
        w.deflated = Deflate(w.data);
        z_stream z{};
        inflateInit2(&z, -15);
        std::fill(out.begin(), out.end(), 0);
        Check(Inflate(&z, w.deflated, &out) == w.size && out == w.data, name + " inflate");
        inflateEnd(&z);
#endif
#ifdef KALDER_HAVE_LZ4
        w.lz4.resize(size_t(LZ4_compressBound(int(w.size))));
        int n = LZ4_compress_HC(reinterpret_cast<const char *>(w.data.data()), reinterpret_cast<char *>(w.lz4.data()),
                                int(w.size), int(w.lz4.size()), 9);
        w.lz4.resize(size_t(n));
        std::fill(out.begin(), out.end(), 0);
        Check(LZ4_decompress_safe(reinterpret_cast<const char *>(w.lz4.data()), reinterpret_cast<char *>(out.data()),
                                  n, int(out.size())) == int(w.size) &&
                  out == w.data,
              name + " LZ4");
#endif
        Workloads().push_back(std::move(w));
    }
}

void Register()
{
    for (const Workload &w : Workloads()) {
        std::string name = kalder_test::LzSampleName(w.kind);
        const Workload *p = &w;
        benchmark::RegisterBenchmark(("LZ_Unpack/" + name).c_str(), [p](benchmark::State &state) {
            Bytes out(p->size);
            for (auto _ : state) {
                benchmark::DoNotOptimize(LZ_Unpack(p->lz.data(), out.data()));
                benchmark::ClobberMemory();
            }
            state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->size));
        });
        benchmark::RegisterBenchmark(("LZ_UnpackChecked/" + name).c_str(), [p](benchmark::State &state) {
            Bytes out(p->size);
            for (auto _ : state) {
                benchmark::DoNotOptimize(
                    LZ_UnpackChecked(p->lz.data(), uint32_t(p->lz.size()), out.data(), uint32_t(out.size())));
                benchmark::ClobberMemory();
            }
            state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->size));
        });
#ifdef KALDER_HAVE_ZLIB
        benchmark::RegisterBenchmark(("inflate/" + name).c_str(), [p](benchmark::State &state) {
            Bytes out(p->size);
            z_stream z{};
            inflateInit2(&z, -15);
            for (auto _ : state) {
                benchmark::DoNotOptimize(Inflate(&z, p->deflated, &out));
                benchmark::ClobberMemory();
            }
            inflateEnd(&z);
            state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->size));
        });
#endif
#ifdef KALDER_HAVE_LZ4
        benchmark::RegisterBenchmark(("LZ4/" + name).c_str(), [p](benchmark::State &state) {
            Bytes out(p->size);
            for (auto _ : state) {
                benchmark::DoNotOptimize(LZ4_decompress_safe(reinterpret_cast<const char *>(p->lz4.data()),
                                                             reinterpret_cast<char *>(out.data()), int(p->lz4.size()),
                                                             int(out.size())));
                benchmark::ClobberMemory();
            }
            state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->size));
        });
#endif
    }
}

std::string Percent(const Bytes &packed, size_t size, bool available)
{
    if (!available) {
        return "not available";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", 100.0 * double(packed.size()) / double(size));
    return text;
}

// The median speed and, in brackets, the repetitions' min-max.
std::string WithSpread(const SummaryReporter &reporter, const std::string &name)
{
    return Speed(reporter, name) + " (" + reporter.Spread(name, 1.0, "%.0f") + ")";
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Prepare();
    Register();
    SummaryReporter reporter(PickMegabytesPerSecond);
    benchmark::RunSpecifiedBenchmarks(&reporter);

#ifdef KALDER_HAVE_ZLIB
    const bool haveZlib = true;
#else
    const bool haveZlib = false;
#endif
#ifdef KALDER_HAVE_LZ4
    const bool haveLz4 = true;
#else
    const bool haveLz4 = false;
#endif
    std::printf("\nLZ summary (output speed, medians of the repetitions, min-max beside the checked form and inflate; "
                "ratios of LZ_UnpackChecked to each peer; packed size / input)\n");
    for (const Workload &w : Workloads()) {
        std::string n = kalder_test::LzSampleName(w.kind);
        std::printf("%-8s %7zu bytes: unchecked %s, checked %s, inflate %s, LZ4 %s | checked/inflate %s, "
                    "checked/LZ4 %s, checked/unchecked %s | packed LZ %s, deflate %s, LZ4 %s\n",
                    n.c_str(), w.size, Speed(reporter, "LZ_Unpack/" + n).c_str(),
                    WithSpread(reporter, "LZ_UnpackChecked/" + n).c_str(), WithSpread(reporter, "inflate/" + n).c_str(),
                    Speed(reporter, "LZ4/" + n).c_str(),
                    Ratio(reporter, "LZ_UnpackChecked/" + n, "inflate/" + n).c_str(),
                    Ratio(reporter, "LZ_UnpackChecked/" + n, "LZ4/" + n).c_str(),
                    Ratio(reporter, "LZ_UnpackChecked/" + n, "LZ_Unpack/" + n).c_str(),
                    Percent(w.lz, w.size, true).c_str(), Percent(w.deflated, w.size, haveZlib).c_str(),
                    Percent(w.lz4, w.size, haveLz4).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
