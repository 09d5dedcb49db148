// Height maps: loading the run-coded file, expanding it, placing the camera and sampling world points.
#include "engine3d/hmap.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/fconv.h"
#include "core/mem.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "plat/files.h"
#include "plat/system.h"

const uint8_t *HMAP_Current = nullptr;

namespace {

constexpr int64_t Max_Samples = 16777216;

int32_t Get32(const uint8_t *p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

float GetF(const uint8_t *p)
{
    float v;
    std::memcpy(&v, p, 4);
    return v;
}

uint16_t Get16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

void Truncated(const uint8_t *at, int32_t *out)
{
    for (int i = 0; i < 3; i++) {
        out[i] = trunc_i32(GetF(at + 4 * i));
    }
}

} // namespace

void HMAP_SetCurrent(const uint8_t *image) { HMAP_Current = image; }

uint8_t *Hmap_Load_File(const char *name, uint32_t *length)
{
    std::FILE *f = PLAT_FOpen(name, "rb");
    if (f == nullptr) {
        PLAT_WriteStdout(("Impossible d'ouvrir le fichier " + std::string(name) + " \n").c_str());
        return nullptr;
    }
    uint8_t *block = nullptr;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        size = std::ftell(f);
    }
    if (size >= 0 && size <= 0x7FFFFFFF && std::fseek(f, 0, SEEK_SET) == 0) {
        // One byte more than the file, so that an empty file still gives a block.
        block = static_cast<uint8_t *>(MEM_Alloc(size_t(size) + 1));
        if (block != nullptr && std::fread(block, 1, size_t(size), f) != size_t(size)) {
            MEM_FreePtr(&block);
        }
    }
    PLAT_FClose(f);
    if (block != nullptr && length != nullptr) {
        *length = uint32_t(size);
    }
    return block;
}

uint32_t Hmap_Image_Size(const uint8_t *file, uint32_t file_length)
{
    if (file == nullptr || file_length < HMAP_HEADER_BYTES) {
        return 0;
    }
    const int64_t width = Get32(file + HMAP_WIDTH);
    const int64_t height = Get32(file + HMAP_HEIGHT);
    if (width < 1 || height < 1 || width * height > Max_Samples) {
        return 0;
    }
    return uint32_t(HMAP_HEADER_BYTES + 2 * width * height);
}

int32_t Hmap_Convert(uint8_t *image, const uint8_t *file, uint32_t file_length)
{
    const uint32_t size = Hmap_Image_Size(file, file_length);
    if (size == 0) {
        return 0;
    }
    std::memcpy(image, file, HMAP_HEADER_BYTES);
    uint8_t *samples = image + HMAP_HEADER_BYTES;
    std::memset(samples, 0, size - HMAP_HEADER_BYTES);
    const uint32_t total = (size - HMAP_HEADER_BYTES) / 2;
    const uint32_t shift = file[HMAP_SHIFT] & 31u;
    auto put = [&](uint32_t at, uint16_t s) {
        samples[2 * at] = uint8_t(s);
        samples[2 * at + 1] = uint8_t(s >> 8);
    };
    uint32_t written = 0;
    uint32_t pos = HMAP_HEADER_BYTES;
    // Every run takes at least its three header bytes, so the walk ends with the file.
    while (written < total && file_length - pos >= 3) {
        const uint8_t tag = file[pos];
        const uint32_t n = Get16(file + pos + 1);
        pos += 3;
        if (tag == 1) {
            for (uint32_t k = 0; k < n && written < total; k++, pos += 2) {
                if (file_length - pos < 2) {
                    return 1;
                }
                put(written++, Get16(file + pos));
            }
        } else {
            if (file_length - pos < 8) {
                return 1;
            }
            const uint32_t start = uint32_t(Get32(file + pos));
            const uint32_t step = uint32_t(Get32(file + pos + 4));
            pos += 8;
            for (uint32_t k = 0; k < n && written < total; k++) {
                put(written++, uint16_t(int32_t(start + k * step) >> shift));
            }
        }
    }
    return 1;
}

int32_t Hmap_Set_Camera(const uint8_t *image)
{
    const int32_t lens = Get32(image + HMAP_LENS);
    if (lens < 1) {
        return 0;
    }
    Set_Aspect(1.0f);
    const double half = double(OBJ_View.view_width) / (2.0 * (double(lens) - 0.5));
    const double degrees = std::atan(half) * 360.0 / 3.14159;
    Set_Viewport_Fov(Get32(image + HMAP_WIDTH), Get32(image + HMAP_HEIGHT), 0, 0, float(degrees));
    int32_t position[3], target[3], direction[3], matrix[9];
    Truncated(image + HMAP_POSITION, position);
    Truncated(image + HMAP_TARGET, target);
    Vec_Sub(target, position, direction);
    Vec_Normalise(direction, direction);
    Mat_From_Dir(direction, 0, matrix);
    Set_Obj_Matrix(0, matrix);
    Set_Obj_Pos(0, position);
    return 1;
}

int32_t Hmap_Sample(int32_t x, int32_t y, int32_t *out)
{
    const uint8_t *image = HMAP_Current;
    if (image == nullptr) {
        return 0;
    }
    const int32_t width = Get32(image + HMAP_WIDTH);
    const int32_t height = Get32(image + HMAP_HEIGHT);
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0;
    }
    const uint16_t s = Get16(image + HMAP_HEADER_BYTES + 2 * (int64_t(y) * width + x));
    const uint64_t scaled = uint64_t(s) << (image[HMAP_SHIFT] & 31u);
    if (scaled == 0 || scaled > 0xFFFFFFFFu) {
        return 0;
    }
    const int64_t z = (int64_t(1) << 30) / int64_t(scaled);
    const double zd = double(z);
    int32_t point[3] = {trunc_i32((x - OBJ_View.view_width / 2) * zd / double(OBJ_View.focal_x)),
                        trunc_i32((y - OBJ_View.view_height / 2) * zd / double(OBJ_View.focal_y)), int32_t(z)};
    int32_t matrix[9], position[3];
    Get_Obj_Matrix(0, matrix);
    Get_Obj_Pos(0, position);
    Mat_Vec_Mul(matrix, point, point);
    Vec_Add(point, position, out);
    return 1;
}

void Hmap_Get_Position(int32_t *out)
{
    if (HMAP_Current != nullptr) {
        Truncated(HMAP_Current + HMAP_POSITION, out);
    }
}

void Hmap_Get_Target(int32_t *out)
{
    if (HMAP_Current != nullptr) {
        Truncated(HMAP_Current + HMAP_TARGET, out);
    }
}
