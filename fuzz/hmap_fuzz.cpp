// Fuzzes the height-map expansion and what reads an expanded image: the input is a height-map file.
// An accepted file is expanded into an exactly sized buffer, made current, sampled, and drawn under by
// one row of each depth-tested span type on a line as wide as the image.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine3d/hmap.h"
#include "engine3d/raster.h"
#include "engine3d/span.h"
#include "engine3d/span_routines.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace {

constexpr size_t Area_Size = 4 << 20;
alignas(16) uint8_t Area[Area_Size];

// A library with one surface and one texture, started once.
uint32_t Surface()
{
    static uint32_t surface = [] {
        Max_Handle_Tables = 1024;
        Max_Cache_Entries = 256;
        Init_3D(Area, Area_Size);
        const Addr texture = Mem_Alloc(32768 + 65536);
        for (uint32_t i = 0; i < 32768 + 65536; i++) {
            W_Ptr(texture)[i] = uint8_t(i * 7);
        }
        const Addr s = Mem_Alloc(112);
        P_Set32(W_Ptr(s) + SURF_TEXTURE, int32_t(texture + 32768));
        return uint32_t(s);
    }();
    return surface;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > (64u << 20)) {
        return 0;
    }
    const uint32_t length = uint32_t(size);
    const uint32_t image_size = Hmap_Image_Size(data, length);
    if (image_size == 0 || image_size > (8u << 20)) {
        return 0;
    }
    std::vector<uint8_t> image(image_size);
    if (Hmap_Convert(image.data(), data, length) == 0) {
        __builtin_trap();
    }
    HMAP_SetCurrent(image.data());
    int32_t width, height;
    std::memcpy(&width, image.data() + HMAP_WIDTH, 4);
    std::memcpy(&height, image.data() + HMAP_HEIGHT, 4);
    int32_t point[3];
    const int32_t probes[][2] = {{0, 0}, {width - 1, height - 1}, {width / 2, height / 2}, {width, 0}, {-1, height}};
    for (const auto &p : probes) {
        Hmap_Sample(p[0], p[1], point);
    }
    Hmap_Get_Position(point);
    Hmap_Get_Target(point);

    // One row of each depth type across the image's width, on a row taken from the input.
    const uint32_t surface = Surface();
    uint8_t *s = W_Ptr(surface);
    std::memcpy(s + SURF_DEPTH, data + 12, 4); // the word at 12 is not read by anything else
    std::memcpy(s + SURF_DEPTH_X, data + 16, 4);
    std::memcpy(s + SURF_U, data + 20, 24);
    std::vector<uint16_t> line(size_t(width) + 8, 0x1234);
    Current_Scanline = int32_t(data[40] | data[41] << 8) % (height + 2) - 1;
    for (int32_t type : {17, 18, -11, -10, -15}) {
        Span_Routines[type - Span_Type_First](line.data(), width + 4, 0, surface);
    }
    Current_Scanline = 0;
    HMAP_SetCurrent(nullptr);
    return 0;
}
