// The project database: packing and unpacking one record, finding a project by name (a switch that
// scans every record), and loading a whole kalder.dat through the file layer.
#include <benchmark/benchmark.h>

#include <vector>

#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/level_writer.h"
#include "tests/support/temp_drives.h"
#include "world/prj.h"

namespace {

using kalder_test::LevelRecordBuilder;

// A record like the game's: a name, numbers spread over the header, two exits, a few elements.
std::vector<uint8_t> typical_record(int n)
{
    LevelRecordBuilder r(kalder_test::BlankEditorRecord());
    r.Name("Project" + std::to_string(n)).InUse().I32s(kalder_test::level::kStartPosition, {100, -160, 2000});
    r.I32s(kalder_test::level::kColourA, {12, -30, 7}).I32(kalder_test::level::kViewDistance, 40000);
    r.Exit(0, "EXIT1", "Project" + std::to_string(n + 1), 1, {1200, -1000, -300}, {1600, 1000, 300});
    r.Exit(1, "EXIT2", "Project" + std::to_string(n + 2), 3, {-900, -1000, -300}, {-500, 1000, 300});
    for (size_t e = 0; e < 6; e++) {
        r.Element(e, "PERSO" + std::to_string(e), "PERSO" + std::to_string(e) + ".3DC");
        r.I32s(kalder_test::level::Element(e) + kalder_test::level::kElementStart, {int32_t(e) * 300, 0, -400});
    }
    return r.Bytes();
}

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives *d = [] {
        auto *t = new kalder_test::TempDrives("CD");
        kalder_test::KalderDatWriter db;
        for (int n = 0; n < 150; n++) {
            db.records[size_t(n)] = typical_record(n);
        }
        t->Write('D', "kalder.dat", db.Image());
        PLAT_SetDrive('D');
        return t;
    }();
    return *d;
}

void BM_PackRecord(benchmark::State &state)
{
    std::vector<uint8_t> record = typical_record(7);
    std::vector<uint8_t> packed(PRJ_PACKED_MAX);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PRJ_PackRecord(packed.data(), packed.size(), record.data(), PRJ_RECORD_SIZE));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * PRJ_RECORD_SIZE);
}
BENCHMARK(BM_PackRecord);

void BM_UnpackRecord(benchmark::State &state)
{
    std::vector<uint8_t> packed = kalder_test::ZeroRunPack(typical_record(7));
    std::vector<uint8_t> record(PRJ_RECORD_SIZE);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            PRJ_UnpackRecord(record.data(), record.size(), packed.data(), int32_t(packed.size())));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * PRJ_RECORD_SIZE);
}
BENCHMARK(BM_UnpackRecord);

void BM_LoadDatabase(benchmark::State &state)
{
    drives();
    for (auto _ : state) {
        PRJ_LoadDatabase();
    }
}
BENCHMARK(BM_LoadDatabase);

// The last record: the search compares every name before it.
void BM_SwitchToLastProject(benchmark::State &state)
{
    drives();
    PRJ_LoadDatabase();
    for (auto _ : state) {
        char name[] = "Project149";
        benchmark::DoNotOptimize(PRJ_SwitchTo(name, sizeof name));
    }
}
BENCHMARK(BM_SwitchToLastProject);

} // namespace
