// A plain IX picture decoder written from the format's description, pixel by pixel, for differential tests.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

enum class IxFormat { Rgb565, Rgb555 };

constexpr int kIxWidth = 640;
constexpr int kIxHeight = 304;
constexpr int kIxPixels = kIxWidth * kIxHeight;

// The JPEG zig-zag order: entry k is the row-major place of the k-th coefficient.
extern const int kIxZigZag[64];

// The dequantisation entry of a component (0 luminance, 1 and 2 colour difference) at a row-major place
// for a quality already clamped to 0..100.
int32_t IxQuantEntry(int component, int place, int32_t quality);

// The 14-bit factor round(16384 x a(row) x a(column)), computed in long double.
int32_t IxScaleFactor(int place);

// Pass orders of the inverse transform: the format's rule, or both passes in full in a forced order.
enum class IxPassOrder { Rule, ColumnsFirst, RowsFirst };

// The inverse transform of one block in place (row-major), with the row/column mask of its stores.
void IxReferenceIDCT(int32_t block[64], uint16_t mask, IxPassOrder order = IxPassOrder::Rule);

// The colour conversion of one pixel from its three transformed values.
uint16_t IxReferencePixel(int32_t y, int32_t u, int32_t v, IxFormat format);

// Spiral entry i as a displacement (x, y).
void IxSpiralEntry(int index, int *x, int *y);
// The window tables as displacements.
void IxWindowEntry(int table, int index, int *x, int *y);

// Decodes payload with reference as the picture shown last; output and second hold 640 x 304 pixels.
void IxReferenceDecode(const std::vector<uint8_t> &payload, const uint16_t *reference, uint16_t *output,
                       IxFormat format, uint16_t *second = nullptr);
std::vector<uint16_t> IxReferenceDecode(const std::vector<uint8_t> &payload, const std::vector<uint16_t> &reference,
                                        IxFormat format = IxFormat::Rgb565);

// Reads the three blocks of one coded tile from codes, as the decoder would at a tile's start: the
// dequantised blocks (row-major), their masks, and the number of codes read.
struct IxTileBlocks {
    int32_t blocks[3][64];
    uint16_t masks[3];
    int32_t codes_read;
};
IxTileBlocks IxReferenceReadBlocks(const std::vector<uint8_t> &codes, int32_t quality);

} // namespace kalder_test
