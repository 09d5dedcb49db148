// The system core a scene stream or container reads through (the memory arena, the streaming buffer,
// drive C) and the fixtures both readers' tests share.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/dpr.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/dan_writer.h"
#include "tests/support/dsn_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/lz_packer.h"
#include "tests/support/temp_drives.h"
#include "world/dan.h"
#include "world/dsn.h"

namespace stream_test {

// An image file: the 8-byte prefix, then `size` bytes of sample data.
inline std::vector<uint8_t> SampleFile(size_t size, kalder_test::LzSample kind = kalder_test::LzSample::Records,
                                       uint32_t seed = 1)
{
    std::vector<uint8_t> file = {'F', '3', 'D', 'C', 0xC2, 1, 0, 0};
    const std::vector<uint8_t> data = kalder_test::LzSampleData(kind, size, seed);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

inline std::vector<uint8_t> MaterialFile(uint32_t seed)
{
    return kalder_test::MaterialImage([seed](int r, int i) { return uint16_t(r * 64 + i + seed); }).Finish().bytes;
}

// A map of a stream: its record from a material image, a palette and the test picture.
inline kalder_test::DsnMap StreamMap(const std::string &name, uint32_t seed)
{
    kalder_test::DsnMap map;
    map.name = name;
    map.record = kalder_test::DsnMapRecord(MaterialFile(seed));
    for (int i = 0; i < 256; i++) {
        map.palette.push_back(uint16_t(i * 257 + seed));
    }
    map.picture = kalder_test::DsnTestPicture(seed);
    return map;
}

struct StreamTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        drives = std::make_unique<kalder_test::TempDrives>("C");
        MEM_Arena = MEM_CreateStack(0x172000);
        DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
        ASSERT_NE(DPR_Main, nullptr);
        DSN_Create();
        DAN_Init();
    }
    void TearDown() override
    {
        DSN_Reset();
        DAN_Release();
        // Every file the readers opened is closed again.
        EXPECT_FALSE(DPR_Main->flags & DPR_OPEN);
        kalder_test::ResetCore();
        drives.reset();
    }
    std::string Put(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        drives->Write('C', name, bytes);
        return "C:\\" + name;
    }
    std::unique_ptr<kalder_test::TempDrives> drives;
};

} // namespace stream_test
