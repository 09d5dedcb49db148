// The PNG writer and reader of 16-bit frames (see png16.h).
#include "tests/support/png16.h"

#include <cstdio>

#include <png.h>

namespace kalder_test {

namespace {

// Repeats the top bits of a channel of `bits` bits into 8 bits: 0 stays 0, full stays 255.
uint8_t widen(uint32_t value, int bits)
{
    return uint8_t((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

} // namespace

bool WritePng16(const std::string &path, const uint16_t *pixels, int width, int height, bool rgb555)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(width) * 3);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            uint8_t *rgb = &row[size_t(x) * 3];
            if (rgb555) {
                rgb[0] = widen((p >> 10) & 0x1F, 5);
                rgb[1] = widen((p >> 5) & 0x1F, 5);
            } else {
                rgb[0] = widen((p >> 11) & 0x1F, 5);
                rgb[1] = widen((p >> 5) & 0x3F, 6);
            }
            rgb[2] = widen(p & 0x1F, 5);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool ReadPng16(const std::string &path, std::vector<uint16_t> &pixels, int &width, int &height, bool rgb555)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    if (png_get_bit_depth(png, info) != 8 || png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    width = int(png_get_image_width(png, info));
    height = int(png_get_image_height(png, info));
    pixels.assign(size_t(width) * size_t(height), 0);
    std::vector<png_byte> row(size_t(width) * 3);
    for (int y = 0; y < height; y++) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < width; x++) {
            const uint8_t *rgb = &row[size_t(x) * 3];
            uint16_t p;
            if (rgb555) {
                p = uint16_t((rgb[0] >> 3) << 10 | (rgb[1] >> 3) << 5 | rgb[2] >> 3);
            } else {
                p = uint16_t((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3);
            }
            pixels[size_t(y) * size_t(width) + size_t(x)] = p;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

} // namespace kalder_test
