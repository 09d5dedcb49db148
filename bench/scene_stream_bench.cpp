// The scene stream and the container against reading the same delivered bytes as one raw file and
// against zlib inflating them from one deflate stream, in the same run: bytes delivered per second.
#include <benchmark/benchmark.h>

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/dpr.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/files.h"
#include "tests/support/dan_writer.h"
#include "tests/support/dsn_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/lz_packer.h"
#include "tests/support/temp_drives.h"
#include "world/dan.h"
#include "world/dsn.h"

#ifdef KALDER_HAVE_ZLIB
#include <zlib.h>
#endif

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

using Bytes = std::vector<uint8_t>;
using kalder_test::LzSample;

// One workload: the file the reader opens, and what it delivers laid end to end.
struct Workload {
    std::string name;
    std::string path;     // the reader's file
    std::string raw_path; // the delivered bytes as one file
    Bytes delivered;
    size_t packed = 0;    // the file's size
    Bytes deflated;
};

void Fail(const std::string &what)
{
    std::fprintf(stderr, "scene_stream_bench: %s\n", what.c_str());
    std::exit(1);
}

Bytes Image_File(size_t size, LzSample kind, uint32_t seed)
{
    Bytes file = {'F', '3', 'D', 'C', 0xC2, 1, 0, 0};
    const Bytes data = kalder_test::LzSampleData(kind, size, seed);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

void Append(Bytes &to, const Bytes &more) { to.insert(to.end(), more.begin(), more.end()); }

kalder_test::TempDrives &Drives()
{
    static kalder_test::TempDrives drives("C");
    return drives;
}

// The scene: a 1 MB model, a 200 KB collision model, 8 maps of texture pictures.
Workload Scene(kalder_test::DsnWriter *w)
{
    // Records and texels, so that the packed model fits the ring as a real scene's must.
    w->model = Image_File(384 * 1024, LzSample::Records, 3);
    Append(w->model, kalder_test::LzSampleData(LzSample::Texture, 640 * 1024, 3));
    w->collision = Image_File(200 * 1024, LzSample::Records, 4);
    Workload load{"stream", "", "", {}, 0, {}};
    Append(load.delivered, kalder_test::DsnImage(w->model));
    Append(load.delivered, kalder_test::DsnImage(w->collision));
    for (uint32_t i = 0; i < 8; i++) {
        kalder_test::DsnMap map;
        map.name = "MAP" + std::to_string(i);
        map.record = Bytes(20, 0);
        map.palette.assign(256, uint16_t(i));
        map.picture = kalder_test::LzSampleData(LzSample::Texture, 65536, 10 + i);
        Append(load.delivered, map.picture);
        w->maps.push_back(map);
    }
    return load;
}

// The container: a 400 KB model, 6 maps, 64 small animations.
Workload Container(kalder_test::DanWriter *w)
{
    w->model = Image_File(400 * 1024, LzSample::Records, 5);
    Workload load{"container", "", "", {}, 0, {}};
    Append(load.delivered, kalder_test::DsnImage(w->model));
    for (uint32_t i = 0; i < 6; i++) {
        const Bytes texels = kalder_test::LzSampleData(LzSample::Texture, 65536, 20 + i);
        kalder_test::DanEntry map{"MAP" + std::to_string(i),
                                  kalder_test::MaterialImage([](int r, int c) { return uint16_t(r * 256 + c); },
                                                             [&](int x, int y) { return texels[size_t(y * 256 + x)]; })
                                      .Finish()
                                      .bytes};
        Append(load.delivered, kalder_test::DsnImage(map.file));
        w->maps.push_back(map);
    }
    for (uint32_t i = 0; i < 64; i++) {
        char name[16];
        std::snprintf(name, sizeof name, "an%03u.3da", i);
        kalder_test::DanEntry anim{name, Image_File(2048, LzSample::Records, 100 + i)};
        Append(load.delivered, kalder_test::DsnImage(anim.file));
        w->anims.push_back(anim);
    }
    return load;
}

void Finish(Workload &load, const Bytes &file, const std::string &file_name)
{
    load.packed = file.size();
    load.path = "C:\\" + file_name;
    Drives().Write('C', file_name, file);
    load.raw_path = "C:\\" + load.name + ".RAW";
    Drives().Write('C', load.name + ".RAW", load.delivered);
#ifdef KALDER_HAVE_ZLIB
    uLongf size = compressBound(uLong(load.delivered.size()));
    load.deflated.resize(size);
    compress2(load.deflated.data(), &size, load.delivered.data(), uLong(load.delivered.size()), 9);
    load.deflated.resize(size);
#endif
}

// Everything the stream delivers, into `out` laid end to end as in `delivered`.
size_t Read_Stream(const Workload &load, Bytes &out)
{
    if (!DSN_Open(load.path.c_str())) {
        return 0;
    }
    size_t at = 0;
    int32_t n = DSN_Load3DC("scene", out.data(), int32_t(out.size()));
    at += size_t(n > 0 ? n : 0);
    n = DSN_Load3DI("scene", out.data() + at, int32_t(out.size() - at));
    at += size_t(n > 0 ? n : 0);
    static Bytes images(size_t(8) * (DSN_MapBytes + 1));
    for (int i = 0; i < 8; i++) {
        DSN_BindMap(("MAP" + std::to_string(i)).c_str(), images.data() + size_t(i) * (DSN_MapBytes + 1), DSN_MapBytes + 1);
    }
    for (int tick = 0; tick < 32; tick++) {
        DSN_UpdateFrame();
    }
    for (int i = 0; i < 8; i++) {
        const uint8_t *picture = images.data() + size_t(i) * (DSN_MapBytes + 1) + DSN_RecordBytes + DSN_ColourBytes;
        std::copy(picture, picture + DSN_PictureBytes, out.data() + at);
        at += DSN_PictureBytes;
    }
    return at;
}

size_t Read_Container(const Workload &load, Bytes &out)
{
    if (!DAN_Load3DC(load.path.c_str())) {
        return 0;
    }
    const int32_t room = int32_t(out.size());
    size_t at = size_t(DAN_ReadBlock("-", out.data(), room));
    DAN_ReadMapData();
    for (int i = 0; i < 6; i++) {
        at += size_t(DAN_Load3DM(("MAP" + std::to_string(i)).c_str(), out.data() + at, room - int32_t(at)));
    }
    DAN_ReadAnimData();
    for (int32_t i = 0; i < DAN_AnimCount(); i++) {
        at += size_t(DAN_Load3DA(DAN_AnimName(i), out.data() + at, room - int32_t(at)));
    }
    DAN_Release();
    return at;
}

size_t Read_Raw(const Workload &load, Bytes &out)
{
    const int fd = PLAT_Open(load.raw_path.c_str(), O_RDONLY | O_BINARY);
    size_t at = 0;
    int32_t got;
    while (fd >= 0 && (got = PLAT_Read(fd, out.data() + at, uint32_t(out.size() - at))) > 0) {
        at += size_t(got);
    }
    PLAT_Close(fd);
    return at;
}

std::vector<Workload> &Workloads()
{
    static std::vector<Workload> loads;
    return loads;
}

void Prepare()
{
    MEM_Arena = MEM_CreateStack(0x172000);
    DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
    DSN_Create();
    DAN_Init();
    kalder_test::DsnWriter scene;
    Workload s = Scene(&scene);
    Finish(s, scene.Bytes(), "SCENE.DSN");
    kalder_test::DanWriter container;
    Workload c = Container(&container);
    Finish(c, container.Bytes(), "CHAR.DAN");
    Workloads() = {s, c};
    for (const Workload &load : Workloads()) {
        Bytes out(load.delivered.size() + 65536);
        const size_t n = load.name == "stream" ? Read_Stream(load, out) : Read_Container(load, out);
        out.resize(n);
        if (out != load.delivered) {
            Fail(load.name + " delivers other bytes (" + std::to_string(n) + " of " +
                 std::to_string(load.delivered.size()) + ")");
        }
    }
}

void Register()
{
    for (const Workload &load : Workloads()) {
        const Workload *p = &load;
        auto reader = load.name == "stream" ? Read_Stream : Read_Container;
        auto run = [p](size_t (*read)(const Workload &, Bytes &)) {
            return [p, read](benchmark::State &state) {
                Bytes out(p->delivered.size() + 65536);
                for (auto _ : state) {
                    benchmark::DoNotOptimize(read(*p, out));
                    benchmark::ClobberMemory();
                }
                state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->delivered.size()));
            };
        };
        benchmark::RegisterBenchmark((load.name + "/reader").c_str(), run(reader));
        benchmark::RegisterBenchmark((load.name + "/raw").c_str(), run(Read_Raw));
#ifdef KALDER_HAVE_ZLIB
        benchmark::RegisterBenchmark((load.name + "/inflate").c_str(), run([](const Workload &w, Bytes &out) {
            uLongf size = uLongf(out.size());
            uncompress(out.data(), &size, w.deflated.data(), uLong(w.deflated.size()));
            return size_t(size);
        }));
#endif
    }
}

std::string Share(size_t part, double whole)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", 100.0 * double(part) / whole);
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Prepare();
    Register();
    SummaryReporter reporter(PickMegabytesPerSecond);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nScene stream summary (bytes delivered per second; ratios of the reader to each peer; packed "
                "size / delivered bytes)\n");
    for (const Workload &w : Workloads()) {
        const double size = double(w.delivered.size());
        std::printf("%-9s %8zu bytes: reader %s, raw file %s, inflate %s | reader/raw %s, reader/inflate %s | "
                    "packed LZ %s, deflate %s\n",
                    w.name.c_str(), w.delivered.size(), Speed(reporter, w.name + "/reader").c_str(),
                    Speed(reporter, w.name + "/raw").c_str(), Speed(reporter, w.name + "/inflate").c_str(),
                    Ratio(reporter, w.name + "/reader", w.name + "/raw").c_str(),
                    Ratio(reporter, w.name + "/reader", w.name + "/inflate").c_str(), Share(w.packed, size).c_str(),
                    w.deflated.empty() ? "not available" : Share(w.deflated.size(), size).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
